// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "tests/support/xdesktop.h"
#include "webtestkit.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <memory>

class tst_Process : public QObject
{
    Q_OBJECT
private slots:
    void exitsWhenHostCloses();
    void exitsWithoutHost();
    void testModeArguments_data();
    void testModeArguments();
    void refusesAHostOfAnotherUser();
    void twoUsersAtOnce();
    void leavesNothingOnDisk_data();
    void leavesNothingOnDisk();
    void killedRunsFolderGoesAtNextStart();
    void logCategories_data();
    void logCategories();
};

namespace {

// Stores something in every place a page can, then tells the server.
const char kStoringPage[] =
    "<html><head><link rel='stylesheet' href='/style.css'></head><body><script>"
    "document.cookie = 'visit=1; max-age=86400';"
    "localStorage.setItem('kept', 'local');"
    "sessionStorage.setItem('kept', 'session');"
    "var open = indexedDB.open('notes', 1);"
    "open.onupgradeneeded = function () { open.result.createObjectStore('n'); };"
    "open.onsuccess = function () {"
    "  var t = open.result.transaction('n', 'readwrite');"
    "  t.objectStore('n').put('a note', 'first');"
    "  t.oncomplete = function () {"
    "    fetch('/stored?cookie=' + encodeURIComponent(document.cookie) + '&local=' + localStorage.getItem('kept'));"
    "  };"
    "};"
    "</script></body></html>";

// In a forked child, with system calls only: becomes user nobody, listens on
// path and writes a byte to report once listening; returns the listening
// socket.
int listenAsNobody(const QByteArray &path, int report)
{
    if (::setgid(65534) != 0 || ::setuid(65534) != 0)
        ::_exit(3);
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(s, 4) != 0)
        ::_exit(4);
    [[maybe_unused]] const ssize_t w = ::write(report, "L", 1);
    return s;
}

// The same, returning the first connection.
int acceptAsNobody(const QByteArray &path, int report)
{
    return ::accept(listenAsNobody(path, report), nullptr, nullptr);
}

// Every file and folder below dir, relative to it.
QStringList entriesBelow(const QString &dir)
{
    QStringList found;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(dir).relativeFilePath(it.next());
    found.sort();
    return found;
}

// The processes running with this HOME, as "pid name": whatever a program
// started with it left running.
QStringList processesWithHome(const QString &home)
{
    const QByteArray wanted = "HOME=" + QFile::encodeName(home);
    QStringList found;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!environ.open(QIODevice::ReadOnly) || !environ.readAll().split('\0').contains(wanted))
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        comm.open(QIODevice::ReadOnly);
        found << pid + QLatin1Char(' ') + QString::fromLocal8Bit(comm.readAll().trimmed());
    }
    return found;
}

}

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

void tst_Process::refusesAHostOfAnotherUser()
{
    if (::geteuid() != 0)
        QSKIP("only root can listen as another user here");
    BrowserProcess browser;
    QVERIFY(browser.isValid());
    // The endpoint lies in /tmp itself, where any user may create it.
    const QByteArray path = QFile::encodeName(browser.endpoint());
    QVERIFY(path.size() < int(sizeof(sockaddr_un::sun_path)));

    int report[2];
    int stop[2];
    QVERIFY(::pipe(report) == 0 && ::pipe(stop) == 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // System calls only from here on: a listener of user "nobody" that,
        // once told to stop, counts the connections made to it meanwhile.
        ::close(report[0]);
        ::close(stop[1]);
        const int s = listenAsNobody(path, report[1]);
        char go = 0;
        [[maybe_unused]] ssize_t w = ::read(stop[0], &go, 1);
        ::fcntl(s, F_SETFL, O_NONBLOCK);
        long long connections = 0;
        while (::accept(s, nullptr, nullptr) >= 0)
            ++connections;
        w = ::write(report[1], &connections, sizeof connections);
        ::unlink(path.constData());
        ::_exit(0);
    }
    ::close(report[1]);
    ::close(stop[0]);
    const auto cleanUp = qScopeGuard([&] {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(report[0]);
        ::close(stop[1]);
        ::unlink(path.constData());
    });
    pollfd ready = {report[0], POLLIN, 0};
    QVERIFY(::poll(&ready, 1, 10000) == 1);
    char listening = 0;
    QCOMPARE(::read(report[0], &listening, 1), ssize_t(1));
    QCOMPARE(listening, 'L');

    browser.process().setProcessChannelMode(QProcess::SeparateChannels);
    browser.start();
    QVERIFY(browser.process().waitForFinished(15000));
    QCOMPARE(browser.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser.process().exitCode(), 0);
    const QList<QByteArray> why = [&] {
        QList<QByteArray> lines;
        for (const QByteArray &line : browser.process().readAllStandardError().split('\n'))
            if (line.contains("65534"))
                lines << line;
        return lines;
    }();
    QCOMPARE(why.size(), 1);
    qInfo("%s", why.first().constData());
    QVERIFY2(why.first().contains(path), why.first().constData());

    // The browser passed the other user's socket over without connecting.
    QCOMPARE(::write(stop[1], "S", 1), ssize_t(1));
    long long connections = -1;
    QVERIFY(::poll(&ready, 1, 10000) == 1);
    QCOMPARE(::read(report[0], &connections, sizeof connections), ssize_t(sizeof connections));
    QCOMPARE(connections, 0LL);
}

