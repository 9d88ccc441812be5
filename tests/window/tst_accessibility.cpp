// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfiletree.h"
#include "downloads/treeview.h"
#include "hostlink/transport.h"
#include "tests/support/fakehost.h"
#include "web/vellchatwebview.h"
#include "widgets/informbox.h"
#include "widgets/textbutton.h"
#include "window/vellchatwebbroswer.h"
#include "window/vellchatwebbroswer_impl.h"
#include "window/windowhostcommands.h"

#include <QAccessible>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QMetaEnum>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <QtTest/qtestaccessible.h>
#include <memory>

using Config = VellChatWBConfigure;

// The window as assistive technology sees it, in this process: host messages
// go in through the dispatcher and what the browser writes for the host is
// caught byte for byte, so a press through the accessibility interface can be
// held against a click with the mouse.
// The toolkit's test helper keeps a copy of every event and its clearEvents()
// forgets them without deleting them.
static void dropEvents()
{
    qDeleteAll(QTestAccessibility::events());
    QTestAccessibility::clearEvents();
}

class tst_Accessibility : public QObject
{
    Q_OBJECT
private slots:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
    void initTestCase();
    void cleanupTestCase();
    void titleBar_data();
    void titleBar();
    void newCaptionRenames();
    void pressIsAClick_data();
    void pressIsAClick();
    void historyRows();
    void rowActionsAreLinkClicks_data();
    void rowActionsAreLinkClicks();
    void boxes_data();
    void boxes();
    void tabOrder_data();
    void tabOrder();
    void windowKeys_data();
    void windowKeys();
private:
    void send(const QString &category, const QString &subcommand, const QString &payload);
    void openWindow(const QStringList &captions = QStringList(), const QString &shown = "cs");
    void openPanelWithHistory();
    QByteArray take();
    static QString focusName();
    bool documentIs(const QUrl &url) const;
    void keyTo(const QString &keys);
    static QStringList children(QObject *object, QAccessible::Role role);
    static QString describe(QAccessibleInterface *iface);
    static QAccessibleInterface *iface(QObject *object) { return QAccessible::queryAccessibleInterface(object); }
    VellChatWebBroswer_impl *frame() const { return VellChatWebBroswer::instance()->impl(); }
    TextButton *titleButton(int index) const
    {
        // refresh, collect, share, channel, open outside, download history, back
        return frame()->findChildren<TextButton *>(QString(), Qt::FindDirectChildrenOnly).value(index);
    }
    TreeView *tree() const { return frame()->panel()->findChild<TreeView *>(); }
    InformBox *box() const { return frame()->findChild<InformBox *>(); }
    QByteArray written;
};

namespace {

const qint64 noon = QDateTime(QDate(2026, 12, 7), QTime(12, 0)).toMSecsSinceEpoch();

QJsonObject record(const QString &key, const QString &name, int status, qint64 size, qint64 offset, bool exists = true)
{
    return QJsonObject{{"key", key}, {"name", name}, {"createTime", double(noon)}, {"updateTime", double(noon)},
                       {"fileSize", double(size)}, {"status", status}, {"downloadOffset", double(offset)},
                       {"fileExists", exists}};
}

// Request keys are fresh each time; what matters is where one stands.
QByteArray masked(QByteArray bytes)
{
    static const QRegularExpression key("[0-9a-f]{32}");
    QString text = QString::fromLatin1(bytes);
    QStringList frames = text.split(';', Qt::SkipEmptyParts);
    for (QString &frame : frames) {
        const QStringList fields = frame.split(':');
        if (fields.size() != 3)
            continue;
        QString payload = QString::fromUtf8(QByteArray::fromBase64(fields.at(2).toLatin1()));
        payload.replace(key, QStringLiteral("<key>"));
        frame = fields.at(0) + ':' + fields.at(1) + ':' + payload;
    }
    return frames.join(';').toUtf8();
}

} // namespace

void tst_Accessibility::initTestCase()
{
    // What the host asks is done to the window, as in the browser.
    static WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);
    // Runs in a session with an accessibility bus (tests/support/a11y-session)
    // that starts when first asked for; the toolkit's bridge then connects and
    // turns on, and the events our widgets send are collected here.
    QAccessible::isActive();
    QProcess ask;
    ask.start("dbus-send", {"--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress"});
    QVERIFY(ask.waitForFinished(10000));
    QCOMPARE(ask.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
    QTestAccessibility::initialize();
    transport::shareInstance()->setWriteSink([this](const QByteArray &bytes) {
        // the window reports its place every second; that is not what is tested here
        if (!bytes.startsWith("feedback:savePosition:"))
            written += bytes;
    });
}

