// SPDX-License-Identifier: Apache-2.0
// Arbitrary bytes from the host through the read pass, the decoder and the
// configuration keys, cut into reads at places the input chooses. No widget
// is made: the calls meant for the window reach a receiver that checks what
// the decoder promises about them. fuzz_hostwindow takes the same streams on
// to the window.
//
// Input layout:
//   byte 0      number of cuts, modulo 8
//   next bytes  one per cut: it falls at byte/256 of the stream
//   the rest    the stream, as the host would write it
// So the seed "3@`xevent:..." is three cuts at '@', '`' and 'x' (64, 96 and
// 120 of 256), then the stream.

#include "config/vellchatwbconfigure.h"
#include "fuzz/fuzzharness.h"
#include "hostlink/hostcommands.h"
#include "hostlink/transport.h"

#include <cstddef>
#include <cstdint>

namespace {

// What the decoder hands on is never empty where it says so.
class CheckingReceiver : public HostCommands
{
public:
    void showUrl(const QString &) override {}
    void active() override {}
    void showInfo(const QString &text) override { notEmpty(text.toUtf8(), "box text"); }
    void updateOpenOutside() override {}
    void updateCheckChannel() override {}
    void updateStoreToVell() override {}
    void updateShareToFriend() override {}
    void configChanged() override {}
    void currentUserInfo(const QByteArray &json) override { notEmpty(json, "user information answer"); }
    void webfileList(const QByteArray &json) override { notEmpty(json, "list answer"); }
    void webfileDownloadOffset(const QByteArray &json) override { notEmpty(json, "progress answer"); }
    void startDownload(const QByteArray &json) override { notEmpty(json, "download answer"); }
    void restartDownload(const QByteArray &json) override { notEmpty(json, "restart answer"); }
    void removeHistory(const QByteArray &json) override { notEmpty(json, "removal answer"); }
    void removeAllHistory(const QByteArray &json) override { notEmpty(json, "clean-all answer"); }
    void permissionAnswer(const QByteArray &json) override { notEmpty(json, "permission answer"); }
    // Bytes that arrived are never a hang-up.
    void linkEnded() override { FuzzHarness::fail("the link ended on incoming bytes", QByteArray()); }

private:
    static void notEmpty(const QByteArray &payload, const char *what)
    {
        if (payload.isEmpty())
            FuzzHarness::fail("empty payload handed on", what);
    }
};

}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    (void)argc;
    FuzzHarness::start((*argv)[0]);
    static CheckingReceiver receiver;
    transport::shareInstance()->setReceiver(&receiver);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t cuts = data[0] % 8;
    if (size < 1 + cuts)
        return 0;
    // Every input starts from the defaults, so a crash replays from its file alone.
    VellChatWBConfigure::init();
    FuzzHarness::feedHost(data + 1, cuts, data + 1 + cuts, size - 1 - cuts);
    return 0;
}