// Root and "nobody" each run a host and a browser of one installation at the
// same time, every one of them a process of its user: nobody's host is a
// child that took the user's ids, nobody's browser runs under setpriv.
void tst_Process::twoUsersAtOnce()
{
    if (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("needs root and setpriv to act as a second user");
    BrowserProcess browser;
    QVERIFY(browser.isValid());
    QTemporaryDir runtimes;
    const QString dirs[] = {QFileInfo(browser.executable()).absolutePath(), runtimes.path()};
    for (const QString &dir : dirs)   // where the other user has to get through
        QVERIFY(::chmod(QFile::encodeName(dir).constData(), 0755) == 0);
    const QString digest = browser.endpoint().mid(5, 32);
    const QString rootRun = runtimes.filePath("0");
    const QString nobodyRun = runtimes.filePath("65534");
    QVERIFY(QDir().mkdir(rootRun) && QDir().mkdir(nobodyRun));
    QVERIFY(::chmod(QFile::encodeName(rootRun).constData(), 0700) == 0);
    QVERIFY(::chmod(QFile::encodeName(nobodyRun).constData(), 0700) == 0);
    QVERIFY(::chown(QFile::encodeName(nobodyRun).constData(), 65534, 65534) == 0);
    // Whoever ends up in /tmp is caught there.
    FakeHost shared(browser.endpoint());
    FakeHost rootHost(rootRun + "/channel-web-browser-" + digest);
    QVERIFY(shared.isListening() && rootHost.isListening());

    const QByteArray nobodyPath = QFile::encodeName(nobodyRun + "/channel-web-browser-" + digest);
    int report[2];
    QVERIFY(::pipe(report) == 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // System calls only: nobody's host tells which user it accepted.
        ::close(report[0]);
        const int c = acceptAsNobody(nobodyPath, report[1]);
        ucred peer = {};
        socklen_t size = sizeof peer;
        ::getsockopt(c, SOL_SOCKET, SO_PEERCRED, &peer, &size);
        [[maybe_unused]] const ssize_t w = ::write(report[1], &peer.uid, sizeof peer.uid);
        ::pause();   // holds the connection until killed
        ::_exit(0);
    }
    ::close(report[1]);
    const auto cleanUp = qScopeGuard([&] {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(report[0]);
    });
    pollfd ready = {report[0], POLLIN, 0};
    char listening = 0;
    QVERIFY(::poll(&ready, 1, 10000) == 1 && ::read(report[0], &listening, 1) == 1);

    QProcess rootBrowser;
    QProcess nobodyBrowser;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", rootRun);
    rootBrowser.setProcessEnvironment(env);
    env.insert("XDG_RUNTIME_DIR", nobodyRun);
    env.insert("HOME", nobodyRun);
    nobodyBrowser.setProcessEnvironment(env);
    for (QProcess *p : {&rootBrowser, &nobodyBrowser})
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    nobodyBrowser.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", browser.executable()});
    rootBrowser.start(browser.executable(), QStringList());
    QVERIFY(rootHost.waitForClient());
    uid_t peer = 0;
    QVERIFY(::poll(&ready, 1, 20000) == 1);
    QCOMPARE(::read(report[0], &peer, sizeof peer), ssize_t(sizeof peer));
    QCOMPARE(peer, uid_t(65534));
    // Both browsers are up at once, each with its own user's host.
    QCOMPARE(rootBrowser.state(), QProcess::Running);
    QCOMPARE(nobodyBrowser.state(), QProcess::Running);
    QVERIFY(!shared.hasClient());
    // Each host's leaving ends its own browser, as with one user.
    rootHost.hangUp();
    ::kill(child, SIGKILL);
    for (QProcess *p : {&rootBrowser, &nobodyBrowser}) {
        QVERIFY(p->waitForFinished(15000));
        QCOMPARE(p->exitCode(), 0);
    }
}

void tst_Process::leavesNothingOnDisk_data()
{
    QTest::addColumn<bool>("byHost");   // true: the host shows the page and hangs up; false: test mode and SIGTERM
    // An X server and nothing else: no session bus named and none in the
    // user's runtime folder, where D-Bus would start one of its own.
    QTest::addColumn<bool>("bareX");
    // false: no XDG_RUNTIME_DIR, and the toolkit makes one in the temporary folder
    QTest::addColumn<bool>("runtimeDir");
    QTest::newRow("host hangs up") << true << false << true;
    QTest::newRow("SIGTERM in test mode") << false << false << true;
    QTest::newRow("bare X session, host hangs up") << true << true << true;
    QTest::newRow("no runtime folder, host hangs up") << true << false << false;
}

void tst_Process::leavesNothingOnDisk()
{
    QFETCH(bool, byHost);
    QFETCH(bool, bareX);
    QFETCH(bool, runtimeDir);
    PageServer server;
    // A TLS handshake makes the engine open its certificate store in the
    // home folder; the refused certificate does not matter for that.
    QTemporaryDir certificateDir;
    QString certPath;
    QString keyPath;
    QVERIFY(makeSelfSignedCertificate(certificateDir.path(), &certPath, &keyPath));
    PageServer secureServer;
    QVERIFY(secureServer.startHttps(certPath, keyPath));
    const QByteArray tls = "<script>fetch('" + secureServer.url("/").toEncoded() + "');</script>";
    server.setContent("/store.html", kStoringPage + tls, "text/html", "max-age=86400");
    server.setContent("/style.css", "body { color: #123456; }", "text/css", "max-age=86400");
    QVERIFY(server.startHttp());

    // A user who never ran the browser: empty home, XDG folders and temporary folder.
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString home = root.filePath("home");
    const QString tmp = root.filePath("tmp");
    const QString runtime = root.filePath("runtime");
    for (const QString &dir : {home + "/.config", home + "/.cache", home + "/.local/share", tmp, runtime})
        QVERIFY(QDir().mkpath(dir));
    QVERIFY(QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QStringList homeBefore = entriesBelow(home);

    BrowserProcess browser;
    QVERIFY(browser.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<XDesktop> desktop;
    if (bareX) {
        desktop = std::make_unique<XDesktop>(XDesktop::Options());
        QVERIFY(desktop->isValid());
        env = desktop->environment();
        env.remove("DBUS_SESSION_BUS_ADDRESS");
    }
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    if (runtimeDir)
        env.insert("XDG_RUNTIME_DIR", runtime);
    else
        env.remove("XDG_RUNTIME_DIR");
    env.insert("TMPDIR", tmp);
    browser.process().setProcessEnvironment(env);
    FakeHost host(browser.endpoint());
    QVERIFY(host.isListening());
    const QString page = server.url("/store.html").toString();
    if (byHost) {
        browser.start();
        QVERIFY(host.waitForClient());
        host.send("event", "showUrl", page);
    } else {
        browser.start({"test", page});
    }
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/stored").isEmpty(), 30000);
    QTRY_VERIFY(!server.requestsFor("/style.css").isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(home + "/.pki/nssdb/cert9.db"), 15000);

    // What the engine insists on having lies in one folder of the
    // temporary folder, closed to other users.
    QStringList scratch = QDir(tmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    scratch = scratch.filter(QRegularExpression("^(?!runtime-)"));
    QCOMPARE(scratch.size(), 1);
    // rwx for the owner (who is the user here), nothing for group and others
    QCOMPARE(int(QFileInfo(tmp + "/" + scratch.first()).permissions()), 0x7700);

    if (byHost)
        host.hangUp();
    else
        ::kill(pid_t(browser.process().processId()), SIGTERM);
    QVERIFY(browser.process().waitForFinished(15000));
    QCOMPARE(browser.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser.process().exitCode(), 0);
    // Nothing it started runs on: no engine helper, no bus daemon. They may
    // outlive the browser by a moment, and what they still have open under
    // home goes as they do.
    QTRY_COMPARE_WITH_TIMEOUT(processesWithHome(home), QStringList(), 10000);
    QTRY_VERIFY2_WITH_TIMEOUT(entriesBelow(home) == homeBefore, qPrintable(entriesBelow(home).join(", ")), 10000);
    QCOMPARE(entriesBelow(tmp), QStringList());
}

// A killed browser cannot remove its private folder (a page's downloads lie
// there); the next one removes it as it starts, and keeps its own.
void tst_Process::killedRunsFolderGoesAtNextStart()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", tmp.path());
    // The engine's helpers put a file or two of their own there too.
    const auto folders = [&tmp] { return QDir(tmp.path()).entryList({"channel-web-browser-*"}, QDir::AllEntries | QDir::Hidden); };
    BrowserProcess killed;
    QVERIFY(killed.isValid());
    killed.process().setProcessEnvironment(env);
    killed.start({"test", "about:blank"});
    QTRY_COMPARE_WITH_TIMEOUT(folders().size(), 1, 30000);
    const QString left = folders().first();
    ::kill(pid_t(killed.process().processId()), SIGKILL);
    QVERIFY(killed.process().waitForFinished(15000));
    QCOMPARE(folders(), QStringList{left});

    BrowserProcess next;
    QVERIFY(next.isValid());
    next.process().setProcessEnvironment(env);
    next.start({"test", "about:blank"});
    QTRY_VERIFY_WITH_TIMEOUT(folders().size() == 1 && folders().first() != left, 30000);
    ::kill(pid_t(next.process().processId()), SIGTERM);
    QVERIFY(next.process().waitForFinished(15000));
    QCOMPARE(folders(), QStringList());
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
