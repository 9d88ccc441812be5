// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "webtestkit.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <csignal>

static const QString app = QStringLiteral("channel-web-browser");

// The built browser as a screen reader meets it: the test runs in a session
// with an accessibility bus (tests/support/a11y-session), and a small pyatspi
// script, on Debian's own python3, looks for the window's objects by name and
// works them. What reaches the host is checked byte for byte.
class tst_AtSpi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void buttonsByName_data();
    void buttonsByName();
    void pressSendsTheClickBytes();
    void keysAreSpoken_data();
    void keysAreSpoken();
    void historyRows();
    void progressRenamesTheRow();
    void removalAsksThroughTheBox();
    void findInPage();
    // Before the crashes: a window whose renderer died twice may miss the
    // host's next address (known, not yet mended).
    void popupWindowByName();
    void fullScreenNotice();
    void crashPageReloadByKeys();
    void pageTreeFollowsTheBus_data();
    void pageTreeFollowsTheBus();
    void cleanupTestCase();
private:
    // Starts a browser on its host and waits until its window titled title is on screen.
    static bool showWindow(BrowserProcess &browser, FakeHost &host, const QString &title);
    QByteArray atspi(const QStringList &arguments, const QString &application = app);
    QJsonArray atspiJson(const QStringList &arguments, const QString &application = app);
    // Asks again (each run of the script takes a while) until the summary
    // holds the line or the time is up.
    QStringList waitForLine(const QString &command, const QString &line);
    // The labels on screen once one of them reads text, or as they are when the time is up.
    QStringList waitForLabel(const QString &text);
    static QStringList summary(const QJsonArray &objects);
    BrowserProcess browser;
    QScopedPointer<FakeHost> host;
    QString listKey;
};

namespace {
const qint64 noon = QDateTime(QDate(2026, 12, 7), QTime(12, 0)).toMSecsSinceEpoch();

QJsonObject record(const QString &key, const QString &name, int status, qint64 size, qint64 offset)
{
    return QJsonObject{{"key", key}, {"name", name}, {"createTime", double(noon)}, {"updateTime", double(noon)},
                       {"fileSize", double(size)}, {"status", status}, {"downloadOffset", double(offset)},
                       {"fileExists", true}};
}

} // namespace

QByteArray tst_AtSpi::atspi(const QStringList &arguments, const QString &application)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start("/usr/bin/python3", QStringList{WB_ATSPI_SCRIPT, application} + arguments);
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return QByteArray("failed: ") + arguments.join(' ').toUtf8();
    return python.readAllStandardOutput().trimmed();
}

QJsonArray tst_AtSpi::atspiJson(const QStringList &arguments, const QString &application)
{
    const QByteArray out = atspi(arguments, application);
    const QJsonDocument document = QJsonDocument::fromJson(out);
    if (!document.isArray())
        qWarning("not a list: %s", out.constData());
    return document.array();
}

QStringList tst_AtSpi::waitForLine(const QString &command, const QString &line)
{
    QDeadlineTimer deadline(30000);
    QStringList lines;
    do {
        lines = summary(atspiJson({command}));
        if (lines.contains(line))
            break;
        QTest::qWait(100);
    } while (!deadline.hasExpired());
    return lines;
}

QStringList tst_AtSpi::waitForLabel(const QString &text)
{
    QDeadlineTimer deadline(30000);
    QStringList labels;
    do {
        labels.clear();
        for (const QJsonValue &value : atspiJson({"labels"}))
            labels << value.toString();
        if (labels.contains(text))
            break;
        QTest::qWait(100);
    } while (!deadline.hasExpired());
    return labels;
}

// "name: actions, states" per object, states among enabled, focusable.
QStringList tst_AtSpi::summary(const QJsonArray &objects)
{
    QStringList out;
    for (const QJsonValue &value : objects) {
        const QJsonObject object = value.toObject();
        QStringList actions;
        for (const QJsonValue &action : object.value("actions").toArray())
            actions << action.toString();
        QStringList states;
        if (object.value("enabled").toBool())
            states << "enabled";
        if (object.value("focusable").toBool())
            states << "focusable";
        out << QStringLiteral("%1: %2; %3").arg(object.value("name").toString(), actions.join(','), states.join(','));
    }
    return out;
}