void tst_Accessibility::cleanupTestCase()
{
    VellChatWebBroswer::destory();
    transport::shareInstance()->setWriteSink(nullptr);
    QTestAccessibility::cleanup();
    dropEvents();
}

void tst_Accessibility::send(const QString &category, const QString &subcommand, const QString &payload)
{
    transport::shareInstance()->processIncoming(FakeHost::frame(category, subcommand, payload));
}

QByteArray tst_Accessibility::take()
{
    const QByteArray bytes = written;
    written.clear();
    return bytes;
}

// A fresh window with these captions (title, refresh, collect, share,
// channel, open outside, download history) and the optional buttons named in
// shown: c collect, s share, h channel, o open outside.
void tst_Accessibility::openWindow(const QStringList &captions, const QString &shown)
{
    VellChatWebBroswer::destory();
    Config::init();
    const QStringList keys = {"title", "refreshText", "collectText", "shareText", "channelText", "openoutsideText", "webFileText"};
    for (int i = 0; i < captions.size(); ++i)
        send("config", keys.at(i), captions.at(i));
    send("event", "updateStoreToVell", shown.contains('c') ? "true" : "false");
    send("event", "updateShareToFriend", shown.contains('s') ? "true" : "false");
    send("event", "updateCheckChannel", shown.contains('h') ? "true" : "false");
    send("event", "updateOpenOutside", shown.contains('o') ? "true" : "false");
    send("event", "showUrl", "about:blank");
    QTRY_VERIFY(VellChatWebBroswer::instance());
    QVERIFY(QTest::qWaitForWindowExposed(VellChatWebBroswer::instance()));
    take();
}

QString tst_Accessibility::describe(QAccessibleInterface *iface)
{
    if (!iface)
        return QStringLiteral("(none)");
    const QAccessible::State s = iface->state();
    QStringList states;
    if (s.disabled)
        states << "disabled";
    if (s.focusable)
        states << "focusable";
    if (s.focused)
        states << "focused";
    if (s.expanded)
        states << "expanded";
    if (s.modal)
        states << "modal";
    const QStringList actions = iface->actionInterface() ? iface->actionInterface()->actionNames() : QStringList();
    return QStringLiteral("%1 \"%2\" %3 [%4]")
        .arg(QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(iface->role())),
             iface->text(QAccessible::Name), states.join(','), actions.join(','));
}

// The shown children of an object's interface that have this role.
QStringList tst_Accessibility::children(QObject *object, QAccessible::Role role)
{
    QStringList out;
    QAccessibleInterface *parent = iface(object);
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        QAccessibleInterface *child = parent->child(i);
        if (child && child->role() == role && !child->state().invisible)
            out << describe(child);
    }
    return out;
}

void tst_Accessibility::titleBar_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("first captions") << QStringList{"News", "Refresh", "Collect", "Share", "Channel", "Open Outside", "Download History"}
                                    << "csh"
                                    << QStringList{"Button \"Refresh\" focusable [Press,SetFocus]",
                                                   "Button \"Collect\" focusable [Press,SetFocus]",
                                                   "Button \"Share\" focusable [Press,SetFocus]",
                                                   "Button \"Channel\" focusable [Press,SetFocus]",
                                                   "Button \"Download History\" focusable [Press,SetFocus]"};
    QTest::newRow("host captions, other buttons") << QStringList{"Nachrichten", "Neu laden", "Merken", "Teilen", "Kanal", "Extern öffnen", "Verlauf"}
                                                  << "o"
                                                  << QStringList{"Button \"Neu laden\" focusable [Press,SetFocus]",
                                                                 "Button \"Extern öffnen\" focusable [Press,SetFocus]",
                                                                 "Button \"Verlauf\" focusable [Press,SetFocus]"};
}

void tst_Accessibility::titleBar()
{
    QFETCH(QStringList, captions);
    QFETCH(QString, shown);
    QFETCH(QStringList, buttons);
    openWindow(captions, shown);
    QCOMPARE(children(frame(), QAccessible::Button), buttons);
    // The logo is a picture with nothing to press, in a frame named by the title.
    QCOMPARE(children(frame(), QAccessible::Graphic), QStringList{"Graphic \"" + captions.first() + "\" disabled []"});
    QAccessibleInterface *window = iface(VellChatWebBroswer::instance());
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), captions.first());
}

