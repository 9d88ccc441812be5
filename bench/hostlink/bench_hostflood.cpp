// SPDX-License-Identifier: Apache-2.0
// The host link of this process, with a window open, against faulthost in a
// process of its own that floods it or sends huge messages: how long the
// event loop was held up at most while each was dispatched. tst_hostflood
// checks what the window ends up showing; these are the times.
#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"
#include "widgets/informbox.h"
#include "window/vellchatwebbroswer.h"
#include "window/vellchatwebbroswer_impl.h"
#include "window/windowhostcommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

// Longest time between two ticks of a 10 ms timer on the GUI thread.
class LoopWatch : public QObject
{
public:
    LoopWatch()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, [this] {
            const qint64 now = clock.elapsed();
            longest = qMax(longest, now - last);
            last = now;
        });
        clock.start();
        timer.start();
    }
    qint64 longestGap() const { return longest; }
private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
};

const int kBig = 64 * 1024 * 1024;
// Far beyond what any of them takes; a run that needs it is not worth a figure.
const int kLimitMs = 300000;

QStringList boxTexts()
{
    QStringList texts;
    if (VellChatWebBroswer *w = VellChatWebBroswer::instance())
        for (InformBox *box : w->impl()->findChildren<InformBox *>())
            texts << box->findChild<QLabel *>()->text();
    return texts;
}

// Sends faulthost one command and turns the event loop, so that this
// process reads what it sends, until it says it wrote everything.
bool command(QProcess &host, const QByteArray &line)
{
    host.write(line + '\n');
    const QByteArray done = "done " + line + '\n';
    QByteArray said;
    return QTest::qWaitFor([&] {
        said += host.readAll();
        return said.contains(done);
    }, kLimitMs);
}

// Runs one command under a fresh watch until its effect shows, and prints
// the longest gap, or says why there is none.
void measure(QProcess &host, const char *what, const QByteArray &line, const std::function<bool()> &applied,
             const char *target = "")
{
    LoopWatch watch;
    if (!command(host, line) || !QTest::qWaitFor(applied, kLimitMs)) {
        std::printf("%s: did not finish\n", what);
        return;
    }
    const QByteArray aim = *target ? QByteArray(" (target ") + target + ')' : QByteArray();
    std::printf("%s: longest event-loop gap %lld ms%s\n", what, watch.longestGap(), aim.constData());
    std::fflush(stdout);
}

}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);
    QLoggingCategory::setFilterRules(QStringLiteral("channel.*.debug=false"));
    VellChatWBConfigure::init();

    QTemporaryDir dir;
    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(QStringLiteral(WB_FAULTHOST_PATH), {dir.filePath(QStringLiteral("host.sock")), QStringLiteral("about:blank")});
    if (!host.waitForReadyRead(30000) || host.readLine() != "listening\n") {
        std::fprintf(stderr, "faulthost did not start\n");
        return 1;
    }
    transport::shareInstance()->connectToVell(dir.filePath(QStringLiteral("host.sock")));
    if (!QTest::qWaitFor([] { return VellChatWebBroswer::instance() != nullptr; }, 60000)) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    host.readAll();

    // 200,000 titles and a refresh text after every third: the whole flood
    // dispatches in about 0.1 s, so the loop keeps turning by any measure.
    measure(host, "200000 titles", "flood 200000",
            [] { return VellChatWBConfigure::Title() == QLatin1String("flood 199999"); }, "< 1000 ms");
    // A box costs about half a millisecond and one socket read holds some
    // 5,900 of them: a pass that dispatched a whole read held the loop for
    // over 2 s, a bounded pass takes tens of milliseconds.
    measure(host, "20000 boxes", "boxes 20000", [] { return boxTexts() == QStringList{"box 19999"}; }, "< 1000 ms");
    measure(host, "one 64 MiB value", "big " + QByteArray::number(kBig),
            [] { return VellChatWBConfigure::Title() == QLatin1String("after big"); });
    measure(host, "64 MiB without an end", "tail " + QByteArray::number(kBig),
            [] { return transport::shareInstance()->pendingTail().size() == kBig; });

    // The window goes first: once the host is gone the link would end the
    // event loop under it.
    VellChatWebBroswer::destory();
    host.kill();
    host.waitForFinished(5000);
    return 0;
}