bool tst_AtSpi::showWindow(BrowserProcess &browser, FakeHost &host, const QString &title)
{
    // A browser starting beside a busy suite may take its time.
    browser.start();
    if (!host.waitForClient(60000))
        return false;
    host.send("config", "title", title);
    host.send("config", "refreshText", "Reload page");
    host.send("config", "webFileText", "History");
    host.send("config", "windowsRect", "0,0,700,600");
    host.send("event", "showUrl", "about:blank");
    return QProcess::execute("timeout", {"60", "xdotool", "search", "--sync", "--onlyvisible", "--name", title}) == 0;
}

void tst_AtSpi::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs a session bus and an X server: ctest runs this under tests/support/a11y-session");
    QVERIFY(browser.isValid());
    host.reset(new FakeHost(browser.endpoint()));
    QVERIFY(showWindow(browser, *host, "Reader Test"));
}

void tst_AtSpi::buttonsByName_data()
{
    QTest::addColumn<bool>("busUpFirst");
    QTest::addColumn<QString>("title");
    // The session's accessibility bus comes up when the first screen reader
    // query asks for it, after this test's first browser has started.
    QTest::newRow("bus started after the browser") << false << "Reader Test";
    // As on a desktop where a screen reader is already running.
    QTest::newRow("bus up before the browser") << true << "Late Reader";
}

void tst_AtSpi::buttonsByName()
{
    QFETCH(bool, busUpFirst);
    QFETCH(QString, title);
    QScopedPointer<BrowserProcess> late;
    QScopedPointer<FakeHost> lateHost;
    QString application = app;
    if (busUpFirst) {
        QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered("org.a11y.Bus"));
        late.reset(new BrowserProcess);
        QVERIFY(late->isValid());
        lateHost.reset(new FakeHost(late->endpoint()));
        QVERIFY(showWindow(*late, *lateHost, title));
        application = QString::number(late->process().processId());
    }
    QCOMPARE(summary(atspiJson({"buttons"}, application)),
             QStringList({"Reload page: Press,SetFocus; enabled,focusable",
                          "Collect: Press,SetFocus; enabled,focusable",
                          "Share: Press,SetFocus; enabled,focusable",
                          "History: Press,SetFocus; enabled,focusable"}));
    if (late) {
        lateHost->hangUp();
        QVERIFY(late->process().waitForFinished(10000));
        QCOMPARE(late->process().exitCode(), 0);
    }
}

void tst_AtSpi::pressSendsTheClickBytes()
{
    host->clear();
    QCOMPARE(atspi({"press", "Reload page"}), QByteArray());
    QTRY_COMPARE(host->rawBytes(), QByteArray("feedback:refresh:;"));
}

void tst_AtSpi::historyRows()
{
    QCOMPARE(atspi({"press", "History"}), QByteArray());
    const HostFrame ask = host->waitFor("webfile", "getFileList");
    listKey = QString::fromUtf8(ask.payload);
    QCOMPARE(listKey.size(), 32);
    const QJsonArray data{record("k-run", "movie.mp4", 1, 1000, 450), record("k-done", "report.pdf", 2, 2048, 2048)};
    host->send("webfile", "getFileListRes", QJsonDocument(QJsonObject{{"data", data}, {"key", listKey}}).toJson());

    const QStringList rows = waitForLine("rows", "report.pdf, 2 kilobytes, Download succeed: openfilefolder,removedownloadfile; enabled,focusable");
    QCOMPARE(rows, QStringList({"7 December: ; enabled,focusable",
                                "movie.mp4, 1000 bytes, 45 %: removedownloadfile; enabled,focusable",
                                "report.pdf, 2 kilobytes, Download succeed: openfilefolder,removedownloadfile; enabled,focusable"}));
    host->clear();
    QCOMPARE(atspi({"act", "report.pdf, 2 kilobytes, Download succeed", "openfilefolder"}), QByteArray());
    // Progress polls of the running download may come in between.
    QTRY_COMPARE(host->framesOf("webfile", "openFileFolder").size(), 1);
    QCOMPARE(host->framesOf("webfile", "openFileFolder").at(0).payload, QByteArray("k-done"));
}

