// SPDX-License-Identifier: Apache-2.0
#include "hostlib/browserhost.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace ChannelWebBrowser;

// The socket side of BrowserHost, with a plain local socket playing the
// browser; starting the real browser is left to the reference host's tests.
class tst_BrowserHost : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void endpointFollowsLinks();
    void framesWaitForTheBrowser();
    void staleSocketFileIsReplaced_data();
    void staleSocketFileIsReplaced();
    void secondConnectionRefused();
    void secondHostLeavesTheFirstAlone();
    void scratchFiles_data();
    void scratchFiles();
    void otherUserHearsNothing();
    void hangUpAfterLastFrames();
    void hangUpBeforeTheBrowserConnects_data();
    void hangUpBeforeTheBrowserConnects();
    void startNeedsAnExecutable_data();
    void startNeedsAnExecutable();
    void sandboxOffOnlyForRoot_data();
    void sandboxOffOnlyForRoot();
private:
    QString browserPath() const { return dir->filePath(QStringLiteral("bin/channel-web-browser")); }
    QScopedPointer<QTemporaryDir> dir;
};

// What the browser received, once `count` bytes are in. Both ends live in
// this thread, so the event loop has to turn for the host's writes to leave.
static QByteArray readAtLeast(QLocalSocket &socket, int count)
{
    QByteArray got;
    const bool complete = QTest::qWaitFor([&] {
        got += socket.readAll();
        return got.size() >= count;
    }, 5000);
    Q_UNUSED(complete)   // the caller compares what came
    return got;
}

void tst_BrowserHost::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("elsewhere")));
    QFile exe(browserPath());
    QVERIFY(exe.open(QIODevice::WriteOnly));
    // A stand-in browser that only tells what environment it was given.
    exe.write("#!/bin/sh\nprintf '%s' \"${QTWEBENGINE_DISABLE_SANDBOX-unset}\" > \"$0.sandbox\"\n");
    exe.close();
    exe.setPermissions(exe.permissions() | QFile::ExeOwner);
}

void tst_BrowserHost::endpointFollowsLinks()
{
    const QString link = dir->filePath(QStringLiteral("elsewhere/browser-link"));
    QVERIFY(QFile::link(browserPath(), link));
    const QString direct = BrowserHost::endpointFor(browserPath());
    QCOMPARE(BrowserHost::endpointFor(link), direct);
    // a browser really installed elsewhere has its own endpoint
    QVERIFY(QFile::copy(browserPath(), dir->filePath(QStringLiteral("elsewhere/channel-web-browser"))));
    QVERIFY(BrowserHost::endpointFor(dir->filePath(QStringLiteral("elsewhere/channel-web-browser"))) != direct);
}

void tst_BrowserHost::framesWaitForTheBrowser()
{
    BrowserHost host;
    QVERIFY2(host.listen(browserPath()), qPrintable(host.errorString()));
    host.setTitle(QStringLiteral("A"));
    host.showUrl(QUrl(QStringLiteral("http://127.0.0.1:1/")));

    // A host that writes as soon as the browser is there still has its
    // earlier frames sent first.
    connect(&host, &BrowserHost::browserConnected, &host, [&host] { host.active(); });
    QSignalSpy connected(&host, &BrowserHost::browserConnected);
    QLocalSocket browser;
    browser.connectToServer(host.endpoint());
    QVERIFY(browser.waitForConnected(5000));
    QVERIFY(connected.wait(5000));
    const QByteArray expected = "config:title:QQ==;event:showUrl:aHR0cDovLzEyNy4wLjAuMToxLw==;event:active:;";
    QCOMPARE(readAtLeast(browser, expected.size()), expected);

    // and the way back
    QSignalSpy refresh(&host, &BrowserHost::refreshClicked);
    browser.write("feedback:refresh:;");
    QVERIFY(refresh.wait(5000));
}

void tst_BrowserHost::staleSocketFileIsReplaced_data()
{
    // The browser's runtime folder, made with this mode ("" for none): only a
    // folder of our own that nobody else may enter holds our endpoint.
    QTest::addColumn<QString>("runtimeMode");
    QTest::addColumn<bool>("own");
    QTest::newRow("no runtime folder: the shared endpoint") << "" << false;
    QTest::newRow("runtime folder 0700: the user's own") << "0700" << true;
    QTest::newRow("runtime folder 0755: the shared endpoint") << "0755" << false;
}

