// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "tests/support/xdesktop.h"
#include "webtestkit.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <csignal>

// Web apps in the built browser on an openbox desktop: the permission
// promises a page waits on, window.open with popups off and on, and a
// renderer that keeps dying. Pages report what
// they saw by fetching "/outcome-<case>-<result>" from the test's server.
class tst_WebApps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void permissions_data();
    void permissions();
    void popups_data();
    void popups();
    void pageMadeDownloads_data();
    void pageMadeDownloads();
    void rendererDyingTwiceShowsReload();
    void fullScreen_data();
    void fullScreen();
    void pageQuestions_data();
    void pageQuestions();
    void fileChooserKeepsNothing();
    void leavingAsksThePage();
    void pageMadeFilesGoWithTheBrowser();
    // Each row with a browser of its own, which it closes.
    void closingOutlastsPageQuestions_data();
    void closingOutlastsPageQuestions();
    void cleanupTestCase();
private:
    // A browser on its host, titled "Web apps", on the server's /hello.
    bool startBrowser();
    bool outcome(const QString &tag, const QString &result, int timeoutMs = 20000);
    bool clickPageUntil(const QString &heard);
    // How many of the host's log lines hold text.
    int logged(const QString &text) const;
    // Closes by the window manager until the page puts its leave question.
    bool closeUntilAsked();
    void key(const QString &keys) { desktop->xdotool({"windowactivate", "--sync", window}); desktop->xdotool({"key", keys}); }
    PageServer server;
    QScopedPointer<XDesktop> desktop;
    QScopedPointer<BrowserProcess> browser;
    QScopedPointer<FakeHost> host;
    QString window;
    QStringList madeFiles;   // page-made downloads the browser handed over
    QTemporaryDir configHome;   // the browser's XDG_CONFIG_HOME
};

static const char kPermissionPage[] =
    "<html><body><script>"
    "var p = location.search.slice(1).split('/'), what = p[0], tag = p[1];"
    "function report(r) { fetch('/outcome-' + tag + '-' + r); }"
    // A refusal is NotAllowedError; any other failure came after a yes (no such device here).
    "function media(f) { f.then(function () { report('allowed'); },"
    "  function (e) { report(e.name == 'NotAllowedError' ? 'denied' : 'allowed'); }); }"
    "if (what == 'camera') media(navigator.mediaDevices.getUserMedia({video: true}));"
    "if (what == 'microphone') media(navigator.mediaDevices.getUserMedia({audio: true}));"
    "if (what == 'both') media(navigator.mediaDevices.getUserMedia({audio: true, video: true}));"
    "if (what == 'screen') media(navigator.mediaDevices.getDisplayMedia({video: true}));"
    "if (what == 'notifications') Notification.requestPermission().then(function (r) {"
    "  report(r == 'granted' ? 'allowed' : 'denied'); });"
    "if (what == 'flood') for (var i = 0; i < 40; i++) Notification.requestPermission().then(function (r) {"
    "  report(r == 'granted' ? 'allowed' : 'denied'); });"
    "if (what == 'geolocation') navigator.geolocation.getCurrentPosition(function () { report('allowed'); },"
    "  function (e) { report(e.code == 1 ? 'denied' : 'allowed'); });"
    // The box takes the keyboard from the page, which tells so.
    "onblur = function () { fetch('/blurred-' + tag); };"
    "onkeydown = function () { fetch('/typed-' + tag); };"
    // Asked before the first paint, which it tells too.
    "requestAnimationFrame(function () { requestAnimationFrame(function () { fetch('/painted-' + tag); }); });"
    "</script></body></html>";

// Asks before it is left, once the user has done something in it.
static const char kLeavePage[] =
    "<html><body><input id=i autofocus><script>"
    "onbeforeunload = function (e) { e.preventDefault(); e.returnValue = 'unsaved'; };"
    "onkeydown = function () { fetch('/typed'); };"
    "onmousedown = function () { fetch('/leave-down'); };"
    "requestAnimationFrame(function () { requestAnimationFrame(function () { fetch('/leave-painted'); }); });"
    "</script></body></html>";

