// SPDX-License-Identifier: Apache-2.0
#include "hostlib/browserhost.h"
#include "tests/install/xclose.h"
#include "webtestkit.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// What `cmake --install` put in a prefix, run from there on an X display:
// check-install.sh installs, builds the example against the installed package
// only, and runs this under xvfb-run with WB_INSTALL_PREFIX, WB_INSTALL_LIBDIR
// and WB_EXAMPLE. Paths below name the library folder "$LIBDIR".
class tst_Installed : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void versionAndHelpWithoutDisplay();
    void referenceHostFindsItsLibraryAndBrowser();
    void testModeShowsLocalPage();
    void exampleDrivesInstalledBrowser();
private:
    QString installed(QString relative) const
    {
        return prefix + QLatin1Char('/') + relative.replace(QLatin1String("$LIBDIR"), libdir);
    }

    QString prefix;
    QString libdir;
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
    libdir = qEnvironmentVariable("WB_INSTALL_LIBDIR");
    if (prefix.isEmpty() || example.isEmpty() || libdir.isEmpty())
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
    QTest::newRow("browser's manual page") << "share/man/man1/channel-web-browser.1.gz" << false;
    QTest::newRow("reference host, out of the PATH") << "$LIBDIR/channel-web-browser/reference-host" << true;
    QTest::newRow("library") << "$LIBDIR/lib" WB_HOST_LIBRARY ".so.1" << false;
    QTest::newRow("library for the linker") << "$LIBDIR/lib" WB_HOST_LIBRARY ".so" << false;
    QTest::newRow("header") << "include/channel-web-browser/hostlib/browserhost.h" << false;
    QTest::newRow("version header") << "include/channel-web-browser/hostlib/hostversion.h" << false;
    QTest::newRow("CMake package") << "$LIBDIR/cmake/ChannelWebBrowser/ChannelWebBrowserConfig.cmake" << false;
    QTest::newRow("CMake package version") << "$LIBDIR/cmake/ChannelWebBrowser/ChannelWebBrowserConfigVersion.cmake" << false;
    QTest::newRow("pkg-config") << "$LIBDIR/pkgconfig/channel-web-browser-host.pc" << false;
    QTest::newRow("README") << "share/doc/channel-web-browser/README.md" << false;
    QTest::newRow("integrators' guide") << "share/doc/lib" WB_HOST_LIBRARY "-dev/integrators-guide.md" << false;
    QTest::newRow("example") << "share/doc/lib" WB_HOST_LIBRARY "-dev/examples/minimal-host/main.cpp" << false;
    QTest::newRow("Open Sans licence") << "share/doc/channel-web-browser/fonts/LICENSE-OpenSans.txt" << false;
    QTest::newRow("DejaVu licence") << "share/doc/channel-web-browser/fonts/LICENSE-Deng-DejaVuSans.txt" << false;
    for (const char *package : {"channel-web-browser", WB_HOST_PACKAGE, "lib" WB_HOST_LIBRARY "-dev",
                                "channel-web-browser-reference-host"}) {
        for (const char *file : {"copyright", "changelog.Debian.gz"})
            QTest::addRow("%s %s", package, file) << QStringLiteral("share/doc/%1/%2").arg(package, file) << false;
    }
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

void tst_Installed::referenceHostFindsItsLibraryAndBrowser()
{
    const QString referenceHost = installed(QStringLiteral("$LIBDIR/channel-web-browser/reference-host"));
    QProcess process;
    process.start(referenceHost, {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardOutput().contains("--browser"));

    // Not beside the browser any more: it starts the one of its installation.
    const int shownBefore = site.requestsFor(QStringLiteral("/shown")).size();
    QTemporaryDir data;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(referenceHost, {QStringLiteral("--url"), site.url(QStringLiteral("/")).toString(),
                                  QStringLiteral("--data-dir"), data.path(), QStringLiteral("--download-dir"), data.path()});
    QTRY_VERIFY_WITH_TIMEOUT(site.requestsFor(QStringLiteral("/shown")).size() > shownBefore, 60000);
    process.terminate();
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 0);
}

void tst_Installed::testModeShowsLocalPage()
{
    const int shownBefore = site.requestsFor(QStringLiteral("/shown")).size();
    QProcess browser;
    browser.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    browser.start(installed(QStringLiteral("bin/channel-web-browser")), {QStringLiteral("test"), site.url(QStringLiteral("/")).toString()});
    // the page loaded, with its bundled web channel script, and ran
    QTRY_VERIFY_WITH_TIMEOUT(site.requestsFor(QStringLiteral("/shown")).size() > shownBefore, 60000);
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