void tst_BrowserHost::staleSocketFileIsReplaced()
{
    QFETCH(QString, runtimeMode);
    QFETCH(bool, own);
    const QString runtime = dir->filePath(QStringLiteral("run"));
    QProcessEnvironment env;
    if (!runtimeMode.isEmpty()) {
        QVERIFY(QDir().mkdir(runtime));
        QVERIFY(::chmod(QFile::encodeName(runtime).constData(), mode_t(runtimeMode.toUInt(nullptr, 8))) == 0);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    }
    const QString shared = BrowserHost::endpointFor(browserPath());
    // the digest of the shared name, in the folder under a shorter name
    const QString endpoint = own ? runtime + "/channel-web-browser-" + shared.mid(5, 32) : shared;
    QCOMPARE(BrowserHost::userEndpointFor(browserPath(), env.value(QStringLiteral("XDG_RUNTIME_DIR"))), own ? endpoint : QString());
    // A host that crashed leaves its socket file behind.
    QFile stale(endpoint);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    BrowserHost host;
    host.setProcessEnvironment(env);
    QVERIFY2(host.listen(browserPath()), qPrintable(host.errorString()));
    QCOMPARE(host.endpoint(), endpoint);
    QLocalSocket browser;
    browser.connectToServer(endpoint);
    QVERIFY(browser.waitForConnected(5000));
}