void tst_WebApps::initTestCase()
{
    server.setContent("/permission.html", kPermissionPage, "text/html");
    server.setContent("/leave.html", kLeavePage, "text/html");
    QVERIFY(server.startHttp());
    XDesktop::Options options;
    options.windowManager = true;
    desktop.reset(new XDesktop(options));
    QVERIFY(desktop->isValid());
    QVERIFY(startBrowser());
}

bool tst_WebApps::startBrowser()
{
    browser.reset(new BrowserProcess);
    if (!browser->isValid())
        return false;
    host.reset(new FakeHost(browser->endpoint()));
    QProcessEnvironment env = desktop->environment();
    env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --use-fake-device-for-media-stream");
    env.insert("XDG_CONFIG_HOME", configHome.path());
    browser->process().setProcessEnvironment(env);
    browser->start();
    if (!host->waitForClient(30000))
        return false;
    host->send("config", "title", "Web apps");
    host->send("event", "showUrl", server.url("/hello").toString());
    window = desktop->findWindow("Web apps");
    return !window.isEmpty();
}

int tst_WebApps::logged(const QString &text) const
{
    int count = 0;
    for (const HostFrame &f : host->framesOf("feedback", "receiveLog"))
        count += f.payload.contains(text.toUtf8()) ? 1 : 0;
    return count;
}

bool tst_WebApps::closeUntilAsked()
{
    // openbox may drop the keys while its focus settles: like a user, press them again.
    const int before = logged("page asks the user (leave)");
    for (int press = 0; press < 3; ++press) {
        key("alt+F4");
        if (QTest::qWaitFor([&] { return logged("page asks the user (leave)") > before; }, 7000))
            return true;
    }
    return false;
}

bool tst_WebApps::outcome(const QString &tag, const QString &result, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        for (const SeenRequest &r : server.requests()) {
            if (r.path.startsWith("/outcome-" + tag + "-"))
                return r.path == "/outcome-" + tag + "-" + result;
        }
        QTest::qWait(50);
    }
    return false;
}

// Clicks the middle of the page until the page says it felt the press: the
// first click on a page that has just painted can be lost on the way.
bool tst_WebApps::clickPageUntil(const QString &heard)
{
    const QPoint centre = desktop->clientRect(window).center();
    const int before = server.requestsFor(heard).size();
    for (int attempt = 0; attempt < 10; ++attempt) {
        desktop->xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"});
        if (QTest::qWaitFor([&] { return server.requestsFor(heard).size() > before; }, 3000))
            return true;
    }
    return false;
}

void tst_WebApps::permissions_data()
{
    QTest::addColumn<QString>("policy");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("user");   // keys pressed once the box shows; "host:allow", "host:" a host that never answers
    QTest::addColumn<QString>("result");
    QTest::newRow("camera allowed") << "camera=allow" << "camera" << "" << "allowed";
    QTest::newRow("microphone denied") << "microphone=deny" << "microphone" << "" << "denied";
    QTest::newRow("notifications denied") << "notifications=deny" << "notifications" << "" << "denied";
    QTest::newRow("location allowed") << "geolocation=allow" << "geolocation" << "" << "allowed";
    QTest::newRow("screen denied") << "screen=deny" << "screen" << "" << "denied";
    QTest::newRow("user allows both") << "" << "both" << "Return" << "allowed";
    QTest::newRow("both remembered") << "" << "both" << "" << "allowed";
    QTest::newRow("user blocks location") << "" << "geolocation" << "Escape" << "denied";
    QTest::newRow("user blocks notifications by Tab and Space") << "" << "notifications" << "Tab space" << "denied";
    QTest::newRow("host allows camera") << "camera=host" << "camera" << "host:allow" << "allowed";
    QTest::newRow("host denies notifications") << "notifications=host" << "notifications" << "host:deny" << "denied";
    QTest::newRow("silent host: denied in time") << "microphone=host" << "microphone" << "host:" << "denied";
    // Forty questions at once: the host has a bounded number open.
    QTest::newRow("silent host, a flood of questions") << "notifications=host" << "flood" << "host:" << "denied";
    // A box that another box replaced was no answer, and is asked again; a
    // page refused three times is not.
    QTest::newRow("camera box replaced, once") << "" << "camera" << "replaced" << "denied";
    QTest::newRow("camera box replaced, twice") << "" << "camera" << "replaced" << "denied";
    QTest::newRow("camera box replaced, thrice") << "" << "camera" << "replaced" << "denied";
    QTest::newRow("camera: not asked again") << "" << "camera" << "" << "denied";
    // In a frame of another origin (localhost in a page of 127.0.0.1), only
    // with the page's allow="...".
    QTest::newRow("frame of another origin, no allow") << "camera=allow" << "frame:camera" << "" << "denied";
    QTest::newRow("frame of another origin, allow=camera") << "camera=allow" << "frame:camera:camera" << "" << "allowed";
    QTest::newRow("frame of another origin, allow=camera for both") << "camera=allow,microphone=allow" << "frame:both:camera" << "" << "denied";
    QTest::newRow("frame of another origin, notifications") << "notifications=allow" << "frame:notifications:notifications" << "" << "denied";
}