// Texts the host sends while the window shows rename what they name.
void tst_Accessibility::newCaptionRenames()
{
    openWindow({"News"});
    TextButton *refresh = titleButton(0);
    QAccessibleInterface *logo = iface(frame()->findChild<ImageButton *>());
    dropEvents();
    send("config", "refreshText", "Reload page");
    send("config", "title", "Evening news");
    QTRY_COMPARE(iface(refresh)->text(QAccessible::Name), QStringLiteral("Reload page"));
    QTRY_COMPARE(logo->text(QAccessible::Name), QStringLiteral("Evening news"));
    QAccessibleEvent renamed(refresh, QAccessible::NameChanged);
    QVERIFY(QTestAccessibility::containsEvent(&renamed));
    QAccessibleEvent logoRenamed(logo->object(), QAccessible::NameChanged);
    QVERIFY(QTestAccessibility::containsEvent(&logoRenamed));
}

void tst_Accessibility::pressIsAClick_data()
{
    QTest::addColumn<int>("button");       // title button, -1 the logo
    QTest::addColumn<bool>("panelFirst");  // the download panel open before
    QTest::addColumn<QByteArray>("bytes"); // for the host, request keys masked
    QTest::newRow("refresh") << 0 << false << QByteArray("feedback:refresh:");
    QTest::newRow("collect") << 1 << false << QByteArray("feedback:storeToVell:");
    QTest::newRow("share") << 2 << false << QByteArray("feedback:share:");
    QTest::newRow("channel") << 3 << false << QByteArray("feedback:channel:");
    QTest::newRow("open outside") << 4 << false << QByteArray("feedback:openOutside:");
    QTest::newRow("download history") << 5 << false << QByteArray("webfile:getFileList:<key>");
    QTest::newRow("back") << 6 << true << QByteArray();
    QTest::newRow("logo") << -1 << false << QByteArray();
}

void tst_Accessibility::pressIsAClick()
{
    QFETCH(int, button);
    QFETCH(bool, panelFirst);
    QFETCH(QByteArray, bytes);
    for (bool accessible : {false, true}) {
        openWindow({}, "csho");
        if (panelFirst) {
            QTest::mouseClick(titleButton(5), Qt::LeftButton);
            QVERIFY(frame()->view()->isHidden());
            take();
        }
        Button *target = button >= 0 ? static_cast<Button *>(titleButton(button)) : frame()->findChild<ImageButton *>();
        if (accessible)
            iface(target)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        else
            QTest::mouseClick(target, Qt::LeftButton);
        QCOMPARE(masked(take()), bytes);
        if (panelFirst)
            QVERIFY(!frame()->view()->isHidden());
    }
}

// The panel over a day with a file in every state; the list answer is the
// host's, through the dispatcher.
void tst_Accessibility::openPanelWithHistory()
{
    openWindow();
    QTest::mouseClick(titleButton(5), Qt::LeftButton);
    const QByteArray ask = take();
    QVERIFY(ask.startsWith("webfile:getFileList:"));
    const QString key = QString::fromUtf8(QByteArray::fromBase64(ask.mid(20, ask.size() - 21)));
    const QJsonArray data{record("k-run", "movie.mp4", 1, 1000, 450), record("k-done", "report.pdf", 2, 2048, 2048),
                          record("k-gone", "old.zip", 2, 10, 10, false), record("k-fail", "notes.txt", 3, 10, 3)};
    send("webfile", "getFileListRes", QJsonDocument(QJsonObject{{"data", data}, {"key", key}}).toJson());
    QTRY_VERIFY(!tree()->isHidden());
}