void tst_BrowserHost::secondConnectionRefused()
{
    BrowserHost host;
    QVERIFY(host.listen(browserPath()));
    QSignalSpy connected(&host, &BrowserHost::browserConnected);
    QLocalSocket browser;
    browser.connectToServer(host.endpoint());
    QVERIFY(connected.wait(5000));
    QLocalSocket intruder;
    intruder.connectToServer(host.endpoint());
    QVERIFY(intruder.waitForConnected(5000));
    QTRY_COMPARE(intruder.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(connected.size(), 1);
    host.active();
    QCOMPARE(readAtLeast(browser, 14), QByteArray("event:active:;"));
}

// A second host of the same browser, started while the first still runs,
// fails to listen and takes nothing from the first: its browser stays
// connected and a new one still reaches it. Once the first ends, the next
// host listens.
void tst_BrowserHost::secondHostLeavesTheFirstAlone()
{
    auto first = std::make_unique<BrowserHost>();
    QVERIFY2(first->listen(browserPath()), qPrintable(first->errorString()));
    BrowserHost second;
    QVERIFY(!second.listen(browserPath()));
    QVERIFY2(second.errorString().startsWith("another host is listening on "), qPrintable(second.errorString()));
    QSignalSpy connected(first.get(), &BrowserHost::browserConnected);
    QLocalSocket browser;
    browser.connectToServer(first->endpoint());
    QVERIFY(connected.wait(5000));
    first.reset();
    QVERIFY2(second.listen(browserPath()), qPrintable(second.errorString()));
}

// What a host may copy of the file: URLs the browser hands over: only a
// file of a page-downloads folder inside a scratch folder of the browser's,
// in the temporary folder, closed to others; no link anywhere on the way.
void tst_BrowserHost::scratchFiles_data()
{
    QTest::addColumn<QString>("layout");   // the file's path below the temporary folder
    QTest::addColumn<QString>("mode");     // the scratch folder's
    QTest::addColumn<QString>("link");     // "file": the file is a link to one; "folder": page-downloads is
    QTest::addColumn<bool>("copied");
    QTest::newRow("the browser's own") << "channel-web-browser-Ab12Cd/page-downloads/1/made.csv" << "0700" << "" << true;
    QTest::newRow("scratch folder open to others") << "channel-web-browser-Ab12Cd/page-downloads/1/made.csv" << "0755" << "" << false;
    QTest::newRow("another folder name") << "other-Ab12Cd/page-downloads/1/made.csv" << "0700" << "" << false;
    QTest::newRow("not in page-downloads") << "channel-web-browser-Ab12Cd/storage/1/made.csv" << "0700" << "" << false;
    QTest::newRow("a link to a file elsewhere") << "channel-web-browser-Ab12Cd/page-downloads/1/made.csv" << "0700" << "file" << false;
    QTest::newRow("page-downloads a link") << "channel-web-browser-Ab12Cd/page-downloads/1/made.csv" << "0700" << "folder" << false;
}

void tst_BrowserHost::scratchFiles()
{
    QFETCH(QString, layout);
    QFETCH(QString, mode);
    QFETCH(QString, link);
    QFETCH(bool, copied);
    QTemporaryDir tmp;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const QString path = tmp.filePath(layout);
    const QString scratch = tmp.filePath(layout.section('/', 0, 0));
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile elsewhere(dir->filePath("elsewhere.csv"));
    QVERIFY(elsewhere.open(QIODevice::WriteOnly));
    elsewhere.close();
    if (link == "file") {
        QVERIFY(QFile::link(elsewhere.fileName(), path));
    } else {
        if (link == "folder") {
            const QString downloads = scratch + "/" + layout.section('/', 1, 1);
            QVERIFY(QDir(downloads).removeRecursively());
            QVERIFY(QDir().mkpath(dir->filePath("outside/1")));
            QVERIFY(QFile::link(dir->filePath("outside"), downloads));
        }
        QFile made(path);
        QVERIFY(made.open(QIODevice::WriteOnly));
    }
    QVERIFY(::chmod(QFile::encodeName(scratch).constData(), mode_t(mode.toUInt(nullptr, 8))) == 0);
    const bool answer = BrowserHost::isBrowserScratchFile(path);
    if (oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTmp);
    QCOMPARE(answer, copied);
}

// Another user's process that reaches the shared endpoint first, even with
// a umask that lets everyone at the socket, hears nothing of the token; the
// browser connecting after it still gets everything.
void tst_BrowserHost::otherUserHearsNothing()
{
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()
        || !QFile::exists(QStringLiteral("/usr/bin/python3")))
        QSKIP("needs root, setpriv and the system's python3 to act as a second user");
    BrowserHost host;
    host.setProcessEnvironment(QProcessEnvironment());   // no runtime folder: /tmp
    const mode_t before = ::umask(0);
    const bool listening = host.listen(browserPath());
    ::umask(before);
    QVERIFY2(listening, qPrintable(host.errorString()));
    host.setAccessToken(QStringLiteral("secret"));
    QSignalSpy connected(&host, &BrowserHost::browserConnected);
    // Prints "no entry" when it cannot connect, else how many bytes it heard
    // before the host hung up (or 60 s passed).
    QProcess intruder;
    intruder.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
        QStringLiteral("--clear-groups"), QStringLiteral("/usr/bin/python3"), QStringLiteral("-c"), QStringLiteral(
        "import socket, sys\n"
        "s = socket.socket(socket.AF_UNIX)\n"
        "try:\n    s.connect(sys.argv[1])\nexcept OSError:\n    print('no entry'); sys.exit()\n"
        "s.settimeout(60)\nheard = b''\n"
        "try:\n    while True:\n        d = s.recv(4096)\n        if not d: break\n        heard += d\n"
        "except OSError:\n    pass\n"
        "print(len(heard))\n"), host.endpoint()});
    QTRY_COMPARE_WITH_TIMEOUT(intruder.state(), QProcess::NotRunning, 90000);
    const QString heard = QString::fromLatin1(intruder.readAllStandardOutput()).trimmed();
    QVERIFY2(heard == QLatin1String("no entry") || heard == QLatin1String("0"), qPrintable(heard));
    QCOMPARE(connected.size(), 0);
    QLocalSocket browser;
    browser.connectToServer(host.endpoint());
    QVERIFY(browser.waitForConnected(5000));
    QVERIFY(connected.wait(5000));
    QVERIFY(readAtLeast(browser, 31).startsWith("config:accessToken:"));
}