void tst_WebApps::permissions()
{
    QFETCH(QString, policy);
    QFETCH(QString, what);
    QFETCH(QString, user);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_').replace(':', '_');
    host->clear();
    host->send("config", "permissionPolicy", policy);
    QUrl page = server.url("/permission.html");
    if (what.startsWith("frame:")) {
        QUrl framed = page;
        framed.setHost("localhost");
        framed.setQuery(what.section(':', 1, 1) + "/" + tag);
        const QString allow = what.section(':', 2);
        server.setContent("/framing-" + tag, "<html><body><iframe src='" + framed.toEncoded() + "'"
                          + (allow.isEmpty() ? QByteArray() : " allow='" + allow.toUtf8() + "'") + "></iframe></body></html>",
                          "text/html");
        page = server.url("/framing-" + tag);
    } else {
        page.setQuery(what + "/" + tag);
    }
    host->send("event", "showUrl", page.toString());
    if (user.startsWith("host:")) {
        const HostFrame asked = host->waitFor("iq", "permission", 20000);
        const QJsonObject question = QJsonDocument::fromJson(asked.payload).object();
        QCOMPARE(question.value("feature").toString(), what == "flood" ? "notifications" : what);
        QCOMPARE(question.value("origin").toString(), server.url("/").toString().chopped(1));
        const QString answer = user.mid(5);
        if (!answer.isEmpty())
            host->send("iq", "permissionRes", QJsonDocument(QJsonObject{{"answer", answer}, {"key", question.value("key")}}).toJson());
    } else if (user == "replaced") {
        QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/blurred-" + tag).isEmpty(), 30000);
        host->send("event", "showBoxMessage", "Another box");
        QVERIFY(outcome(tag, "denied", 25000));
        // The host's box goes too, and the page has the keyboard again.
        const int typed = server.requestsFor("/typed-" + tag).size();
        for (int attempt = 0; attempt < 5; ++attempt) {
            key("Escape");
            key("a");
            if (QTest::qWaitFor([&] { return server.requestsFor("/typed-" + tag).size() > typed; }, 5000))
                break;
        }
        QVERIFY(server.requestsFor("/typed-" + tag).size() > typed);
    } else if (!user.isEmpty()) {
        // Painted, the page has asked; it waits on the box meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/painted-" + tag).isEmpty(), 30000);
        QVERIFY(!outcome(tag, "allowed", 10) && !outcome(tag, "denied", 10));
        // The box has the keyboard once it shows, which nothing outside can
        // see: like a user, press again when nothing happened.
        const auto answered = [&] { return outcome(tag, "allowed", 10) || outcome(tag, "denied", 10); };
        for (int attempt = 0; attempt < 3; ++attempt) {
            for (const QString &k : user.split(' '))
                key(k);
            if (QTest::qWaitFor(answered, 10000))
                break;
        }
    }
    QFETCH(QString, result);
    QVERIFY(outcome(tag, result, 25000));
    if (what == "flood") {
        // Every question is answered, those past the bound at once, and the
        // host was asked no more than the bound (16) allows.
        const auto answered = [&] {
            int count = 0;
            for (const SeenRequest &r : server.requests())
                count += r.path.startsWith("/outcome-" + tag + "-") ? 1 : 0;
            return count;
        };
        QTRY_COMPARE_WITH_TIMEOUT(answered(), 40, 30000);
        QCOMPARE(host->framesOf("iq", "permission").size(), 16);
    }
}

