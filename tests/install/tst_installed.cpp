#include "hostlib/browserhost.h"
#include "tests/install/xclose.h"
#include "webtestkit.h"

#include <QFileInfo>
#include <QProcess>
#include <QtTest>

// What `cmake --install` put in a prefix, run from there on an X display:
// check-install.sh installs, builds the example against the installed package
// only, and runs this under xvfb-run with WB_INSTALL_PREFIX and WB_EXAMPLE.
class tst_Installed : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void versionAndHelpWithoutDisplay();
    void referenceHostFindsItsLibrary();
    void testModeShowsLocalPage();
    void exampleDrivesInstalledBrowser();
private:
    QString installed(const QString &relative) const { return prefix + QLatin1Char('/') + relative; }

    QString prefix;
    QString example;
    PageServer site;
};

static const char kPage[] = R"(<!doctype html><html><head><title>Local page</title>
<script src="qrc:///qtwebchannel/qwebchannel.js"></script></head><body><h1>Local page</h1><script>
new QWebChannel(qt.webChannelTransport, channel => {
  channel.objects.jsbridge.postLog('page loaded');
  fetch('/shown');
});
</script></body></html>)";

void tst_Installed::initTestCase()
{
    prefix = qEnvironmentVariable("WB_INSTALL_PREFIX");
    example = qEnvironmentVariable("WB_EXAMPLE");
    if (prefix.isEmpty() || example.isEmpty())
        QSKIP("run by tests/install/check-install.sh, which installs first");
    QVERIFY(!qEnvironmentVariableIsEmpty("DISPLAY"));
    site.setContent(QStringLiteral("/"), kPage, "text/html");
    QVERIFY(site.startHttp());
}

void tst_Installed::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("browser") << "bin/channel-web-browser" << true;
    QTest::newRow("reference host") << "bin/reference-host" << true;
    QTest::newRow("library") << "lib/libchannel-web-browser-host.so.1" << false;
    QTest::newRow("library for the linker") << "lib/libchannel-web-browser-host.so" << false;
    QTest::newRow("header") << "include/channel-web-browser/hostlib/browserhost.h" << false;
    QTest::newRow("version header") << "include/channel-web-browser/hostlib/hostversion.h" << false;
    QTest::newRow("CMake package") << "lib/cmake/ChannelWebBrowser/ChannelWebBrowserConfig.cmake" << false;
    QTest::newRow("CMake package version") << "lib/cmake/ChannelWebBrowser/ChannelWebBrowserConfigVersion.cmake" << false;
    QTest::newRow("pkg-config") << "lib/pkgconfig/channel-web-browser-host.pc" << false;
    QTest::newRow("README") << "share/doc/channel-web-browser/README.md" << false;
    QTest::newRow("integrators' guide") << "share/doc/channel-web-browser/integrators-guide.md" << false;
    QTest::newRow("example") << "share/doc/channel-web-browser/examples/minimal-host/main.cpp" << false;
    QTest::newRow("Open Sans licence") << "share/doc/channel-web-browser/fonts/LICENSE-OpenSans.txt" << false;
    QTest::newRow("DejaVu licence") << "share/doc/channel-web-browser/fonts/LICENSE-Deng-DejaVuSans.txt" << false;
}

void tst_Installed::installedFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo info(installed(path));
    QVERIFY2(info.isFile() && info.size() > 0, qPrintable(info.filePath()));
    QCOMPARE(info.isExecutable(), executable);
}

void tst_Installed::versionAndHelpWithoutDisplay()
{
    const QString browser = installed(QStringLiteral("bin/channel-web-browser"));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);

    process.start(browser, {QStringLiteral("--version")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), QByteArray("channel-web-browser " WB_VERSION "\n"));

    process.start(browser, {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    // the endpoint it names is the one the host library computes for it
    QVERIFY2(help.contains(QStringLiteral("\n  ") + ChannelWebBrowser::BrowserHost::endpointFor(browser) + QLatin1Char('\n')), qPrintable(help));
    QVERIFY(help.contains(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX=1")));
}

void tst_Installed::referenceHostFindsItsLibrary()
{
    QProcess process;
    process.start(installed(QStringLiteral("bin/reference-host")), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardOutput().contains("--browser"));
}

void tst_Installed::testModeShowsLocalPage()
{
    QProcess browser;
    browser.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    browser.start(installed(QStringLiteral("bin/channel-web-browser")), {QStringLiteral("test"), site.url(QStringLiteral("/")).toString()});
    // the page loaded, with its bundled web channel script, and ran
    QTRY_VERIFY_WITH_TIMEOUT(!site.requestsFor(QStringLiteral("/shown")).isEmpty(), 60000);
    QCOMPARE(browser.state(), QProcess::Running);
    browser.terminate();
    QVERIFY(browser.waitForFinished(10000));
}

void tst_Installed::exampleDrivesInstalledBrowser()
{
    const int shownBefore = site.requestsFor(QStringLiteral("/shown")).size();
    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QByteArray out;
    connect(&host, &QProcess::readyReadStandardOutput, this, [&] { out += host.readAllStandardOutput(); });
    host.start(example, {site.url(QStringLiteral("/")).toString()});

    QTRY_VERIFY_WITH_TIMEOUT(out.contains("browser: feedback:receiveLog page loaded\n"), 60000);
    QTRY_VERIFY(site.requestsFor(QStringLiteral("/shown")).size() > shownBefore);
    QCOMPARE(site.requestsFor(QStringLiteral("/shown")).last().headers.value("x-access-token"), QByteArray("example-token"));

    // The user closes the window: the browser leaves, and so does the host.
    QVERIFY(closeWindowTitled("Minimal host"));
    QVERIFY(host.waitForFinished(20000));
    QCOMPARE(host.exitStatus(), QProcess::NormalExit);
    QCOMPARE(host.exitCode(), 0);
    out += host.readAllStandardOutput();
    QVERIFY2(out.endsWith("browser exited with code 0\n"), out.constData());
}

QTEST_GUILESS_MAIN(tst_Installed)
#include "tst_installed.moc"
