// Arbitrary bytes from the host through the read pass and the dispatcher,
// cut into reads at places the input chooses.
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
#include "hostlink/transport.h"

#include <QByteArray>
#include <QVector>
#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    (void)argc;
    FuzzHarness::start((*argv)[0]);
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
    const char *stream = reinterpret_cast<const char *>(data) + 2 + cuts;
    const int streamSize = int(size - 2 - cuts);

    QVector<int> bounds{0, streamSize};
    for (size_t i = 0; i < cuts; ++i)
        bounds.append(int(quint64(data[2 + i]) * quint64(streamSize) / 256));
    std::sort(bounds.begin(), bounds.end());

    // Every input starts from the defaults, so a crash replays from its file
    // alone (the window, when there is one, is the same each time).
    VellChatWBConfigure::init();
    if (withWindow)
        FuzzHarness::window();
    else
        FuzzHarness::dropWindow();

    transport *link = transport::shareInstance();
    link->clearPending();
    QByteArray seen;   // the stream as the read pass may see it: each read up to its first NUL
    for (int i = 0; i + 1 < bounds.size(); ++i) {
        // A socket hands over bytes of its own, never a view of ours.
        const QByteArray read(stream + bounds[i], bounds[i + 1] - bounds[i]);
        link->processIncoming(read);
        const int nul = read.indexOf('\0');
        seen.append(nul >= 0 ? read.left(nul) : read);
    }
    // However the stream was cut, what waits for the next read is exactly
    // what follows the last ';' - nothing complete is held back, nothing
    // unfinished is dispatched.
    const QByteArray tail = seen.mid(seen.lastIndexOf(';') + 1);
    if (link->pendingTail() != tail)
        FuzzHarness::fail("kept tail differs from the bytes after the last ';'", link->pendingTail());
    link->clearPending();

    FuzzHarness::settle();
    if (!withWindow)
        FuzzHarness::dropWindow();
    return 0;
}