void tst_WebApps::popups_data()
{
    QTest::addColumn<QString>("allow");    // the host's "allowPopups"
    QTest::addColumn<QString>("result");   // what the opener heard
    // Off first: nothing may have asked for the login page yet.
    QTest::newRow("off: null, nothing loads") << "0" << "null";
    QTest::newRow("on: the login posts back and closes") << "1" << "ann-500x600";
}

// A sign-in popup as mini-apps open one; it answers its opener once the user
// presses Enter in it, and closes itself.
void tst_WebApps::popups()
{
    QFETCH(QString, allow);
    QFETCH(QString, result);
    const QString tag = allow == "1" ? "popup_on" : "popup_off";
    server.setContent("/opener.html",
                      "<html><body><script>var tag = location.search.slice(1);"
                      "onmessage = function (e) { fetch('/outcome-' + tag + '-' + e.data); };"
                      "function openLogin() { var w = window.open('/login', 'login', 'width=500,height=600');"
                      "  if (w === null) fetch('/outcome-' + tag + '-null'); }"
                      "document.onclick = openLogin; document.onmousedown = function () { fetch('/down-' + tag); };"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () { fetch('/outcome-' + tag + '_painted-yes'); }); });"
                      "</script></body></html>", "text/html");
    server.setContent("/login", "<html><head><title>Sign in</title></head><body><script>"
                      "onkeydown = function (e) { if (e.key != 'Enter') return;"
                      "  opener.postMessage('ann-' + innerWidth + 'x' + innerHeight, '*'); close(); };"
                      "</script></body></html>", "text/html");
    host->send("config", "accessToken", "popup-token");
    host->send("config", "accessTokenHosts", "127.0.0.1");
    host->send("config", "allowPopups", allow);
    QUrl page = server.url("/opener.html");
    page.setQuery(tag);
    host->send("event", "showUrl", page.toString());
    // A popup needs the user's click.
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/outcome-" + tag + "_painted-yes").isEmpty(), 30000);
    QVERIFY(clickPageUntil("/down-" + tag));
    if (allow == "1") {
        // titled with its page's origin first, so that it cannot pass for the window
        const QString title = server.url("/").toString().chopped(1) + " - Sign in";
        const QString popup = desktop->findWindow(title, 20000);
        QVERIFY(!popup.isEmpty());
        QCOMPARE(desktop->clientRect(popup).size(), QSize(500, 600));
        // Asked for no place, it sits over the middle of the window that
        // opened it, its frame on the screen.
        QTRY_VERIFY_WITH_TIMEOUT((desktop->clientRect(popup).center() - desktop->clientRect(window).center()).manhattanLength() <= 2, 10000);
        QVERIFY(QRect(0, 0, 1280, 1024).contains(desktop->frameRect(popup)));
        // The popup has the keyboard without a click, and Escape is the page's.
        QTRY_COMPARE_WITH_TIMEOUT(desktop->activeWindow(), popup, 10000);
        desktop->xdotool({"key", "Escape"});
        // Nothing to wait for: a popup closed by Escape would be gone by now.
        QTest::qWait(1000);
        QVERIFY(!desktop->findWindow(title, 100).isEmpty());
        desktop->xdotool({"key", "Return"});
        QTRY_VERIFY_WITH_TIMEOUT(desktop->findWindow(title, 100).isEmpty(), 10000);
        QCOMPARE(server.requestsFor("/login").size(), 1);
        QCOMPARE(server.requestsFor("/login").first().headers.value("x-access-token"), QByteArray("popup-token"));
    }
    QVERIFY(outcome(tag, result));
    // Nothing to wait for: a login page the popup loaded after all would
    // have been asked for by now.
    QTest::qWait(500);
    if (allow != "1")
        QVERIFY(server.requestsFor("/login").isEmpty());
}