void tst_BrowserHost::hangUpAfterLastFrames()
{
    BrowserHost host;
    QVERIFY(host.listen(browserPath()));
    QSignalSpy connected(&host, &BrowserHost::browserConnected);
    QSignalSpy gone(&host, &BrowserHost::browserDisconnected);
    QLocalSocket browser;
    browser.connectToServer(host.endpoint());
    QVERIFY(connected.wait(5000));
    const QByteArray big(64 * 1024, 'x');
    host.showBoxMessage(QString::fromLatin1(big));
    host.hangUp();
    QCOMPARE(gone.size(), 1);
    QVERIFY(!host.isConnected());
    // everything written before the hang-up arrives, then the end
    const QByteArray frame = "event:showBoxMessage:" + big.toBase64() + ';';
    QCOMPARE(readAtLeast(browser, frame.size()), frame);
    QTRY_COMPARE(browser.state(), QLocalSocket::UnconnectedState);
    // nothing is kept for a browser that has left
    host.setTitle(QStringLiteral("late"));
    QLocalSocket next;
    next.connectToServer(host.endpoint());
    QVERIFY(next.waitForConnected(5000));
    QTRY_VERIFY(host.isConnected());
    host.active();
    QCOMPARE(readAtLeast(next, 14), QByteArray("event:active:;"));
}

void tst_BrowserHost::hangUpBeforeTheBrowserConnects_data()
{
    QTest::addColumn<bool>("connecting");   // the browser knocked, and was not accepted yet
    QTest::newRow("browser still starting") << false;
    QTest::newRow("browser waiting to be accepted") << true;
}

// A host that gives up before its browser is there: the browser finds nobody,
// or is let go, and leaves by itself; it is never sent what was kept for it.
void tst_BrowserHost::hangUpBeforeTheBrowserConnects()
{
    QFETCH(bool, connecting);
    BrowserHost host;
    QVERIFY(host.listen(browserPath()));
    host.showUrl(QUrl(QStringLiteral("http://127.0.0.1:1/")));
    QSignalSpy connected(&host, &BrowserHost::browserConnected);
    QLocalSocket browser;
    if (connecting) {
        // accepted by the system; the host's event loop has not seen it yet
        browser.connectToServer(host.endpoint());
        QVERIFY(browser.waitForConnected(5000));
    }
    host.hangUp();
    if (connecting) {
        QTRY_COMPARE(browser.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(browser.readAll(), QByteArray());
    } else {
        browser.connectToServer(host.endpoint());
        QVERIFY(!browser.waitForConnected(1000));
        QCOMPARE(browser.error(), QLocalSocket::ServerNotFoundError);
    }
    QCOMPARE(connected.size(), 0);
    // a later start listens again
    QVERIFY(host.listen(browserPath()));
    QLocalSocket next;
    next.connectToServer(host.endpoint());
    QVERIFY(next.waitForConnected(5000));
    QVERIFY(connected.wait(5000));
    host.active();
    QCOMPARE(readAtLeast(next, 14), QByteArray("event:active:;"));
}

void tst_BrowserHost::startNeedsAnExecutable_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << "bin/nothing-here";
    QTest::newRow("not executable") << "bin/readme.txt";
    QTest::newRow("a folder") << "bin";
}

void tst_BrowserHost::startNeedsAnExecutable()
{
    QFETCH(QString, file);
    QFile text(dir->filePath(QStringLiteral("bin/readme.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();
    BrowserHost host;
    const QString path = dir->filePath(file);
    QVERIFY(!host.start(path));
    QCOMPARE(host.errorString(), QStringLiteral("no browser executable at ") + path);
    QCOMPARE(host.browserProcess()->state(), QProcess::NotRunning);
}

void tst_BrowserHost::sandboxOffOnlyForRoot_data()
{
    QTest::addColumn<QString>("given");   // "unset": not in the environment
    QTest::addColumn<QString>("seen");
    const QString root = ::geteuid() == 0 ? QStringLiteral("1") : QStringLiteral("unset");
    QTest::newRow("not set") << "unset" << root;
    QTest::newRow("set by the host") << "0" << "0";
}

// The page engine will not start its sandbox as root; a host run as root
// would otherwise only see its browser die.
void tst_BrowserHost::sandboxOffOnlyForRoot()
{
    QFETCH(QString, given);
    QFETCH(QString, seen);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    if (given != QLatin1String("unset"))
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), given);
    BrowserHost host;
    host.setProcessEnvironment(env);
    QSignalSpy finished(&host, &BrowserHost::browserFinished);
    QVERIFY2(host.start(browserPath()), qPrintable(host.errorString()));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QFile report(browserPath() + QStringLiteral(".sandbox"));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(report.readAll()), seen);
}

QTEST_GUILESS_MAIN(tst_BrowserHost)
#include "tst_browserhost.moc"
