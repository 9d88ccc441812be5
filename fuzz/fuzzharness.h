// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// What every fuzz target needs around the code under test: one offscreen
// application for the whole run, a host link whose outgoing bytes are checked
// instead of sent, and a turn of the event loop after each input.
class FuzzHarness
{
public:
    // Once, from LLVMFuzzerInitialize, before anything else touches Qt.
    static void start(const char *program);
    // Hands the host's stream to the host link in reads cut where cuts[i]/256
    // of it falls, and checks that what waits for the next read is exactly
    // what follows the last ';'.
    static void feedHost(const uint8_t *cuts, size_t cutCount, const uint8_t *stream, size_t size);
    // Lets queued work, timers and deferred deletes run, as the event loop
    // would between two reads from the host.
    static void settle();
    // Ends the run the way libFuzzer records a crash, with the input saved.
    [[noreturn]] static void fail(const char *what, const QByteArray &detail);
};