void tst_Accessibility::historyRows()
{
    openPanelWithHistory();
    QCOMPARE(children(tree(), QAccessible::ListItem),
             QStringList({"ListItem \"7 December\" focusable,expanded []",
                          "ListItem \"movie.mp4, 1000 bytes, 45 %\" focusable [removedownloadfile]",
                          "ListItem \"report.pdf, 2 kilobytes, Download succeed\" focusable [openfilefolder,removedownloadfile]",
                          "ListItem \"old.zip, 10 bytes, File has been moved or deleted\" focusable [removedownloadfile]",
                          "ListItem \"notes.txt, 10 bytes, Download failed\" focusable [redownloadfile,removedownloadfile]"}));
    QAccessibleInterface *running = iface(tree())->child(1);
    QCOMPARE(running->actionInterface()->localizedActionName("removedownloadfile"), QStringLiteral("Delete"));
    QCOMPARE(iface(tree())->indexOfChild(running), 1);
    QCOMPARE(iface(tree())->childAt(running->rect().center().x(), running->rect().center().y()), running);

    // progress that arrives renames the row and says so
    dropEvents();
    QTRY_VERIFY_WITH_TIMEOUT(written.contains("webfile:getDownloadOffset:"), 3000);
    const QByteArray poll = take();
    const QByteArray pollJson = QByteArray::fromBase64(poll.mid(26, poll.indexOf(';') - 26));
    const QString pollKey = QJsonDocument::fromJson(pollJson).object().value("key").toString();
    const QJsonArray progress{QJsonObject{{"key", "k-run"}, {"downloadOffset", 900}}};
    send("webfile", "getDownloadOffsetRes", QJsonDocument(QJsonObject{{"data", progress}, {"key", pollKey}}).toJson());
    QTRY_COMPARE(running->text(QAccessible::Name), QStringLiteral("movie.mp4, 1000 bytes, 90 %"));
    QAccessibleEvent renamed(running, QAccessible::NameChanged);
    QVERIFY(QTestAccessibility::containsEvent(&renamed));

    // a removed row takes its interface with it
    const QAccessible::Id gone = QAccessible::uniqueId(iface(tree())->child(4));
    send("webfile", "removeHistoryRes", QJsonDocument(QJsonObject{{"fileKey", "k-fail"}, {"key", "x"}}).toJson());
    QTRY_COMPARE(iface(tree())->childCount(), 4);
    QTRY_VERIFY(!QAccessible::accessibleInterface(gone));
}

void tst_Accessibility::rowActionsAreLinkClicks_data()
{
    QTest::addColumn<int>("row");          // visible row: 2 finished, 4 failed
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("description");
    QTest::newRow("open folder") << 2 << "openfilefolder" << QByteArray("webfile:openFileFolder:k-done")
                                 << "Open in folder: report.pdf";
    QTest::newRow("download again") << 4 << "redownloadfile"
                                    << QByteArray(R"(webfile:restartDownload:{"fileKey":"k-fail","key":"<key>"})")
                                    << "Download again: notes.txt";
}

void tst_Accessibility::rowActionsAreLinkClicks()
{
    QFETCH(int, row);
    QFETCH(QString, action);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, description);
    openPanelWithHistory();
    QCOMPARE(iface(tree())->child(row)->actionInterface()->localizedActionDescription(action), description);
    // the link's text ends 63 px in from the row's right edge, 60 px below its top
    const QRect rect = tree()->visualRect(tree()->indexAtVisibleRow(row));
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(rect.right() - 66, rect.top() + 60));
    QCOMPARE(masked(take()), bytes);
    iface(tree())->child(row)->actionInterface()->doAction(action);
    QCOMPARE(masked(take()), bytes);
}

void tst_Accessibility::boxes_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("press");
    QTest::addColumn<QByteArray>("bytes");
    const QString focused = "focusable,focused [Press,SetFocus]";
    const QString focusable = "focusable [Press,SetFocus]";
    QTest::newRow("host message") << "info" << "Saved to your files." << QStringList{"Button \"Ok\" " + focused} << 0
                                  << QByteArray();
    const QString removal = "Delete this download record?\nreport.pdf";
    QTest::newRow("removal, confirmed") << "remove" << removal
                                        << QStringList{"Button \"Delete\" " + focused, "Button \"Cancel\" " + focusable} << 0
                                        << QByteArray(R"(webfile:removeHistory:{"fileKey":"k-done","key":"<key>"})");
    QTest::newRow("removal, cancelled") << "remove" << removal
                                        << QStringList{"Button \"Delete\" " + focused, "Button \"Cancel\" " + focusable} << 1
                                        << QByteArray();
    QTest::newRow("clean all") << "clean" << "Clean all download record?"
                               << QStringList{"Button \"Clean\" " + focused, "Button \"Cancel\" " + focusable} << 0
                               << QByteArray(R"(webfile:removeAllHistory:{"key":"<key>"})");
}

