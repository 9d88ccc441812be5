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

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The download panel through the whole chain: title button, host link over a
// real socket, the host's answers, confirmation boxes clicked like a user.
class tst_DownloadPanel : public QObject
{
    Q_OBJECT
private slots:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
    void initTestCase();
    void cleanupTestCase() { VellChatWebBroswer::destory(); }
    void openingAsksForTheList();
    void listAnswerFillsThePanel();
    void downloadingFilesArePolled();
    void removalNeedsConfirmationThenTheHost();
    void cancelledRemovalSendsNothing();
    void cleanAllEmptiesThePanel();
    void showUrlReturnsToThePage();
private:
    VellChatWebBroswer_impl *frame() const { return VellChatWebBroswer::instance()->impl(); }
    TextButton *titleButton(int index) const
    {
        return frame()->findChildren<TextButton *>(QString(), Qt::FindDirectChildrenOnly).value(index);
    }
    TreeView *tree() const { return frame()->panel()->findChild<TreeView *>(); }
    InformBox *box() const { return frame()->findChild<InformBox *>(); }
    void clickBoxButton(int index);
    FakeHost host;
    QString listKey;
};

static const qint64 kNoon = QDateTime(QDate(2026, 12, 7), QTime(12, 0)).toMSecsSinceEpoch();
static const qint64 kDay = 24 * 3600 * 1000;

static QJsonObject record(const QString &key, const QString &name, qint64 created, int status,
                          qint64 size, qint64 offset, bool exists = true)
{
    return QJsonObject{{"key", key}, {"name", name}, {"createTime", double(created)}, {"updateTime", double(created)},
                       {"fileSize", double(size)}, {"status", status}, {"downloadOffset", double(offset)}, {"fileExists", exists}};
}

void tst_DownloadPanel::clickBoxButton(int index)
{
    QTRY_VERIFY(box());
    QTest::mouseClick(box()->findChildren<TextButton *>().value(index), Qt::LeftButton);
}

void tst_DownloadPanel::initTestCase()
{
    // What the host asks is done to the window, as in the browser.
    static WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);
    VellChatWBConfigure::init();
    QVERIFY(host.isListening());
    transport::shareInstance()->connectToVell(host.serverName());
    QVERIFY(host.waitForClient());
    host.send("config", "webFileRemoveTipsText", "Really forget it?");
    host.send("event", "showUrl", "about:blank");
    QTRY_VERIFY(VellChatWebBroswer::instance());
    VellChatWebBroswer::instance()->show();
}

void tst_DownloadPanel::openingAsksForTheList()
{
    QTest::mouseClick(titleButton(5), Qt::LeftButton);   // Download History
    const HostFrame ask = host.waitFor("webfile", "getFileList");
    listKey = QString::fromUtf8(ask.payload);
    QCOMPARE(listKey.size(), 32);
    QVERIFY(frame()->view()->isHidden());
    QVERIFY(!frame()->panel()->isHidden());
    QVERIFY(!titleButton(6)->isHidden());   // Back
    // opening again at once asks nothing more
    frame()->onWebFile();
    QTest::qWait(100);
    QCOMPARE(host.framesOf("webfile", "getFileList").size(), 1);
}

void tst_DownloadPanel::listAnswerFillsThePanel()
{
    const QJsonArray data{record("k-run", "movie.mp4", kNoon, 1, 1000, 100),
                          record("k-done", "report.pdf", kNoon - 3600000, 2, 2048, 2048),
                          record("k-old", "notes.txt", kNoon - 2 * kDay, 3, 10, 3)};
    // a stale key first: ignored
    host.send("webfile", "getFileListRes", QJsonDocument(QJsonObject{{"data", data}, {"key", "stale"}}).toJson());
    host.send("webfile", "getFileListRes", QJsonDocument(QJsonObject{{"data", data}, {"key", listKey}}).toJson());
    QTRY_COMPARE(tree()->model()->rowCount(), 2);   // two days
    QVERIFY(!tree()->isHidden());
    const QModelIndex today = tree()->model()->index(0, 0);
    QCOMPARE(tree()->model()->rowCount(today), 2);
}