// A screen reader hears the new progress of a download as the row's new name.
void tst_AtSpi::progressRenamesTheRow()
{
    QProcess listener;
    listener.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    listener.start("/usr/bin/python3", {WB_ATSPI_SCRIPT, app, "renamed", "20"});
    QVERIFY(listener.waitForReadyRead(30000));
    QCOMPARE(listener.readLine().trimmed(), QByteArray("listening"));

    host->clear();
    const HostFrame poll = host->waitFor("webfile", "getDownloadOffset");
    const QString key = QJsonDocument::fromJson(poll.payload).object().value("key").toString();
    const QJsonArray progress{QJsonObject{{"key", "k-run"}, {"downloadOffset", 900}}};
    host->send("webfile", "getDownloadOffsetRes", QJsonDocument(QJsonObject{{"data", progress}, {"key", key}}).toJson());
    QVERIFY(listener.waitForFinished(30000));
    QCOMPARE(listener.readAll().trimmed(), QByteArray("movie.mp4, 1000 bytes, 90 %"));
}

void tst_AtSpi::removalAsksThroughTheBox()
{
    host->clear();
    QCOMPARE(atspi({"act", "report.pdf, 2 kilobytes, Download succeed", "removedownloadfile"}), QByteArray());
    const QStringList buttons = waitForLine("buttons", "Delete: Press,SetFocus; enabled,focusable");
    QVERIFY(buttons.contains("Delete: Press,SetFocus; enabled,focusable"));
    QVERIFY(buttons.contains("Cancel: Press,SetFocus; enabled,focusable"));
    QCOMPARE(host->framesOf("webfile", "removeHistory").size(), 0);

    QCOMPARE(atspi({"press", "Delete"}), QByteArray());
    const HostFrame removal = host->waitFor("webfile", "removeHistory");
    const QJsonObject asked = QJsonDocument::fromJson(removal.payload).object();
    QCOMPARE(asked.value("fileKey").toString(), QStringLiteral("k-done"));
    QCOMPARE(asked.value("key").toString().size(), 32);
}

// Ctrl+F opens the find bar with the keyboard in its field, named as the
// host says; the bar tells how many matches there are and which is current,
// Enter and F3 go forward, with Shift back. Escape gives the page the keys
// back with the current match selected.
void tst_AtSpi::findInPage()
{
    PageServer server;
    QByteArray apples;
    for (int i = 0; i < 12; ++i)
        apples += "<p>apple " + QByteArray::number(i) + "</p>";
    server.setContent("/find.html", "<html><body>" + apples + "<script>addEventListener('keydown', function (e) {"
                                    " fetch('/key/' + e.key + '/' + getSelection().toString()); });</script></body></html>",
                      "text/html");
    QVERIFY(server.startHttp());
    host->send("config", "findBarText", "Search this page");
    host->send("config", "findBarNoMatchesText", "Nothing found");
    host->send("event", "showUrl", server.url("/find.html").toString());
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/find.html").size(), 1, 10000);
    QTest::qWait(500);   // nothing to observe from outside until the page is painted
    auto keys = [](const QStringList &names) {
        return QProcess::execute("xdotool", QStringList{"key", "--delay", "80"} + names) == 0;
    };
    QCOMPARE(QProcess::execute("xdotool", {"mousemove", "400", "500", "click", "1"}), 0);
    QVERIFY(keys({"ctrl+f"}));
    QCOMPARE(QProcess::execute("xdotool", {"type", "--delay", "80", "apple"}), 0);
    QVERIFY(waitForLabel("1 of 12").contains("1 of 12"));
    // The window, the frame and the field report focus; the field is the one with a text role.
    QStringList focused;
    for (const QJsonValue &object : atspiJson({"focus"}))
        focused << object.toObject().value("role").toString() + ": " + object.toObject().value("name").toString();
    QVERIFY2(focused.contains("text: Search this page"), qPrintable(focused.join(" | ")));

    const QList<QPair<QString, QString>> steps = {
        {"Return", "2 of 12"}, {"shift+Return", "1 of 12"}, {"F3", "2 of 12"}, {"F3", "3 of 12"}, {"shift+F3", "2 of 12"}};
    for (const auto &step : steps) {
        QVERIFY(keys({step.first}));
        QVERIFY2(waitForLabel(step.second).contains(step.second), qPrintable(step.first));
    }
    QVERIFY(keys({"Escape", "x"}));
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/key/x/apple").size(), 1, 5000);

    QVERIFY(keys({"ctrl+f"}));
    QCOMPARE(QProcess::execute("xdotool", {"type", "--delay", "80", "pear"}), 0);
    QVERIFY(waitForLabel("Nothing found").contains("Nothing found"));
    // Nothing matched, so nothing is selected: the page only has the keys again.
    QVERIFY(keys({"Escape", "y"}));
    auto pageKeys = [&server](const QString &key) {
        QStringList paths;
        for (const SeenRequest &request : server.requests()) {
            if (request.path.startsWith("/key/" + key + "/"))
                paths << request.path;
        }
        return paths;
    };
    QTRY_COMPARE_WITH_TIMEOUT(pageKeys("y"), QStringList{"/key/y/"}, 5000);

    // A zoom step says the new level over the page for a moment.
    QVERIFY(keys({"ctrl+plus"}));
    QVERIFY(waitForLabel("125 %").contains("125 %"));
    QVERIFY(keys({"ctrl+0"}));
    QVERIFY(waitForLabel("100 %").contains("100 %"));
}