void tst_Accessibility::boxes()
{
    QFETCH(QString, opener);
    QFETCH(QString, message);
    QFETCH(QStringList, buttons);
    QFETCH(int, press);
    QFETCH(QByteArray, bytes);
    openPanelWithHistory();
    QVERIFY(QTest::qWaitForWindowActive(VellChatWebBroswer::instance()));
    take();
    if (opener == "info")
        send("event", "showBoxMessage", message);
    else if (opener == "remove")
        iface(tree())->child(2)->actionInterface()->doAction("removedownloadfile");
    else
        iface(frame()->panel()->findChild<QPushButton *>())->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(box());
    QCOMPARE(describe(iface(box())), "AlertMessage \"" + message + "\" modal []");
    QCOMPARE(children(box(), QAccessible::StaticText), QStringList{"StaticText \"" + message + "\"  []"});
    QCOMPARE(children(box(), QAccessible::Button), buttons);
    QCOMPARE(take(), QByteArray());   // nothing before the choice

    QAccessibleInterface *alert = iface(box());
    QList<QAccessibleInterface *> shown;
    for (int i = 0; i < alert->childCount(); ++i) {
        if (alert->child(i)->role() == QAccessible::Button && !alert->child(i)->state().invisible)
            shown << alert->child(i);
    }
    shown.at(press)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(!box());
    QCOMPARE(masked(take()), bytes);
}

// Where the keyboard is, in words: a button's caption, "page", "history",
// "frame" or "none".
QString tst_Accessibility::focusName()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return QStringLiteral("none");
    if (auto *text = qobject_cast<TextButton *>(focus))
        return text->caption();
    if (auto *push = qobject_cast<QPushButton *>(focus))
        return push->text();
    if (qobject_cast<TreeView *>(focus))
        return QStringLiteral("history");
    if (qobject_cast<VellChatWebBroswer_impl *>(focus))
        return QStringLiteral("frame");
    if (VellChatWebBroswer::instance() && VellChatWebBroswer::instance()->impl()->view()->isAncestorOf(focus))
        return QStringLiteral("page");
    return QString::fromLatin1(focus->metaObject()->className());
}

// Whether the page on screen is url's own document, asked of the document.
bool tst_Accessibility::documentIs(const QUrl &url) const
{
    auto href = std::make_shared<QString>();
    auto answered = std::make_shared<bool>(false);
    frame()->view()->page()->runJavaScript(QStringLiteral("location.href"), [href, answered](const QVariant &v) {
        *href = v.toString();
        *answered = true;
    });
    return QTest::qWaitFor([answered] { return *answered; }, 5000) && QUrl(*href) == url;
}

// Keys pressed where the keyboard is, as the window system hands them on:
// "Tab", "F5", "Ctrl+R", "Alt+Left", "Shift+Tab", ...
void tst_Accessibility::keyTo(const QString &keys)
{
    for (const QString &chord : keys.split(' ', Qt::SkipEmptyParts)) {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : VellChatWebBroswer::instance();
        QTest::keySequence(target, QKeySequence(chord));
    }
}

void tst_Accessibility::tabOrder_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("panel");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("stops");   // where the keyboard is after each press
    QTest::newRow("from the page round the title bar")
        << "csh" << false << "Tab" << QStringList{"Refresh", "Collect", "Share", "Download History", "Channel", "page", "Refresh"};
    QTest::newRow("backwards") << "csh" << false << "Shift+Tab" << QStringList{"Channel", "Download History", "Share"};
    QTest::newRow("hidden buttons are passed")
        << "o" << false << "Tab" << QStringList{"Refresh", "Download History", "Open Outside", "page"};
    QTest::newRow("the panel in the page's place")
        << "" << true << "Tab" << QStringList{"Back", "Refresh", "Collect", "Share", "Download History", "history", "Clean", "Back"};
    QTest::newRow("the panel backwards") << "" << true << "Shift+Tab" << QStringList{"Clean", "history", "Download History"};
}

void tst_Accessibility::tabOrder()
{
    QFETCH(QString, shown);
    QFETCH(bool, panel);
    QFETCH(QString, key);
    QFETCH(QStringList, stops);
    if (panel)
        openPanelWithHistory();
    else
        openWindow({}, shown);
    QVERIFY(QTest::qWaitForWindowActive(VellChatWebBroswer::instance()));
    // the page has the keyboard when the window comes up; opening the panel
    // with the mouse leaves it on the frame
    QTRY_COMPARE(focusName(), QString(panel ? "frame" : "page"));
    for (const QString &stop : stops) {
        keyTo(key);
        QTRY_COMPARE(focusName(), stop);
    }
}

