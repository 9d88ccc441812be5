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

QTEST_MAIN(tst_Process)
#include "tst_process.moc"