// After a second renderer death the page says so; its Reload is a named
// button that has the keyboard, and Enter loads the page again.
void tst_AtSpi::crashPageReloadByKeys()
{
    PageServer server;
    QVERIFY(server.startHttp());
    host->send("event", "showUrl", server.url("/fragile").toString());
    for (int load = 1; load <= 2; ++load) {
        QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/fragile").size(), load, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!browser.renderers().isEmpty(), 10000);
        QTest::qWait(500);
        for (int pid : browser.renderers())
            ::kill(pid, SIGKILL);
    }
    QDeadlineTimer deadline(30000);
    QString seen;
    while (!seen.contains("push button: Reload, focused") && !deadline.hasExpired()) {
        seen.clear();
        for (const QJsonValue &v : atspiJson({"pagebuttons"})) {
            const QJsonObject button = v.toObject();
            seen += QStringLiteral("%1: %2%3 | ").arg(button.value("role").toString(), button.value("name").toString(),
                                                      button.value("focused").toBool() ? ", focused" : "");
        }
    }
    QVERIFY2(seen.contains("push button: Reload, focused"), qPrintable(seen));
    QCOMPARE(QProcess::execute("xdotool", {"key", "Return"}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/fragile").size(), 3, 20000);
}

// A page's popup, opened by the user's click, is a window of its own, named
// after its page's origin and its page.
void tst_AtSpi::popupWindowByName()
{
    PageServer server;
    server.setContent("/opener.html", "<html><body style='height:600px'><script>var w; document.onclick = function () {"
                      " w = window.open('/login', 'login', 'left=720,top=0,width=300,height=300'); };"
                      "onpagehide = function () { if (w) w.close(); };"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () { fetch('/painted'); }); });"
                      "</script></body></html>", "text/html");
    server.setContent("/login", "<html><head><title>Sign in</title></head><body></body></html>", "text/html");
    QVERIFY(server.startHttp());
    host->send("config", "allowPopups", "1");
    host->send("event", "showUrl", server.url("/opener.html").toString());
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/painted").size(), 1, 30000);
    const QString popup = server.url("/").toString(QUrl::RemovePath) + " - Sign in";
    QDeadlineTimer deadline(30000);
    QStringList windows;   // by name: both windows have the role the toolkit gives
    while (!windows.contains(popup) && !deadline.hasExpired()) {
        // Like a user, click again while nothing opened.
        if (server.requestsFor("/login").isEmpty())
            QCOMPARE(QProcess::execute("xdotool", {"mousemove", "400", "500", "click", "1"}), 0);
        windows.clear();
        for (const QJsonValue &v : atspiJson({"windows"}))
            windows << v.toObject().value("name").toString();
    }
    QCOMPARE(windows, QStringList({"Reader Test", popup}));
    QCOMPARE(server.requestsFor("/login").size(), 1);
}

