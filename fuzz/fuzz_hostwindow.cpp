// SPDX-License-Identifier: Apache-2.0
// Arbitrary bytes from the host through the read pass and the dispatcher into
// the window, cut into reads at places the input chooses. The slower second
// stage of fuzz_hostlink: here every message reaches the widgets.
//
// Input layout:
//   byte 0      even: no window (a "showUrl" in the stream may make one; it is
//               closed again afterwards); odd: the window is up throughout
//   byte 1      number of cuts, modulo 8
//   next bytes  one per cut: it falls at byte/256 of the stream
//   the rest    the stream, as the host would write it
// So the seed "13@`xevent:..." is: window ('1' is odd), three cuts at '@', '`'
// and 'x' (64, 96 and 120 of 256), then the stream.

#include "config/vellchatwbconfigure.h"
#include "fuzz/fuzzharness.h"
#include "fuzz/fuzzwindow.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    (void)argc;
    FuzzHarness::start((*argv)[0]);
    FuzzWindow::install();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const bool withWindow = data[0] & 1;
    const size_t cuts = data[1] % 8;
    if (size < 2 + cuts)
        return 0;
    // Every input starts from the defaults, so a crash replays from its file
    // alone (the window, when there is one, is the same each time).
    VellChatWBConfigure::init();
    if (withWindow)
        FuzzWindow::window();
    else
        FuzzWindow::dropWindow();

    FuzzHarness::feedHost(data + 2, cuts, data + 2 + cuts, size - 2 - cuts);

    FuzzHarness::settle();
    if (!withWindow)
        FuzzWindow::dropWindow();
    return 0;
}
