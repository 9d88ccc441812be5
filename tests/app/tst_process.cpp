#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"

#include <QElapsedTimer>
#include <QtTest>

class tst_Process : public QObject
{
    Q_OBJECT
private slots:
    void exitsWhenHostCloses();
    void exitsWithoutHost();
    void testModeArguments_data();
    void testModeArguments();
    void logCategories_data();
    void logCategories();
};

void tst_Process::exitsWhenHostCloses()
{
    BrowserProcess browser;
    QVERIFY(browser.isValid());
    FakeHost host(browser.endpoint());
    QVERIFY(host.isListening());
    browser.start();
    QVERIFY(host.waitForClient());

    QElapsedTimer sinceHangUp;
    host.hangUp();
    sinceHangUp.start();
    QVERIFY(browser.process().waitForFinished(10000));
    // the process lingers half a second before it leaves
    QVERIFY2(sinceHangUp.elapsed() >= 400, qPrintable(QString::number(sinceHangUp.elapsed())));
    QCOMPARE(browser.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser.process().exitCode(), 0);
}

void tst_Process::exitsWithoutHost()
{
    BrowserProcess browser;
    QVERIFY(browser.isValid());
    browser.start();
    QVERIFY(browser.process().waitForFinished(10000));
    QCOMPARE(browser.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser.process().exitCode(), 0);
}

void tst_Process::testModeArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("connects");
    QTest::newRow("no arguments") << QStringList() << true;
    QTest::newRow("Test, capital T") << QStringList{"Test"} << true;
    QTest::newRow("test and two more") << QStringList{"test", "http://127.0.0.1:1/", "extra"} << true;
    QTest::newRow("other word") << QStringList{"demo"} << true;
    QTest::newRow("test") << QStringList{"test"} << false;
    QTest::newRow("test with address") << QStringList{"test", "about:blank"} << false;
}

void tst_Process::testModeArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, connects);
    BrowserProcess browser;
    QVERIFY(browser.isValid());
    FakeHost host(browser.endpoint());
    browser.start(arguments);
    QVERIFY(browser.process().waitForStarted());
    // Test mode never looks for a host; give it well past its start-up to try.
    const bool connected = host.waitForClient(connects ? 10000 : 3000);
    QCOMPARE(connected, connects);
    if (!connects)
        QCOMPARE(browser.process().state(), QProcess::Running);
}

void tst_Process::logCategories_data()
{
    QTest::addColumn<QString>("rules");   // QT_LOGGING_RULES; empty: not set
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    const QString connected = "socketConnected";
    const QString reading = "socketReading";
    const QString box = "~InformBox";
    const QString disconnected = "socketDisconnected";
    QTest::newRow("no rules: every line") << QString() << QStringList{connected, reading, box, disconnected} << QStringList();
    QTest::newRow("host link silenced") << "channel.hostlink.debug=false" << QStringList{box}
                                        << QStringList{connected, reading, disconnected};
    QTest::newRow("widgets silenced") << "channel.widgets.debug=false" << QStringList{connected, reading, disconnected}
                                      << QStringList{box};
    QTest::newRow("all of ours silenced") << "channel.*.debug=false" << QStringList()
                                          << QStringList{connected, reading, box, disconnected};
    QTest::newRow("the default category is not ours") << "default.debug=false"
                                                      << QStringList{connected, reading, box, disconnected} << QStringList();
}

// The browser's own lines keep their text and each goes through a category of
// its own, so that integrators can choose what they see.
void tst_Process::logCategories()
{
    QFETCH(QString, rules);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    BrowserProcess browser;
    QVERIFY(browser.isValid());
    FakeHost host(browser.endpoint());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_LOGGING_RULES");
    if (!rules.isEmpty())
        env.insert("QT_LOGGING_RULES", rules);
    browser.process().setProcessEnvironment(env);
    browser.process().setProcessChannelMode(QProcess::SeparateChannels);
    browser.start();
    QVERIFY(host.waitForClient());
    // A window with a box that the next one replaces; the hang-up ends it all.
    host.send("event", "showUrl", "about:blank");
    host.send("event", "showBoxMessage", "one");
    host.send("event", "showBoxMessage", "two");
    host.hangUp();
    QVERIFY(browser.process().waitForFinished(30000));
    QCOMPARE(browser.process().exitCode(), 0);
    const QStringList lines = QString::fromLocal8Bit(browser.process().readAllStandardError()).split('\n');
    for (const QString &line : shown)
        QVERIFY2(lines.contains(line), qPrintable(line + " missing from:\n" + lines.join('\n')));
    for (const QString &line : hidden)
        QVERIFY2(!lines.contains(line), qPrintable(line + " shown in:\n" + lines.join('\n')));
}

QTEST_MAIN(tst_Process)
#include "tst_process.moc"
