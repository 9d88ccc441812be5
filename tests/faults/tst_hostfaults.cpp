#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "webtestkit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <csignal>
#include <functional>

// The built browser against hosts that go wrong: killed outright, silent, or
// hanging up while the browser is in the middle of something.
class tst_HostFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void killedHostEndsTheBrowser();
    void silentHostLeavesPagesAnEmptyAnswer();
    void hangUpInTheMiddle_data();
    void hangUpInTheMiddle();
private:
    PageServer server;
};

namespace {

const char kUserInfoPage[] =
    "<html><head><script src='/qwebchannel.js'></script></head><body><script>"
    "new QWebChannel(qt.webChannelTransport, function (channel) {"
    "  var bridge = channel.objects.jsbridge;"
    "  bridge.getCurrentUserInfo(function (v) { bridge.postLog('user info: [' + v + ']'); });"
    "});"
    "</script></body></html>";

// Gets the browser into some state through its host; QVERIFY inside it
// marks the test failed.
using Scene = std::function<void(FakeHost &host, PageServer &server)>;

void boxOpen(FakeHost &host, PageServer &server)
{
    host.send("event", "showUrl", server.url("/first").toString());
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/first").isEmpty(), 20000);
    host.send("event", "showBoxMessage", "held open");
    host.send("event", "showUrl", server.url("/second").toString());
    // Messages apply in order: once the second page is asked for, the box is up.
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/second").isEmpty(), 20000);
}

void historyPolling(FakeHost &host, PageServer &)
{
    host.send("event", "showUrl", "about:blank");
    const HostFrame ask = host.waitFor("webfile", "getFileList", 20000);
    QCOMPARE(ask.payload.size(), 32);
    const QJsonObject downloading{{"key", "k-run"}, {"name", "movie.mp4"}, {"createTime", 1.7e12},
                                  {"updateTime", 1.7e12}, {"fileSize", 1000}, {"status", 1},
                                  {"downloadOffset", 100}, {"fileExists", true}};
    host.send("webfile", "getFileListRes",
              QJsonDocument(QJsonObject{{"data", QJsonArray{downloading}}, {"key", QString::fromUtf8(ask.payload)}}).toJson());
    // Two progress requests: the panel's timer is running, and the second
    // request went out with the first still unanswered.
    QVERIFY(host.waitForCount("webfile", "getDownloadOffset", 2, 20000));
}

void boxFloodBeingDispatched(FakeHost &host, PageServer &server)
{
    host.send("event", "showUrl", server.url("/flooded").toString());
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/flooded").isEmpty(), 20000);
    QByteArray boxes;
    for (int i = 0; i < 20000; ++i)
        boxes += FakeHost::frame("event", "showBoxMessage", QStringLiteral("box %1").arg(i));
    // The browser takes these in far faster than it can show them one by
    // one, so the hang-up right after lands while they are being dispatched.
    host.sendRaw(boxes);
}

}

Q_DECLARE_METATYPE(Scene)

void tst_HostFaults::initTestCase()
{
    QFile channelScript(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    QVERIFY(channelScript.open(QIODevice::ReadOnly));
    server.setContent("/qwebchannel.js", channelScript.readAll(), "application/javascript");
    server.setContent("/userinfo.html", kUserInfoPage, "text/html");
    QVERIFY(server.startHttp());
}

void tst_HostFaults::killedHostEndsTheBrowser()
{
    BrowserProcess browser;
    QVERIFY(browser.isValid());
    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(QStringLiteral(WB_FAULTHOST_PATH), {browser.endpoint(), server.url("/page").toString()});
    QVERIFY(host.waitForReadyRead(10000));
    QCOMPARE(host.readLine(), QByteArray("listening\n"));
    browser.start();
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/page").isEmpty(), 20000);

    QElapsedTimer sinceKill;
    sinceKill.start();
    ::kill(pid_t(host.processId()), SIGKILL);
    // The browser ends half a second after its link breaks, plus what the web
    // engine needs to shut down; 3 s leaves room for a busy machine.
    QVERIFY(browser.process().waitForFinished(3000));
    qInfo("the browser ended %lld ms after the host was killed", sinceKill.elapsed());
    QVERIFY(host.waitForFinished(5000));
    QCOMPARE(host.exitStatus(), QProcess::CrashExit);
    QCOMPARE(browser.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser.process().exitCode(), 0);
}

void tst_HostFaults::silentHostLeavesPagesAnEmptyAnswer()
{
    BrowserProcess browser;
    QVERIFY(browser.isValid());
    FakeHost host(browser.endpoint());
    QVERIFY(host.isListening());
    browser.start();
    QVERIFY(host.waitForClient());
    host.send("event", "showUrl", server.url("/userinfo.html").toString());

    const HostFrame ask = host.waitFor("iq", "currentuserinfo", 20000);
    QCOMPARE(ask.payload.size(), 32);
    QElapsedTimer waited;
    waited.start();
    QByteArray answer;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (const HostFrame &f : host.framesOf("feedback", "receiveLog"))
                if (f.payload.startsWith("user info:"))
                    answer = f.payload;
            return !answer.isEmpty();
        }(),
        20000);
    QCOMPARE(answer, QByteArray("user info: []"));
    // The bridge waits 100 rounds of 30 ms for an answer; an empty answer
    // much sooner would mean it gave up without waiting.
    QVERIFY2(waited.elapsed() >= 2000, qPrintable(QString::number(waited.elapsed())));

    host.hangUp();
    QVERIFY(browser.process().waitForFinished(15000));
    QCOMPARE(browser.process().exitCode(), 0);
}

void tst_HostFaults::hangUpInTheMiddle_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<Scene>("scene");
    QTest::newRow("information box open") << QStringLiteral(WB_BROWSER_PATH) << Scene(boxOpen);
    QTest::newRow("download history polling") << QStringLiteral(WB_HISTORY_BROWSER_PATH) << Scene(historyPolling);
    QTest::newRow("box flood being dispatched") << QStringLiteral(WB_BROWSER_PATH) << Scene(boxFloodBeingDispatched);
}

void tst_HostFaults::hangUpInTheMiddle()
{
    QFETCH(QString, program);
    QFETCH(Scene, scene);
    BrowserProcess browser(program);
    QVERIFY(browser.isValid());
    FakeHost host(browser.endpoint());
    QVERIFY(host.isListening());
    browser.start();
    QVERIFY(host.waitForClient());
    scene(host, server);
    if (QTest::currentTestFailed())
        return;

    // The host closes once its last bytes are out, which takes this
    // process's event loop: wait with it turning.
    host.hangUp();
    QTRY_COMPARE_WITH_TIMEOUT(browser.process().state(), QProcess::NotRunning, 15000);
    QCOMPARE(browser.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser.process().exitCode(), 0);
}

QTEST_MAIN(tst_HostFaults)
#include "tst_hostfaults.moc"