// A page that takes the whole screen could pass for anything: the screen
// says which key leaves, and so does the screen reader.
void tst_AtSpi::fullScreenNotice()
{
    PageServer server;
    server.setContent("/full.html", "<html><head><title>Film</title></head><body style='height:600px'><script>"
                      "document.onkeydown = function (e) { if (e.key == 'f') document.documentElement.requestFullscreen(); };"
                      "document.onfullscreenchange = function () { fetch('/full-' + !!document.fullscreenElement); };"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () { fetch('/painted'); }); });"
                      "</script></body></html>", "text/html");
    QVERIFY(server.startHttp());
    host->send("event", "showUrl", server.url("/full.html").toString());
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/painted").size(), 1, 30000);
    // The keys come back from the last test's popup, closed with its opener.
    QCOMPARE(QProcess::execute("xdotool", {"search", "--name", "^Reader Test$", "windowfocus"}), 0);
    QProcess listener;
    listener.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    listener.start("/usr/bin/python3", {WB_ATSPI_SCRIPT, app, "listen", "20", "object:property-change:accessible-description"});
    QVERIFY(listener.waitForReadyRead(30000));
    QCOMPARE(listener.readLine().trimmed(), QByteArray("listening"));
    // A click gives the page the keys and the user's gesture; like a user,
    // click and press again when nothing happened.
    for (int attempt = 0; attempt < 3 && server.requestsFor("/full-true").isEmpty(); ++attempt) {
        QCOMPARE(QProcess::execute("xdotool", {"mousemove", "400", "500", "click", "1"}), 0);
        QCOMPARE(QProcess::execute("xdotool", {"key", "f"}), 0);
        if (QTest::qWaitFor([&] { return !server.requestsFor("/full-true").isEmpty(); }, 10000))
            break;
    }
    QCOMPARE(server.requestsFor("/full-true").size(), 1);
    const QString notice = "Press Esc to leave full screen";
    QVERIFY(waitForLabel(notice).contains(notice));
    QStringList heard;
    QDeadlineTimer deadline(20000);
    while (listener.state() == QProcess::Running && !deadline.hasExpired() && heard.filter("|" + notice).isEmpty()) {
        listener.waitForReadyRead(100);
        while (listener.canReadLine()) {
            const QJsonObject e = QJsonDocument::fromJson(listener.readLine()).object();
            heard << e.value("role").toString() + "|" + e.value("data").toString();
        }
    }
    listener.kill();
    listener.waitForFinished();
    // Told as the widget with the keys, the page's, changing its description.
    QVERIFY2(heard.contains("filler|" + notice), qPrintable(heard.join("\n")));
    // Esc leaves, as it said; the notice goes with the full screen.
    QCOMPARE(QProcess::execute("xdotool", {"key", "Escape"}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/full-false").size(), 1, 20000);
    const auto shown = [this] {
        QStringList labels;
        for (const QJsonValue &value : atspiJson({"labels"}))
            labels << value.toString();
        return labels;
    };
    QTRY_VERIFY_WITH_TIMEOUT(!shown().contains(notice), 30000);
}

void tst_AtSpi::keysAreSpoken_data()
{
    QTest::addColumn<QString>("keys");       // xdotool's key names, pressed one after the other
    QTest::addColumn<QString>("hostSays");   // then: "" or "list", "progress", "cleaned"
    QTest::addColumn<QString>("heard");      // "event|role|name|detail|text the event carries"
    // Each row goes on from where the one before left the window: first the
    // page with the keys in it, the history not opened yet.
    QTest::newRow("F6 from the page: the title bar") << "F6" << "" << "focus:|push button|Reload page|0|";
    QTest::newRow("F6 again: the page's focused element") << "F6" << "" << "focus:|document web|Keys|0|";
    QTest::newRow("Shift+F6: the title bar again") << "shift+F6" << "" << "focus:|push button|Reload page|0|";
    QTest::newRow("history opened") << "Tab Tab Tab space" << "list"
                                    << "object:property-change:accessible-description|push button|History|0|History, Loading...";
    QTest::newRow("Tab in: the current row") << "Tab" << "" << "focus:|list item|7 December|0|";
    QTest::newRow("Left: the day closes") << "Left" << "" << "object:state-changed:expanded|list item|7 December|0|";
    QTest::newRow("Right: the day opens") << "Right" << "" << "object:state-changed:expanded|list item|7 December|1|";
    QTest::newRow("progress of the focused row") << "Down" << "progress"
                                                 << "object:property-change:accessible-name|list item|movie.mp4, 1000 bytes, 95 %|0|";
    QTest::newRow("Delete: the box's default button") << "Delete" << "" << "focus:|push button|Delete|0|";
    QTest::newRow("Escape: back in the list") << "Escape" << "" << "focus:|list item|movie.mp4, 1000 bytes, 95 %|0|";
    QTest::newRow("Clean all: the list is gone") << "Tab space Return" << "cleaned"
                                                 << "object:property-change:accessible-description|push button|Back|0|Download Empty";
    QTest::newRow("Escape: the page's focused element") << "Escape" << "" << "focus:|document web|Keys|0|";
}

// What a screen reader is told when keys are pressed, as AT-SPI listeners
// hear it from the built browser.
void tst_AtSpi::keysAreSpoken()
{
    QFETCH(QString, keys);
    QFETCH(QString, hostSays);
    QFETCH(QString, heard);
    static PageServer server;
    if (QTest::currentDataTag() == QLatin1String("F6 from the page: the title bar")) {
        server.setContent("/keys.html", "<html><head><title>Keys</title></head><body><button>Post a log line</button></body></html>", "text/html");
        QVERIFY(server.startHttp());
        host->send("event", "showUrl", server.url("/keys.html").toString());
        QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/keys.html").size(), 1, 10000);
        QTest::qWait(500);   // nothing to observe from outside until the page is painted
        QCOMPARE(QProcess::execute("xdotool", {"mousemove", "400", "500", "click", "1"}), 0);
    }
    QProcess listener;
    listener.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    listener.start("/usr/bin/python3", {WB_ATSPI_SCRIPT, app, "listen", "20", "focus:", "object:state-changed:expanded",
                                        "object:property-change:accessible-description", "object:property-change:accessible-name"});
    QVERIFY(listener.waitForReadyRead(30000));
    QCOMPARE(listener.readLine().trimmed(), QByteArray("listening"));
    host->clear();
    QCOMPARE(QProcess::execute("xdotool", QStringList{"key", "--delay", "300"} + keys.split(' ')), 0);
    if (hostSays == "list") {
        const HostFrame ask = host->waitFor("webfile", "getFileList");
        const QJsonArray data{record("k-run", "movie.mp4", 1, 1000, 450), record("k-done", "report.pdf", 2, 2048, 2048)};
        host->send("webfile", "getFileListRes", QJsonDocument(QJsonObject{{"data", data}, {"key", QString::fromUtf8(ask.payload)}}).toJson());
    } else if (hostSays == "progress") {
        const HostFrame poll = host->waitFor("webfile", "getDownloadOffset");
        const QString key = QJsonDocument::fromJson(poll.payload).object().value("key").toString();
        const QJsonArray progress{QJsonObject{{"key", "k-run"}, {"downloadOffset", 950}}};
        host->send("webfile", "getDownloadOffsetRes", QJsonDocument(QJsonObject{{"data", progress}, {"key", key}}).toJson());
    } else if (hostSays == "cleaned") {
        const HostFrame clean = host->waitFor("webfile", "removeAllHistory");
        const QString key = QJsonDocument::fromJson(clean.payload).object().value("key").toString();
        host->send("webfile", "removeAllHistoryRes", QJsonDocument(QJsonObject{{"key", key}}).toJson());
    }
    QStringList lines;
    auto read = [&lines, &listener](int ms) {
        QDeadlineTimer deadline(ms);
        while (listener.state() == QProcess::Running && !deadline.hasExpired()) {
            listener.waitForReadyRead(100);
            while (listener.canReadLine()) {
                const QJsonObject e = QJsonDocument::fromJson(listener.readLine()).object();
                lines << QStringList{e.value("type").toString(), e.value("role").toString(), e.value("name").toString(),
                                     QString::number(e.value("detail1").toInt()), e.value("data").toString()}.join('|');
            }
        }
    };
    QDeadlineTimer deadline(20000);
    while (!lines.contains(heard) && listener.state() == QProcess::Running && !deadline.hasExpired())
        read(200);
    // What the screen reader says last is what counts: a focus announced
    // and then overtaken by another one is not heard.
    read(1000);
    listener.kill();
    listener.waitForFinished();
    const QStringList last = lines.filter(QRegularExpression("^" + QRegularExpression::escape(heard.section('|', 0, 0)) + "\\|"));
    QVERIFY2(!last.isEmpty() && last.constLast() == heard, qPrintable(lines.join("\n")));
}

void tst_AtSpi::pageTreeFollowsTheBus_data()
{
    QTest::addColumn<QString>("reader");   // when the screen reader is on: "start", "later" or "never"
    QTest::newRow("screen reader on at start") << "start";
    // The window is on the bus already; its page is read from the moment
    // the reader comes.
    QTest::newRow("screen reader turned on later") << "later";
    // Nothing asks: the engine builds no tree.
    QTest::newRow("no assistive technology") << "never";
}

// The browser asks the session's accessibility bus, as a screen reader
// leaves it, with nothing set for it in the environment.
void tst_AtSpi::pageTreeFollowsTheBus()
{
    QFETCH(QString, reader);
    const QStringList pageObjects{"push button: Post a log line", "link: report.pdf"};
    auto setReader = [](bool on) {
        QDBusMessage set = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set");
        set << QStringLiteral("org.a11y.Status") << QStringLiteral("ScreenReaderEnabled") << QVariant::fromValue(QDBusVariant(on));
        return QDBusConnection::sessionBus().call(set).type() == QDBusMessage::ReplyMessage;
    };
    QVERIFY(setReader(reader == "start"));
    PageServer server;
    server.setContent("/log.html", "<html><head><title>Log</title></head><body><button>Post a log line</button>"
                                   "<ul><li><a href='/report.pdf'>report.pdf</a></li></ul></body></html>", "text/html");
    QVERIFY(server.startHttp());
    BrowserProcess browserOfRow;
    QVERIFY(browserOfRow.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
    browserOfRow.process().setProcessEnvironment(env);
    browserOfRow.process().setProcessChannelMode(QProcess::SeparateChannels);
    FakeHost rowHost(browserOfRow.endpoint());
    QVERIFY(showWindow(browserOfRow, rowHost, "Reader " + reader));
    rowHost.send("event", "showUrl", server.url("/log.html").toString());
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/log.html").size(), 1, 10000);
    const QString pid = QString::number(browserOfRow.process().processId());
    auto pageSeen = [&] {
        QStringList found;
        for (const QJsonValue &value : atspiJson({"page"}, pid))
            found << value.toString();
        return found;
    };
    if (reader == "never") {
        QTest::qWait(2000);   // time enough for a tree to be built
        QCOMPARE(pageSeen(), QStringList());
    } else {
        if (reader == "later") {
            QTest::qWait(1000);
            QVERIFY(setReader(true));
        }
        QDeadlineTimer deadline(30000);
        QStringList found;
        while ((found = pageSeen()) != pageObjects && !deadline.hasExpired())
            QTest::qWait(200);
        QCOMPARE(found, pageObjects);
    }
    QVERIFY(setReader(false));
    rowHost.hangUp();
    QVERIFY(browserOfRow.process().waitForFinished(10000));
    const QByteArray lines = browserOfRow.process().readAllStandardError();
    QVERIFY2(lines.contains("pageAccessibility: on") == (reader != "never"), lines.constData());
}

void tst_AtSpi::cleanupTestCase()
{
    if (!host)
        return;
    host->hangUp();
    QVERIFY(browser.process().waitForFinished(10000));
    QCOMPARE(browser.process().exitCode(), 0);
}

QTEST_MAIN(tst_AtSpi)
#include "tst_atspi.moc"
