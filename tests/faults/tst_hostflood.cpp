// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"
#include "widgets/informbox.h"
#include "window/vellchatwebbroswer.h"
#include "window/vellchatwebbroswer_impl.h"
#include "window/windowhostcommands.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

// The host link of this process, with a window open, against a host in its
// own process (faulthost) that floods it with messages or sends huge ones.
// How long the event loop is held up meanwhile is bench_hostflood's figure.
class tst_HostFlood : public QObject
{
    Q_OBJECT
private slots:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
    void initTestCase();
    void cleanupTestCase();
    void floodIsAppliedInOrder();
    void boxFloodShowsTheLastBox();
    void hugeValueIsDecodedAndTheLinkGoesOn();
    void endlessMessageIsHeldUntilItsEnd();
private:
    static QStringList boxTexts();
    bool command(const QByteArray &line);
    QTemporaryDir dir;
    QProcess host;
};

namespace {

// Looks at the state at every tick of a 10 ms timer on the GUI thread, that
// is whenever the event loop gets to turn during a flood.
class LoopWatch : public QObject
{
public:
    explicit LoopWatch(std::function<void()> onTick)
    {
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, std::move(onTick));
        timer.start();
    }
private:
    QTimer timer;
};

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// "flood 123" -> 123; anything else -> -1
int floodNumber(const QString &title)
{
    if (!title.startsWith(QLatin1String("flood ")))
        return -1;
    return title.mid(6).toInt();
}

const int kBig = 64 * 1024 * 1024;

}

QStringList tst_HostFlood::boxTexts()
{
    QStringList texts;
    if (VellChatWebBroswer *w = VellChatWebBroswer::instance())
        for (InformBox *box : w->impl()->findChildren<InformBox *>())
            texts << box->findChild<QLabel *>()->text();
    return texts;
}

bool tst_HostFlood::command(const QByteArray &line)
{
    host.write(line + '\n');
    const QByteArray done = "done " + line + '\n';
    QElapsedTimer clock;
    clock.start();
    QByteArray said;
    // Writing 64 MiB through a socket the test itself drains takes a while
    // on a busy machine; two minutes are far beyond what it needs.
    while (!said.contains(done) && clock.elapsed() < 120000) {
        if (!host.canReadLine())
            QTest::qWait(10);
        said += host.readAll();
    }
    return said.contains(done);
}

void tst_HostFlood::initTestCase()
{
    // What the host asks is done to the window, as in the browser.
    static WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);
    // The link logs a line per read pass and per box; thousands of them would
    // use up the test's message allowance before the figures below.
    QLoggingCategory::setFilterRules(QStringLiteral("channel.*.debug=false"));
    VellChatWBConfigure::init();
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("host.sock"));
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(QStringLiteral(WB_FAULTHOST_PATH), {name, QStringLiteral("about:blank")});
    QVERIFY(host.waitForReadyRead(30000));
    QCOMPARE(host.readLine(), QByteArray("listening\n"));
    transport::shareInstance()->connectToVell(name);
    QTRY_VERIFY_WITH_TIMEOUT(VellChatWebBroswer::instance(), 20000);
    QCOMPARE(VellChatWBConfigure::Title(), QStringLiteral("fault host"));
    host.readAll();
}

void tst_HostFlood::cleanupTestCase()
{
    // The window goes first: once the host is gone the link would end the
    // event loop under whatever waits in it.
    VellChatWebBroswer::destory();
    host.kill();
    host.waitForFinished(5000);
}

void tst_HostFlood::floodIsAppliedInOrder()
{
    bool wentBack = false;
    int seen = -1;
    LoopWatch watch([&] {
        const int n = floodNumber(VellChatWBConfigure::Title());
        wentBack = wentBack || n < seen;
        seen = qMax(seen, n);
    });
    QVERIFY(command("flood 200000"));
    // 200,000 titles, and after every third one a refresh text: 266,667
    // messages, about 8 MiB.
    QTRY_COMPARE_WITH_TIMEOUT(VellChatWBConfigure::Title(), QStringLiteral("flood 199999"), 120000);
    QCOMPARE(VellChatWBConfigure::TitleRefreshText(), QStringLiteral("refresh 199998"));
    QVERIFY2(!wentBack, "a later title was applied before an earlier one");
    QVERIFY(transport::shareInstance()->pendingTail().isEmpty());
}

void tst_HostFlood::boxFloodShowsTheLastBox()
{
    QVERIFY(command("boxes 20000"));
    // each box replaces the one before: the last one is left, alone
    QTRY_COMPARE_WITH_TIMEOUT(boxTexts(), QStringList{"box 19999"}, 120000);
}

void tst_HostFlood::hugeValueIsDecodedAndTheLinkGoesOn()
{
    QVERIFY(command("big " + QByteArray::number(kBig)));
    QTRY_COMPARE_WITH_TIMEOUT(VellChatWBConfigure::Title(), QStringLiteral("after big"), 120000);
    QVERIFY(transport::shareInstance()->pendingTail().isEmpty());
    // Dispatched as one value: the 7 x 5 picture at its head became the logo.
    QCOMPARE(VellChatWBConfigure::TitleChannelLogo()->size(), QSize(7, 5));
    QCOMPARE(VellChatWBConfigure::TitleChannelLogo()->toImage().pixelColor(3, 2), QColor(Qt::red));
}

void tst_HostFlood::endlessMessageIsHeldUntilItsEnd()
{
    const qint64 before = residentKiB();
    QVERIFY(command("tail " + QByteArray::number(kBig)));
    // The read pass keeps an unfinished message whole, however long it gets.
    QTRY_COMPARE_WITH_TIMEOUT(transport::shareInstance()->pendingTail().size(), kBig, 120000);
    QVERIFY(transport::shareInstance()->pendingTail().startsWith("iVBORw0KGgo"));
    const qint64 holding = residentKiB();
    qInfo("resident memory: %lld KiB before, %lld KiB holding the unfinished message", before, holding);

    // Its ';' ends it as one piece without a ':' in it, which is dropped, and
    // the next message applies as usual.
    QVERIFY(command("end"));
    QTRY_VERIFY_WITH_TIMEOUT(transport::shareInstance()->pendingTail().isEmpty(), 120000);
    QVERIFY(command("flood 1"));
    QTRY_COMPARE_WITH_TIMEOUT(VellChatWBConfigure::Title(), QStringLiteral("flood 0"), 60000);
    qInfo("resident memory once it ended: %lld KiB", residentKiB());
}

QTEST_MAIN(tst_HostFlood)
#include "tst_hostflood.moc"