void tst_WebApps::pageMadeDownloads_data()
{
    QTest::addColumn<QString>("href");   // script text for the link's address
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("csv from a Blob") << "URL.createObjectURL(new Blob(['a,b\\n1,2\\n'], {type: 'text/csv'}))"
                                     << "table.csv" << QByteArray("a,b\n1,2\n");
    QTest::newRow("data URL") << "'data:text/plain;base64,' + btoa('made here')" << "note.txt" << QByteArray("made here");
}

void tst_WebApps::pageMadeDownloads()
{
    QFETCH(QString, href);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    host->clear();
    const QString path = "/made-" + name + ".html";
    server.setContent(path, QString("<html><body><a id=a download='%1'>save</a><script>"
                                    "a.href = %2; a.click();</script></body></html>").arg(name, href).toUtf8(), "text/html");
    host->send("event", "showUrl", server.url(path).toString());
    const HostFrame asked = host->waitFor("webfile", "startDownload", 20000);
    const QJsonObject request = QJsonDocument::fromJson(asked.payload).object();
    QCOMPARE(request.value("name").toString(), name);
    const QUrl url(request.value("url").toString());
    QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
    QFile file(url.toLocalFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(QFileInfo(file).dir().path().section('/', -2, -2), QString("page-downloads"));
    madeFiles << file.fileName();
    host->send("webfile", "startDownloadRes", QJsonDocument(QJsonObject{{"key", request.value("key")}, {"info", ""}}).toJson());
    // Downloads in quick succession count as one click: the next row's must
    // come after that time, however busy the machine.
    QTest::qWait(400);
}

void tst_WebApps::fullScreen_data()
{
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QString>("leave");   // the key that leaves: Escape, or "x" for the page's own exit
    QTest::newRow("normal, Escape") << false << "Escape";
    QTest::newRow("normal, the page leaves") << false << "x";
    QTest::newRow("maximised, Escape") << true << "Escape";
}

void tst_WebApps::fullScreen()
{
    QFETCH(bool, maximized);
    QFETCH(QString, leave);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_').replace(',', '_');
    // The page tells what it sees whenever its size or its state changes,
    // and once it is painted and takes clicks and keys.
    server.setContent("/fullscreen.html",
                      "<html><body style='margin:0'><script>"
                      "var tag = location.search.slice(1);"
                      "document.onkeydown = function (e) {"
                      "  if (e.key == 'f') document.documentElement.requestFullscreen();"
                      "  if (e.key == 'x') document.exitFullscreen(); };"
                      "function report() {"
                      "  var size = innerWidth + 'x' + innerHeight;"
                      "  fetch('/outcome-' + tag + (document.fullscreenElement ? '_in-' + size"
                      "        : '_out-' + (innerWidth < screen.width ? 'window' : size))); }"
                      "document.onfullscreenchange = report; onresize = report;"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () {"
                      "  fetch('/outcome-' + tag + '_painted-yes'); }); });"
                      "</script></body></html>", "text/html");
    auto seen = [this, &tag](const QString &what) { return server.requestsFor("/outcome-" + tag + "_" + what).size(); };
    QUrl page = server.url("/fullscreen.html");
    page.setQuery(tag);
    host->send("event", "showUrl", page.toString());
    QTRY_VERIFY_WITH_TIMEOUT(seen("painted-yes"), 30000);
    if (maximized != desktop->isMaximized(window)) {
        // A double-click on the window manager's title bar maximises.
        const QRect frame = desktop->frameRect(window);
        QVERIFY(desktop->doubleClick(QPoint(frame.center().x(), frame.top() + 10)));
        QTRY_COMPARE_WITH_TIMEOUT(desktop->isMaximized(window), maximized, 30000);
        // openbox takes the side borders off a maximised window.
        QTRY_COMPARE_WITH_TIMEOUT(desktop->clientRect(window).width(), 1280, 30000);
    }
    const QRect before = desktop->clientRect(window);
    const QRect screen(QPoint(0, 0), QSize(1280, 1024));
    QVERIFY(before != screen);
    host->clear();
    // A click in the page gives it the keyboard and the user's gesture. The
    // first page after the renderer died may miss them (noted, not mended):
    // like a user, click and press again when nothing happened.
    for (int attempt = 0; attempt < 3; ++attempt) {
        desktop->xdotool({"mousemove", QString::number(before.center().x()), QString::number(before.center().y()), "click", "1"});
        key("f");
        if (QTest::qWaitFor([&] { return seen("in-1280x1024") > 0; }, 10000))
            break;
    }
    QVERIFY(seen("in-1280x1024"));
    QTRY_COMPARE_WITH_TIMEOUT(desktop->clientRect(window), screen, 30000);
    // Nothing to wait for: the window reports its place every second, and
    // would have said "full screen" by now if it were going to.
    QTest::qWait(1500);
    // The page said it was in a window before, at every resize, too.
    const int inWindow = seen("out-window");
    key(leave);
    QTRY_COMPARE_WITH_TIMEOUT(desktop->clientRect(window), before, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(desktop->isMaximized(window), maximized, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(seen("out-window") > inWindow, 30000);
    // Nor once it is back in its window.
    QTest::qWait(1500);
    for (const HostFrame &f : host->framesOf("feedback", "savePosition"))
        QVERIFY2(!f.payload.contains(",1280,1024,"), f.payload.constData());
}

void tst_WebApps::rendererDyingTwiceShowsReload()
{
    server.setContent("/fragile", "<html><body>fragile<script>requestAnimationFrame(function () {"
                      " requestAnimationFrame(function () { fetch('/fragile-painted'); }); });"
                      "</script></body></html>", "text/html");
    host->send("event", "showUrl", server.url("/fragile").toString());
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/fragile").size(), 1, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/fragile-painted").size(), 1, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!browser->renderers().isEmpty(), 10000);
    host->clear();
    for (int pid : browser->renderers())
        ::kill(pid, SIGKILL);
    // The first death is reloaded.
    const bool reloaded = QTest::qWaitFor([&] { return server.requestsFor("/fragile").size() == 2; }, 20000);
    QByteArrayList told;
    for (const HostFrame &f : host->framesOf("feedback", "receiveLog"))
        told << f.payload;
    QVERIFY2(reloaded, told.join(" / ").constData());
    // The reloaded page is up in its new renderer before that one dies too.
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/fragile-painted").size(), 2, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!browser->renderers().isEmpty(), 10000);
    for (int pid : browser->renderers())
        ::kill(pid, SIGKILL);
    // The second is told to the host, and the page is not loaded again.
    auto toldAgain = [this] {
        for (const HostFrame &f : host->framesOf("feedback", "receiveLog")) {
            if (f.payload.contains("ended again"))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(toldAgain(), 20000);
    // Nothing to wait for: a reload would have asked for the page by now.
    QTest::qWait(2000);
    QCOMPARE(server.requestsFor("/fragile").size(), 2);
    // The page in its place has the keyboard on its Reload: Enter loads again.
    key("Return");
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/fragile").size(), 3, 20000);
    // The next page waits until this one is up: a page shown while it still
    // loads may never be painted (noted, not mended).
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/fragile-painted").size(), 3, 30000);
}

// What the page's alert(), confirm() and prompt() return when the user
// answers the window's box by keys. The box ignores keys for a moment after
// it shows, so the key goes until the page has its answer.
void tst_WebApps::pageQuestions_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QString>("answer");
    QTest::newRow("alert, Enter") << "alert" << "Return" << "undefined";
    QTest::newRow("confirm, Enter") << "confirm" << "Return" << "true";
    QTest::newRow("confirm, Escape") << "confirm" << "Escape" << "false";
    QTest::newRow("prompt, Enter keeps its text") << "prompt" << "Return" << "ab";
    QTest::newRow("prompt, Escape") << "prompt" << "Escape" << "null";
}

void tst_WebApps::pageQuestions()
{
    QFETCH(QString, kind);
    QFETCH(QString, press);
    QFETCH(QString, answer);
    server.setContent("/question.html", "<html><body><script>"
                      "var p = location.search.slice(1).split('/'), kind = p[0], tag = p[1];"
                      "function ask() { var r = kind == 'alert' ? alert('Hi') : kind == 'confirm' ? confirm('Keep?')"
                      "  : prompt('Name?', 'ab'); fetch('/answer-' + tag + '-' + String(r)); }"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () {"
                      "  fetch('/asking-' + tag).then(ask); }); });"
                      "</script></body></html>", "text/html");
    const QString tag = kind + press;
    host->send("event", "showUrl", server.url("/question.html?" + kind + "/" + tag).toString());
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/asking-" + tag).isEmpty(), 30000);
    auto answered = [&] {
        for (const SeenRequest &r : server.requests()) {
            if (r.path.startsWith("/answer-" + tag + "-"))
                return r.path.mid(QString("/answer-" + tag + "-").size());
        }
        return QString();
    };
    for (int attempt = 0; attempt < 15 && answered().isEmpty(); ++attempt) {
        key(press);
        if (QTest::qWaitFor([&] { return !answered().isEmpty(); }, 2000))
            break;
    }
    QCOMPARE(answered(), answer);
}

// The file chooser a page opens remembers its folder for the run, not in
// the user's configuration folder.
void tst_WebApps::fileChooserKeepsNothing()
{
    server.setContent("/choose.html", "<html><body style='margin:0'><input type=file style='display:block;width:100%;height:100vh'>"
                      "<script>onmousedown = function () { fetch('/choose-down'); };"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () { fetch('/choose-painted'); }); });"
                      "</script></body></html>", "text/html");
    host->send("event", "showUrl", server.url("/choose.html").toString());
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/choose-painted").isEmpty(), 30000);
    desktop->xdotool({"windowactivate", "--sync", window});
    QTRY_COMPARE_WITH_TIMEOUT(desktop->activeWindow(), window, 10000);
    QVERIFY(clickPageUntil("/choose-down"));
    // The chooser takes the keyboard; Escape closes it and gives it back.
    QTRY_VERIFY_WITH_TIMEOUT(desktop->activeWindow() != window, 20000);
    for (int press = 0; press < 5 && desktop->activeWindow() != window; ++press) {
        desktop->xdotool({"key", "Escape"});
        if (QTest::qWaitFor([&] { return desktop->activeWindow() == window; }, 5000))
            break;
    }
    QCOMPARE(desktop->activeWindow(), window);
    QCOMPARE(QDir(configHome.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// The engine asks only on a page the user has done something in.
void tst_WebApps::leavingAsksThePage()
{
    const QUrl page = server.url("/leave.html");
    host->send("event", "showUrl", page.toString());
    // A click before the page is painted is lost.
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/leave-painted").isEmpty(), 30000);
    for (int attempt = 0; attempt < 10 && server.requestsFor("/typed").isEmpty(); ++attempt) {
        QVERIFY(clickPageUntil("/leave-down"));
        key("a");
        if (QTest::qWaitFor([this] { return !server.requestsFor("/typed").isEmpty(); }, 3000))
            break;
    }
    QVERIFY(!server.requestsFor("/typed").isEmpty());
    // Closed by the window manager, the page asks, and the user stays. The
    // box takes no key for a moment after it shows: Escape goes until heard.
    QVERIFY(closeUntilAsked());
    for (int press = 0; press < 10 && !logged("the user answers (leave): no"); ++press) {
        key("Escape");
        if (QTest::qWaitFor([&] { return logged("the user answers (leave): no") > 0; }, 2000))
            break;
    }
    QCOMPARE(logged("the user answers (leave): no"), 1);
    // Nothing to wait for: a browser that closed after all would be gone by now.
    QTest::qWait(2000);
    QCOMPARE(browser->process().state(), QProcess::Running);
    QVERIFY(!desktop->findWindow("Web apps", 1000).isEmpty());
    // Asked again, the page asks again; the question stays open for the host's hang-up.
    QVERIFY(closeUntilAsked());
}

void tst_WebApps::pageMadeFilesGoWithTheBrowser()
{
    QCOMPARE(madeFiles.size(), 2);
    // The page's question to the user holds nothing once the host hangs up.
    host->hangUp();
    QVERIFY(browser->process().waitForFinished(60000));
    QCOMPARE(browser->process().exitCode(), 0);
    for (const QString &path : madeFiles)
        QVERIFY2(!QFileInfo::exists(QFileInfo(path).dir().path()), qPrintable(path));
}

// The user closes the window while the page has a question up: a page that
// puts alert() again and again, and the leave question, which a second
// close answers. The window goes and the browser ends, by the window
// manager's close and by the title bar's.
void tst_WebApps::closingOutlastsPageQuestions_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("close");
    QTest::newRow("alert again and again, window manager") << "alerts" << "alt+F4";
    QTest::newRow("alert again and again, title bar") << "alerts" << "title bar";
    QTest::newRow("leave question, closed again") << "leave" << "alt+F4";
}

void tst_WebApps::closingOutlastsPageQuestions()
{
    QFETCH(QString, page);
    QFETCH(QString, close);
    if (browser && browser->process().state() != QProcess::NotRunning) {
        host->hangUp();
        QVERIFY(browser->process().waitForFinished(60000));
    }
    QVERIFY(startBrowser());
    server.setContent("/alerts.html", "<html><body><script>"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () {"
                      "  for (;;) alert('Again'); }); });"
                      "</script></body></html>", "text/html");
    if (page == "alerts") {
        host->send("event", "showUrl", server.url("/alerts.html").toString());
        QTRY_VERIFY_WITH_TIMEOUT(logged("page asks the user (alert)") > 0, 30000);
    } else {
        // The leave page of leavingAsksThePage, typed in and asked once.
        const int painted = server.requestsFor("/leave-painted").size();
        host->send("event", "showUrl", server.url("/leave.html").toString());
        QTRY_VERIFY_WITH_TIMEOUT(server.requestsFor("/leave-painted").size() > painted, 30000);
        const int typed = server.requestsFor("/typed").size();
        for (int attempt = 0; attempt < 10 && server.requestsFor("/typed").size() == typed; ++attempt) {
            QVERIFY(clickPageUntil("/leave-down"));
            key("a");
            if (QTest::qWaitFor([&] { return server.requestsFor("/typed").size() > typed; }, 3000))
                break;
        }
        QVERIFY(closeUntilAsked());
    }
    // openbox's close button sits at the right end of its title bar.
    const QRect frame = desktop->frameRect(window);
    const int titleBar = desktop->frameExtents(window).top();
    const QPoint closeButton(frame.right() - titleBar / 2, frame.top() + titleBar / 2);
    bool ended = false;
    for (int press = 0; press < 5 && !ended; ++press) {
        if (close == "title bar")
            desktop->xdotool({"mousemove", QString::number(closeButton.x()), QString::number(closeButton.y()), "click", "1"});
        else
            key(close);
        ended = browser->process().waitForFinished(10000);
    }
    QVERIFY(ended);
    QCOMPARE(browser->process().exitStatus(), QProcess::NormalExit);
}

void tst_WebApps::cleanupTestCase()
{
    if (browser && browser->process().state() != QProcess::NotRunning) {
        host->hangUp();
        if (!browser->process().waitForFinished(10000))
            browser->process().kill();
    }
}

QTEST_MAIN(tst_WebApps)
#include "tst_webapps.moc"
