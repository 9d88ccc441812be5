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

#include <QAccessible>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <QtTest/qtestaccessible.h>

using Config = VellChatWBConfigure;

// The window as assistive technology sees it, in this process: host messages
// go in through the dispatcher and what the browser writes for the host is
// caught byte for byte, so a press through the accessibility interface can be
// held against a click with the mouse.
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
private:
    void send(const QString &category, const QString &subcommand, const QString &payload);
    void openWindow(const QStringList &captions = QStringList(), const QString &shown = "cs");
    void openPanelWithHistory();
    QByteArray take();
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
                                    << QStringList{"Button \"News\" disabled [Press]",
                                                   "Button \"Refresh\" focusable [Press,SetFocus]",
                                                   "Button \"Collect\" focusable [Press,SetFocus]",
                                                   "Button \"Share\" focusable [Press,SetFocus]",
                                                   "Button \"Channel\" focusable [Press,SetFocus]",
                                                   "Button \"Download History\" focusable [Press,SetFocus]"};
    QTest::newRow("host captions, other buttons") << QStringList{"Nachrichten", "Neu laden", "Merken", "Teilen", "Kanal", "Extern öffnen", "Verlauf"}
                                                  << "o"
                                                  << QStringList{"Button \"Nachrichten\" disabled [Press]",
                                                                 "Button \"Neu laden\" focusable [Press,SetFocus]",
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
}

void tst_Accessibility::newCaptionRenames()
{
    openWindow();
    TextButton *refresh = titleButton(0);
    QTestAccessibility::clearEvents();
    refresh->setText("Reload page");
    QCOMPARE(iface(refresh)->text(QAccessible::Name), QStringLiteral("Reload page"));
    QAccessibleEvent renamed(refresh, QAccessible::NameChanged);
    QVERIFY(QTestAccessibility::containsEvent(&renamed));
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
    QCOMPARE(children(tree(), QAccessible::TreeItem),
             QStringList({"TreeItem \"12-07\" focusable,expanded []",
                          "TreeItem \"movie.mp4, 1000.0 B, 45 %\" focusable [removedownloadfile]",
                          "TreeItem \"report.pdf, 2.0 KB, Download succeed\" focusable [openfilefolder,removedownloadfile]",
                          "TreeItem \"old.zip, 10.0 B, File has been moved or deleted\" focusable [removedownloadfile]",
                          "TreeItem \"notes.txt, 10.0 B, Dwonload failed\" focusable [redownloadfile,removedownloadfile]"}));
    QAccessibleInterface *running = iface(tree())->child(1);
    QCOMPARE(running->actionInterface()->localizedActionName("removedownloadfile"), QStringLiteral("Delete"));
    QCOMPARE(iface(tree())->indexOfChild(running), 1);
    QCOMPARE(iface(tree())->childAt(running->rect().center().x(), running->rect().center().y()), running);

    // progress that arrives renames the row and says so
    QTestAccessibility::clearEvents();
    QTRY_VERIFY_WITH_TIMEOUT(written.contains("webfile:getDownloadOffset:"), 3000);
    const QByteArray poll = take();
    const QByteArray pollJson = QByteArray::fromBase64(poll.mid(26, poll.indexOf(';') - 26));
    const QString pollKey = QJsonDocument::fromJson(pollJson).object().value("key").toString();
    const QJsonArray progress{QJsonObject{{"key", "k-run"}, {"downloadOffset", 900}}};
    send("webfile", "getDownloadOffsetRes", QJsonDocument(QJsonObject{{"data", progress}, {"key", pollKey}}).toJson());
    QTRY_COMPARE(running->text(QAccessible::Name), QStringLiteral("movie.mp4, 1000.0 B, 90 %"));
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
    QTest::newRow("open folder") << 2 << "openfilefolder" << QByteArray("webfile:openFileFolder:k-done");
    QTest::newRow("download again") << 4 << "redownloadfile"
                                    << QByteArray(R"(webfile:restartDownload:{"fileKey":"k-fail","key":"<key>"})");
}

void tst_Accessibility::rowActionsAreLinkClicks()
{
    QFETCH(int, row);
    QFETCH(QString, action);
    QFETCH(QByteArray, bytes);
    openPanelWithHistory();
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
    QTest::newRow("removal, confirmed") << "remove" << "Delete this download record?"
                                        << QStringList{"Button \"Delete\" " + focused, "Button \"Cancel\" " + focusable} << 0
                                        << QByteArray(R"(webfile:removeHistory:{"fileKey":"k-done","key":"<key>"})");
    QTest::newRow("removal, cancelled") << "remove" << "Delete this download record?"
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

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
