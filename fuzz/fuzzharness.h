#pragma once

#include <QByteArray>

class VellChatWebBroswer;

// What every fuzz target needs around the code under test: one offscreen
// application for the whole run, a host link whose outgoing bytes are checked
// instead of sent, and a turn of the event loop after each input.
class FuzzHarness
{
public:
    // Once, from LLVMFuzzerInitialize, before anything else touches Qt.
    static void start(const char *program);
    // Lets queued work, timers and deferred deletes run, as the event loop
    // would between two reads from the host.
    static void settle();
    // The one browser window, made showing about:blank when there is none.
    static VellChatWebBroswer *window();
    // Closes and deletes the window, if there is one.
    static void dropWindow();
    // Ends the run the way libFuzzer records a crash, with the input saved.
    [[noreturn]] static void fail(const char *what, const QByteArray &detail);
};
