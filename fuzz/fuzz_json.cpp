// SPDX-License-Identifier: Apache-2.0
// The JSON answers and values the browser reads without a widget, fed
// arbitrary bytes: download records on file items, the user information a
// waiting page gets, and configuration values. fuzz_panel runs the same steps
// and the answers that the history panel and the window read.
//
// An input is up to 16 steps separated by the line "--" ("\n--\n"); a step's
// first byte picks the receiver modulo 4 (the characters 0-3, or 4-7, ...)
// and the rest is its body:
//   0  download records (an object or an array) on fresh file items
//   1  the answer to a page waiting for the user information; an object body
//      gets the waiting key
//   2  a user information answer nobody waits for
//   3  a configuration value: body byte 0 picks the key, the rest is the value

#include "config/vellchatwbconfigure.h"
#include "fuzz/fuzzharness.h"
#include "fuzz/jsonsteps.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    (void)argc;
    FuzzHarness::start((*argv)[0]);
    JsonSteps::start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    // Every input starts from the defaults, so a crash replays from its file alone.
    VellChatWBConfigure::init();
    JsonSteps::forEachStep(input, [](uchar pick, const QByteArray &body) {
        switch (pick % 4) {
        case 0:
            JsonSteps::records(body);
            break;
        case 1:
            JsonSteps::userInfoWaiting(body);
            break;
        case 2:
            JsonSteps::userInfoIdle(body);
            break;
        case 3:
            JsonSteps::configValue(body);
            break;
        }
    });
    return 0;
}