void tst_DownloadPanel::downloadingFilesArePolled()
{
    const HostFrame poll = host.waitFor("webfile", "getDownloadOffset", 3000);
    const QJsonObject ask = QJsonDocument::fromJson(poll.payload).object();
    QCOMPARE(ask.value("fileList").toArray(), QJsonArray{"k-run"});
    const QString key = ask.value("key").toString();
    host.send("webfile", "getDownloadOffsetRes",
              QJsonDocument(QJsonObject{{"data", QJsonArray{QJsonObject{{"key", "k-run"}, {"downloadOffset", 1000}, {"status", 2}}}}, {"key", key}}).toJson());
    // finished: the next tick finds nothing downloading and the polling stops
    QTRY_VERIFY_WITH_TIMEOUT(!frame()->panel()->isPolling(), 3000);
}

void tst_DownloadPanel::removalNeedsConfirmationThenTheHost()
{
    const QModelIndex today = tree()->model()->index(0, 0);
    const QModelIndex pdf = tree()->model()->index(1, 0, today);
    const QRect row = tree()->visualRect(pdf);
    // the delete cross: 12 x 12, its right edge 58 px in from the row's right, 14 px below its top
    const QPoint cross(row.right() - 58 - 6, row.top() + 14 + 6);
    host.clear();
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, cross);
    QTRY_VERIFY(box());
    // the host's question, then the file it is about
    QCOMPARE(box()->findChild<QLabel *>()->text(), QStringLiteral("Really forget it?\nreport.pdf"));
    QCOMPARE(host.framesOf("webfile", "removeHistory").size(), 0);

    clickBoxButton(0);   // Delete
    const HostFrame removal = host.waitFor("webfile", "removeHistory");
    const QJsonObject asked = QJsonDocument::fromJson(removal.payload).object();
    QCOMPARE(asked.value("fileKey").toString(), QStringLiteral("k-done"));
    QTRY_VERIFY(!box());
    // the row stays until the host confirms
    QCOMPARE(tree()->model()->rowCount(today), 2);
    host.send("webfile", "removeHistoryRes", QJsonDocument(QJsonObject{{"fileKey", "k-done"}, {"key", asked.value("key")}}).toJson());
    QTRY_COMPARE(tree()->model()->rowCount(tree()->model()->index(0, 0)), 1);
}

void tst_DownloadPanel::cancelledRemovalSendsNothing()
{
    const QModelIndex today = tree()->model()->index(0, 0);
    const QRect row = tree()->visualRect(tree()->model()->index(0, 0, today));
    host.clear();
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(row.right() - 64, row.top() + 20));
    clickBoxButton(1);   // Cancel
    QTRY_VERIFY(!box());
    QTest::qWait(200);
    QCOMPARE(host.framesOf("webfile", "removeHistory").size(), 0);
}

void tst_DownloadPanel::cleanAllEmptiesThePanel()
{
    host.clear();
    QTest::mouseClick(frame()->panel()->findChild<QPushButton *>(), Qt::LeftButton);
    clickBoxButton(0);   // Clean
    const HostFrame clean = host.waitFor("webfile", "removeAllHistory");
    const QString key = QJsonDocument::fromJson(clean.payload).object().value("key").toString();
    QCOMPARE(key.size(), 32);
    host.send("webfile", "removeAllHistoryRes", QJsonDocument(QJsonObject{{"key", key}}).toJson());
    QTRY_COMPARE(tree()->model()->rowCount(), 0);
    QTRY_VERIFY(tree()->isHidden());
}

void tst_DownloadPanel::showUrlReturnsToThePage()
{
    host.send("event", "showUrl", "about:blank#again");
    QTRY_VERIFY(!frame()->view()->isHidden());
    QVERIFY(frame()->panel()->isHidden());
    QVERIFY(titleButton(6)->isHidden());
}

QTEST_MAIN(tst_DownloadPanel)
#include "tst_downloadpanel.moc"