void tst_Accessibility::windowKeys_data()
{
    QTest::addColumn<QString>("page");    // "" about:blank, or a page of the table below
    QTest::addColumn<QString>("where");   // "page", "Refresh", "history", "panel button", "box"
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("after");   // where the keyboard is then
    const QByteArray refresh("feedback:refresh:");
    const QByteArray twice("feedback:refresh:;feedback:refresh:");
    // Every row ends with a key that sends something, so that what must not
    // happen would have happened by the time it arrives.
    QTest::newRow("F5 and Ctrl+R in the page") << "" << "page" << "F5 Ctrl+R" << twice << "page";
    QTest::newRow("F5 on a title button") << "" << "Refresh" << "F5" << refresh << "Refresh";
    QTest::newRow("Ctrl+R in the panel") << "" << "history" << "Ctrl+R" << refresh << "history";
    QTest::newRow("Escape leaves the panel") << "" << "history" << "Escape F5" << refresh << "page";
    QTest::newRow("Alt+Left leaves the panel") << "" << "history" << "Alt+Left F5" << refresh << "page";
    QTest::newRow("Escape on a title button leaves the panel") << "" << "panel button" << "Escape F5" << refresh << "page";
    QTest::newRow("Escape in the page does nothing") << "" << "page" << "Escape F5" << refresh << "page";
    QTest::newRow("Alt+Left goes back a page") << "two pages" << "page" << "Alt+Left F5" << refresh << "page";
    QTest::newRow("Alt+Left with nowhere to go") << "" << "page" << "Alt+Left F5" << refresh << "page";
    QTest::newRow("a box takes every key") << "" << "box" << "F5 Ctrl+R Alt+Left Escape F5" << refresh << "page";
    QTest::newRow("Return in the box confirms") << "" << "box" << "Return F5" << refresh << "page";
    QTest::newRow("a page that takes F5 keeps it") << "game" << "page" << "F5 Ctrl+R" << refresh << "page";
    QTest::newRow("typing in a text field") << "field" << "page" << "R Ctrl+R" << refresh << "page";
}

// Pages that handle keys themselves: a game that takes F5, a text field.
static QString pageFor(const QString &name)
{
    if (name == "game")
        return "data:text/html,<body><script>document.addEventListener('keydown', function (e) {"
               " if (e.key === 'F5') { e.preventDefault(); document.title = 'F5 taken'; } });</script>";
    if (name == "two pages")
        return "data:text/html,<p>two";
    if (name == "field")
        return "data:text/html,<input id=field oninput=\"document.title = 'typed ' + this.value\"><script>field.focus()</script>";
    return "about:blank";
}

void tst_Accessibility::windowKeys()
{
    QFETCH(QString, page);
    QFETCH(QString, where);
    QFETCH(QString, keys);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, after);
    const bool panel = where == "history" || where == "panel button";
    if (panel)
        openPanelWithHistory();
    else
        openWindow({}, "cs");
    VellChatWebBroswer *window = VellChatWebBroswer::instance();
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QStringList pages = page == "two pages" ? QStringList{"data:text/html,<p>one", pageFor(page)}
                                                  : page.isEmpty() ? QStringList() : QStringList{pageFor(page)};
    for (const QString &url : pages) {
        send("event", "showUrl", url);
        // A load that finishes now may still be the blank page's before it.
        QTRY_VERIFY_WITH_TIMEOUT(documentIs(QUrl(url)), 10000);
    }
    if (where == "page")
        frame()->view()->setFocus();
    else if (where == "Refresh")
        titleButton(0)->setFocus(Qt::TabFocusReason);
    else if (where == "history")
        tree()->setFocus(Qt::TabFocusReason);
    else if (where == "panel button")
        titleButton(5)->setFocus(Qt::TabFocusReason);
    else if (where == "box")
        send("event", "showBoxMessage", "Downloading...");
    const QMap<QString, QString> named{{"box", "Ok"}, {"panel button", "Download History"}};
    QTRY_COMPARE(focusName(), named.value(where, where));
    take();

    const QUrl before = frame()->view()->url();
    keyTo(keys);
    // Keys the page leaves alone come back from it a little later.
    QTRY_COMPARE(written.count(';'), bytes.count(';') + 1);
    QCOMPARE(masked(take()), bytes);
    QTRY_COMPARE(focusName(), after);
    if (panel)
        QCOMPARE(frame()->view()->isHidden(), after != "page");
    QCOMPARE(box() != nullptr, after == "Ok");
    if (page == "two pages")
        QTRY_COMPARE(frame()->view()->url(), QUrl("data:text/html,<p>one"));
    else
        QCOMPARE(frame()->view()->url(), before);
    if (page == "game")
        QTRY_COMPARE(frame()->view()->title(), QStringLiteral("F5 taken"));
    if (page == "field")
        QTRY_COMPARE(frame()->view()->title(), QStringLiteral("typed r"));
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
