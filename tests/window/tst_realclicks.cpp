#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

// The built browser on a real X server (the test runs under xvfb-run), clicked
// with xdotool the way a person would. There is no window manager, so the
// window sits exactly where the host puts it and every target below can be
// worked out from the configured geometry.
class tst_RealClicks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void titleButtonSendsItsBytes();
    void panelRemovesAfterConfirmation();
    void cleanupTestCase();
private:
    static bool click(int x, int y);
    BrowserProcess browser;
    QScopedPointer<FakeHost> host;
};

bool tst_RealClicks::click(int x, int y)
{
    return QProcess::execute("xdotool", {"mousemove", QString::number(x), QString::number(y), "click", "1"}) == 0;
}

void tst_RealClicks::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server: ctest runs this under xvfb-run");
    QVERIFY(browser.isValid());
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
