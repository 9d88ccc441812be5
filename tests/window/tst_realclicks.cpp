// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "webtestkit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

// The built browser on a real X server (the test runs under xvfb-run), clicked
// and typed at with xdotool the way a person would. There is no window
// manager, so the window sits exactly where the host puts it and every target
// below can be worked out from the configured geometry; the keyboard goes to
// the window under the pointer.
class tst_RealClicks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void titleButtonSendsItsBytes();
    void panelRemovesAfterConfirmation();
    void refreshKeysSendOnce();
    void boxKeepsTheKeys();
    void keysWalkTheTitleBar();
    void cleanupTestCase();
private:
    static bool click(int x, int y);
    static bool keys(const QStringList &names);
    void showKeysPage();
    int pageKeys(const QString &key) const { return server.requestsFor("/key/" + key).size(); }
    PageServer server;
    BrowserProcess browser;
    QScopedPointer<FakeHost> host;
};

bool tst_RealClicks::click(int x, int y)
{
    return QProcess::execute("xdotool", {"mousemove", QString::number(x), QString::number(y), "click", "1"}) == 0;
}

bool tst_RealClicks::keys(const QStringList &names)
{
    return QProcess::execute("xdotool", QStringList{"key", "--delay", "50"} + names) == 0;
}

void tst_RealClicks::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server: ctest runs this under xvfb-run");
    QVERIFY(browser.isValid());
    QVERIFY(server.startHttp());
    host.reset(new FakeHost(browser.endpoint()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    browser.process().setProcessEnvironment(env);
    browser.start();
    QVERIFY(host->waitForClient());

    // Wide captions make the targets big: "R" for refresh, then a long
    // download-history caption that surely covers x = 150 on the title bar.
    host->send("config", "title", "RealClicks");
    host->send("config", "refreshText", "R");
    host->send("config", "webFileText", "History History History History");
    host->send("config", "infoBoxDelete", "Delete this record now");
    host->send("config", "windowsRect", "0,0,600,500");
    host->send("event", "updateStoreToVell", "false");
    host->send("event", "updateShareToFriend", "false");
    host->send("event", "showUrl", "about:blank");
    // the X server knows the window by its title once it is mapped
    QCOMPARE(QProcess::execute("timeout", {"30", "xdotool", "search", "--sync", "--onlyvisible", "--name", "RealClicks"}), 0);
    QTest::qWait(500);   // and the first paint of the title bar
}

void tst_RealClicks::titleButtonSendsItsBytes()
{
    host->clear();
    // logo at 5..24 in the frame, which starts at x = 1: "R" begins at 31
    QVERIFY(click(34, 21));
    QTRY_COMPARE_WITH_TIMEOUT(host->rawBytes(), QByteArray("feedback:refresh:;"), 5000);
}

void tst_RealClicks::panelRemovesAfterConfirmation()
{
    QVERIFY(click(150, 21));
    const HostFrame ask = host->waitFor("webfile", "getFileList");
    QCOMPARE(ask.payload.size(), 32);
    const QJsonObject record{{"key", "k1"}, {"name", "report.pdf"}, {"createTime", 1765000000000.0},
                             {"updateTime", 1765000000000.0}, {"fileSize", 2048}, {"status", 2},
                             {"downloadOffset", 2048}, {"fileExists", true}};
    host->send("webfile", "getFileListRes",
               QJsonDocument(QJsonObject{{"data", QJsonArray{record}}, {"key", QString::fromUtf8(ask.payload)}}).toJson());
    QTest::qWait(1000);   // nothing to observe from outside until the row is painted

    // View at (2, 41) on screen, 596 wide: the day row is 30 high, then the
    // file row. Its delete cross is 12 x 12, right edge 58 in from the view's
    // last column (595): x 526..537, y 14..25 below the row's top (71).
    QVERIFY(click(2 + 531, 71 + 19));
    QTest::qWait(800);
    QCOMPARE(host->framesOf("webfile", "removeHistory").size(), 0);   // not before the confirmation

    // Box 300 x 100 centred in the 598 x 498 frame: (149, 199) in the frame,
    // (150, 200) on screen. Its confirm button ends 22 px from the right and
    // 16 px from the bottom; the caption is long, so 40 px in is well inside.
    QVERIFY(click(150 + 300 - 22 - 40, 200 + 100 - 16 - 12));
    const HostFrame removal = host->waitFor("webfile", "removeHistory");
    const QJsonObject asked = QJsonDocument::fromJson(removal.payload).object();
    QCOMPARE(asked.value("fileKey").toString(), QStringLiteral("k1"));
    QCOMPARE(asked.value("key").toString().size(), 32);
}

// A page that reports every key it gets to the server, with one link to a
// download; a click anywhere puts the keyboard on the link.
void tst_RealClicks::showKeysPage()
{
    server.setContent("/keys", "<html><body onclick=\"dl.focus()\" style=\"height:100%\">"
                               "<a id=dl href=\"/file.bin\" download=\"file.bin\">file</a>"
                               "<script>addEventListener('keydown', function (e) {"
                               " fetch('/key/' + encodeURIComponent(e.key)); });</script></body></html>",
                      "text/html");
    server.setContent("/file.bin", QByteArray(64, 'x'), "application/octet-stream");
    const int loadsBefore = server.requestsFor("/keys").size();
    host->send("event", "showUrl", server.url("/keys").toString());
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/keys").size(), loadsBefore + 1, 10000);
    QTest::qWait(500);   // nothing to observe from outside until the page is painted
    QVERIFY(click(300, 300));
}

// F5 and Ctrl+R in the page: the host hears one refresh per press and the
// browser does not load the page again; the page saw the keys first.
void tst_RealClicks::refreshKeysSendOnce()
{
    showKeysPage();
    host->clear();
    QVERIFY(keys({"F5", "ctrl+r"}));
    QTRY_COMPARE_WITH_TIMEOUT(host->framesOf("feedback", "refresh").size(), 2, 5000);
    QVERIFY(keys({"x"}));
    QTRY_COMPARE_WITH_TIMEOUT(pageKeys("x"), 1, 5000);
    QCOMPARE(host->rawBytes(), QByteArray("feedback:refresh:;feedback:refresh:;"));
    QCOMPARE(server.requestsFor("/keys").size(), 1);
    QCOMPARE(pageKeys("F5"), 1);
}

// Return on a download link starts a download and the host's "Downloading..."
// box opens; while it is open no key reaches the page, and Return closes it
// without starting the download again.
void tst_RealClicks::boxKeepsTheKeys()
{
    host->clear();
    QVERIFY(keys({"Return"}));
    const HostFrame started = host->waitFor("webfile", "startDownload");
    const QString key = QJsonDocument::fromJson(started.payload).object().value("key").toString();
    QCOMPARE(key.size(), 32);
    host->send("webfile", "startDownloadRes", QJsonDocument(QJsonObject{{"key", key}, {"info", "Downloading..."}}).toJson());
    QTest::qWait(500);   // the box has to be on screen before the keys
    const int xBefore = pageKeys("x");
    QVERIFY(keys({"x", "F5", "Tab", "Return"}));
    // the box is gone: keys reach the page again
    QVERIFY(keys({"y"}));
    QTRY_COMPARE_WITH_TIMEOUT(pageKeys("y"), 1, 5000);
    QCOMPARE(pageKeys("x"), xBefore);
    QCOMPARE(host->framesOf("webfile", "startDownload").size(), 1);
    QCOMPARE(host->framesOf("feedback", "refresh").size(), 0);
}

// From the page, Tab reaches the title buttons and Space presses one; the
// panel opened with Return leaves with Escape and the page has the keys again.
void tst_RealClicks::keysWalkTheTitleBar()
{
    QVERIFY(click(300, 300));
    host->clear();
    QVERIFY(keys({"Tab", "space"}));   // off the link, onto "R"
    QTRY_COMPARE_WITH_TIMEOUT(host->rawBytes(), QByteArray("feedback:refresh:;"), 5000);
    QVERIFY(keys({"Tab", "Return"}));   // Download History
    host->waitFor("webfile", "getFileList");
    QVERIFY(keys({"Escape", "z"}));
    QTRY_COMPARE_WITH_TIMEOUT(pageKeys("z"), 1, 5000);
}

void tst_RealClicks::cleanupTestCase()
{
    if (!host)
        return;
    host->hangUp();
    QVERIFY(browser.process().waitForFinished(10000));
    QCOMPARE(browser.process().exitCode(), 0);
}

QTEST_MAIN(tst_RealClicks)
#include "tst_realclicks.moc"
