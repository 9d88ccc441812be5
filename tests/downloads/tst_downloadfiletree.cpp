// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfiletree.h"
#include "downloads/modelitemdate.h"
#include "downloads/modelitemfile.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>
#include <QtTest>
#include <ctime>

namespace {

// Three downloads over two days (times in the test zone, eight hours east of UTC):
// "a" 2018-05-20 17:40 downloading, "b" 2018-05-20 17:38 finished, "c" 2018-05-19 downloading.
const QByteArray recordA = R"({"key":"a","name":"a.zip","createTime":1526809226485,"fileSize":1000,"status":1,"downloadOffset":100,"fileExists":true,"updateTime":1})";
const QByteArray recordB = R"({"key":"b","name":"b.pdf","createTime":1526809126485,"fileSize":1000,"status":2,"downloadOffset":1000,"fileExists":true,"updateTime":1})";
const QByteArray recordC = R"({"key":"c","name":"c.mp4","createTime":1526722826485,"fileSize":1000,"status":1,"downloadOffset":0,"fileExists":true,"updateTime":1})";

// "d", a day before "c".
const QByteArray recordD = R"({"key":"d","name":"d.txt","createTime":1526636426485,"fileSize":10,"status":2})";

QByteArray answer(const QString &key, const QList<QByteArray> &records)
{
    QByteArray json = "{\"key\":\"" + key.toUtf8() + "\",\"data\":[";
    for (int i = 0; i < records.size(); ++i)
        json += (i ? "," : "") + records.at(i);
    return json + "]}";
}

bool isRequestKey(const QString &key)
{
    return QRegularExpression("^[0-9a-f]{32}$").match(key).hasMatch();
}

} // namespace

class tst_DownloadFileTree : public QObject
{
    Q_OBJECT
public:
    static void initMain()
    {
        qputenv("TZ", "CST-8");
        tzset();
    }
private slots:
    void init();
    void cleanup() { tree.reset(); }
    void requestKeys_data();
    void requestKeys();
    void listAnswer_data();
    void listAnswer();
    void newerListRequestReplacesKey();
    void secondAnswerIgnored();
    void knownRecordsUpdateInPlace();
    void recordWithoutKey();
    void progressAnswer_data();
    void progressAnswer();
    void pollSkipsWithSilentHost();
    void pollWithPromptHost();
    void pollingStopsAndRestarts();
    void laterListAnswerRestartsPolling();
    void realTimerPolls();
    void restartAnswer_data();
    void restartAnswer();
    void removeOne_data();
    void removeOne();
    void removeLastFileEmptiesPanel();
    void removeAll_data();
    void removeAll();
    void viewSignalsPassOn();
    void footerCleansAll();
    void panelStates_data();
    void panelStates();
    void stateTextsFollowTheConfiguration();
    void largeAnswerKeepsDaysOpen();
    void releasesWhatItMade();
private:
    QString listed(const QList<QByteArray> &records);
    QString layout() const;
    ModelItemFile *file(const QString &key) const;
    QTreeView *view() const { return tree->findChild<QTreeView *>(); }
    QLabel *emptyText() const;
    QScopedPointer<DownloadFileTree> tree;
};

void tst_DownloadFileTree::init()
{
    VellChatWBConfigure::init();
    tree.reset(new DownloadFileTree(nullptr));
}

// Asks for the list and answers it; returns the key the panel used.
QString tst_DownloadFileTree::listed(const QList<QByteArray> &records)
{
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileList);
    tree->toRequestFileList();
    const QString key = asked.value(0).value(0).toString();
    tree->onRequestFileList(answer(key, records));
    return key;
}

// "05-20[a,b] 05-19[c]"
QString tst_DownloadFileTree::layout() const
{
    QAbstractItemModel *model = view()->model();
    QStringList days;
    for (int d = 0; d < model->rowCount(); ++d) {
        const QModelIndex day = model->index(d, 0);
        QStringList files;
        for (int f = 0; f < model->rowCount(day); ++f)
            files << static_cast<ModelItemFile *>(model->index(f, 0, day).internalPointer())->key();
        const quint64 time = static_cast<ModelItemDate *>(day.internalPointer())->time();
        days << QDateTime::fromMSecsSinceEpoch(qint64(time)).toString("MM-dd") + "[" + files.join(',') + "]";
    }
    return days.join(' ');
}

ModelItemFile *tst_DownloadFileTree::file(const QString &key) const
{
    QAbstractItemModel *model = view()->model();
    for (int d = 0; d < model->rowCount(); ++d) {
        const QModelIndex day = model->index(d, 0);
        for (int f = 0; f < model->rowCount(day); ++f) {
            auto *node = static_cast<ModelItemFile *>(model->index(f, 0, day).internalPointer());
            if (node->key() == key)
                return node;
        }
    }
    return nullptr;
}

// The label under the picture: the loading text, later the empty text.
QLabel *tst_DownloadFileTree::emptyText() const
{
    for (QLabel *label : tree->findChildren<QLabel *>()) {
        if (label->pixmap(Qt::ReturnByValue).isNull())
            return label;
    }
    return nullptr;
}

void tst_DownloadFileTree::requestKeys_data()
{
    QTest::addColumn<QString>("request");
    QTest::newRow("list") << "list";
    QTest::newRow("redownload") << "redownload";
    QTest::newRow("remove") << "remove";
    QTest::newRow("clean all") << "clean";
    QTest::newRow("progress") << "progress";
}

void tst_DownloadFileTree::requestKeys()
{
    QFETCH(QString, request);
    QSignalSpy list(tree.data(), &DownloadFileTree::requestFileList);
    QSignalSpy redownload(tree.data(), &DownloadFileTree::redownloadFile);
    QSignalSpy remove(tree.data(), &DownloadFileTree::removeDownloadFile);
    QSignalSpy clean(tree.data(), &DownloadFileTree::removeAllDownloadFile);
    QSignalSpy progress(tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
    if (request == "progress")
        listed({recordA});
    for (int i = 0; i < 2; ++i) {
        if (request == "list")
            tree->toRequestFileList();
        else if (request == "redownload")
            tree->onRedownloadFile("a");
        else if (request == "remove")
            tree->onRemoveDownloadFile("a");
        else if (request == "clean")
            tree->onClearAll();
        else
            tree->requestDownloadOffset();
    }
    QSignalSpy *spy = request == "list" ? &list : request == "redownload" ? &redownload : request == "remove" ? &remove
                    : request == "clean" ? &clean : &progress;
    QCOMPARE(spy->count(), 2);
    const QString first = spy->at(0).at(0).toString();
    const QString second = spy->at(1).at(0).toString();
    QVERIFY2(isRequestKey(first), qPrintable(first));
    QVERIFY2(isRequestKey(second), qPrintable(second));
    QVERIFY(first != second);
    if (request == "redownload" || request == "remove")
        QCOMPARE(spy->at(0).at(1).toString(), QString("a"));
    if (request == "progress")
        QCOMPARE(spy->at(0).at(1).toStringList(), QStringList{"a"});
}

void tst_DownloadFileTree::listAnswer_data()
{
    QTest::addColumn<QByteArray>("payload");   // "%KEY%" stands for the key the panel asked with
    QTest::addColumn<QString>("tree");
    QTest::addColumn<bool>("accepted");        // the answer settles the request
    QTest::newRow("matching key") << answer("%KEY%", {recordA, recordB, recordC}) << "05-20[a,b] 05-19[c]" << true;
    QTest::newRow("matching key, data not an array") << QByteArray(R"({"key":"%KEY%","data":{"key":"a"}})") << ""
                                                     << true;
    QTest::newRow("stale key") << answer("0123456789abcdef0123456789abcdef", {recordA}) << "" << false;
    QTest::newRow("key in upper case") << QByteArray("%UPPER%") << "" << false;
    QTest::newRow("no key") << QByteArray(R"({"data":[)" + recordA + "]}") << "" << false;
    QTest::newRow("empty payload") << QByteArray() << "" << false;
    QTest::newRow("not JSON") << QByteArray("key:%KEY%") << "" << false;
    QTest::newRow("a JSON array") << QByteArray(R"([{"key":"%KEY%"}])") << "" << false;
    // Records are read one at a time, yet the answer still counts only as a whole.
    QTest::newRow("a broken record after good ones")
        << QByteArray(R"({"key":"%KEY%","data":[)" + recordA + "," + recordB + R"(,{"key":"c",}]})") << "" << false;
    QTest::newRow("a record cut short") << answer("%KEY%", {recordA, recordB}).left(60) << "" << false;
    QTest::newRow("text after the answer") << answer("%KEY%", {recordA}) + "]" << "" << false;
    QTest::newRow("data repeated: the last counts")
        << QByteArray(R"({"data":[)" + recordA + R"(],"key":"%KEY%","data":[)" + recordC + "]}") << "05-19[c]" << true;
}

void tst_DownloadFileTree::listAnswer()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, tree);
    QFETCH(bool, accepted);
    QSignalSpy asked(this->tree.data(), &DownloadFileTree::requestFileList);
    this->tree->toRequestFileList();
    const QString key = asked.at(0).at(0).toString();
    if (payload == "%UPPER%")
        payload = answer(key.toUpper(), {recordA});
    payload.replace("%KEY%", key.toUtf8());
    this->tree->onRequestFileList(payload);
    QCOMPARE(layout(), tree);
    // An ignored answer leaves the request outstanding and nothing behind:
    // the right one still counts, files it named included.
    this->tree->onRequestFileList(answer(key, {recordA, recordD}));
    if (accepted)
        QVERIFY(!layout().contains("05-18[d]"));
    else
        QCOMPARE(layout(), QString("05-20[a] 05-18[d]"));
}

void tst_DownloadFileTree::newerListRequestReplacesKey()
{
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileList);
    tree->toRequestFileList();
    tree->toRequestFileList();
    tree->onRequestFileList(answer(asked.at(0).at(0).toString(), {recordA}));
    QCOMPARE(layout(), QString());
    tree->onRequestFileList(answer(asked.at(1).at(0).toString(), {recordA}));
    QCOMPARE(layout(), QString("05-20[a]"));
    // Without a request outstanding nothing is taken, not even an answer with the old key.
    tree->onRequestFileList(answer(asked.at(1).at(0).toString(), {recordC}));
    QCOMPARE(layout(), QString("05-20[a]"));
}

void tst_DownloadFileTree::secondAnswerIgnored()
{
    const QString key = listed({recordA});
    tree->onRequestFileList(answer(key, {recordB, recordC}));
    QCOMPARE(layout(), QString("05-20[a]"));
}

void tst_DownloadFileTree::knownRecordsUpdateInPlace()
{
    listed({recordA, recordB, recordC});
    QAbstractItemModelTester tester(view()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(view()->model(), &QAbstractItemModel::rowsInserted);
    ModelItemFile *a = file("a");
    listed({R"({"key":"a","name":"renamed.zip","status":3})", recordC});
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(layout(), QString("05-20[a,b] 05-19[c]"));
    QCOMPARE(file("a"), a);
    QCOMPARE(a->name(), QString("renamed.zip"));
    QCOMPARE(a->status(), ModelItemFile::StatusFailed);
    QCOMPARE(a->fileSize(), quint64(1000));

    // An answer with a broken record changes no file it names, and adds none.
    listed({R"({"key":"a","name":"broken.zip"})", recordD, R"({"key":"b","status":})"});
    QCOMPARE(a->name(), QString("renamed.zip"));
    QCOMPARE(layout(), QString("05-20[a,b] 05-19[c]"));

    // Updates apply in the order of the answer, each over the one before.
    listed({R"({"key":"a","fileSize":4000,"downloadOffset":1000})", R"({"key":"a","fileSize":8000})"});
    QCOMPARE(a->fileSize(), quint64(8000));
    QCOMPARE(a->downloadPercent(), 25.0f);
}

void tst_DownloadFileTree::recordWithoutKey()
{
    // Neither element has a key: both are the file with the empty key, created
    // at time 0 and filed under the first local day of 1970.
    listed({"5", R"({"name":"nameless.txt"})"});
    QCOMPARE(layout(), QString("01-01[]"));
    QCOMPARE(file("")->name(), QString("nameless.txt"));
    QCOMPARE(file("")->createTime(), quint64(0));
}

void tst_DownloadFileTree::progressAnswer_data()
{
    QTest::addColumn<QByteArray>("payload");   // "%KEY%": the progress request's key
    QTest::addColumn<QString>("percentA");
    QTest::addColumn<QString>("percentC");
    QTest::addColumn<bool>("unknownCreated");
    QTest::newRow("both files") << answer("%KEY%", {R"({"key":"a","downloadOffset":453})", R"({"key":"c","downloadOffset":1000,"status":2})"})
                                << "45.3 %" << "100 %" << false;
    QTest::newRow("a key listed twice: the last record wins")
        << answer("%KEY%", {R"({"key":"a","downloadOffset":300})", R"({"key":"a","downloadOffset":700})"})
        << "70 %" << "" << false;
    QTest::newRow("an unknown key creates nothing")
        << answer("%KEY%", {R"({"key":"zz","downloadOffset":300,"name":"x.zip","createTime":5})"}) << "10 %" << ""
        << false;
    QTest::newRow("stale key") << answer("0123456789abcdef0123456789abcdef", {R"({"key":"a","downloadOffset":453})"})
                               << "10 %" << "" << false;
    QTest::newRow("no key") << QByteArray(R"({"data":[{"key":"a","downloadOffset":453}]})") << "10 %" << "" << false;
    QTest::newRow("empty payload") << QByteArray() << "10 %" << "" << false;
}

void tst_DownloadFileTree::progressAnswer()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, percentA);
    QFETCH(QString, percentC);
    listed({recordA, recordB, recordC});
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
    tree->pollTick();
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.at(0).at(1).toStringList(), (QStringList{"a", "c"}));
    payload.replace("%KEY%", asked.at(0).at(0).toByteArray());
    tree->onRequestFileDownloadOffset(payload);
    QCOMPARE(file("a")->downloadOffsetText(), percentA);
    QCOMPARE(file("c")->downloadOffsetText(), percentC);
    QCOMPARE(file("zz"), nullptr);
    QCOMPARE(layout(), QString("05-20[a,b] 05-19[c]"));
}

void tst_DownloadFileTree::pollSkipsWithSilentHost()
{
    listed({recordA, recordB, recordC});
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
    QList<int> ticksWithRequest;
    for (int tick = 1; tick <= 10; ++tick) {
        const int before = asked.count();
        tree->pollTick();
        if (asked.count() > before)
            ticksWithRequest << tick;
    }
    QCOMPARE(ticksWithRequest, (QList<int>{1, 5, 9}));
    const QString first = asked.at(0).at(0).toString();
    const QString third = asked.at(2).at(0).toString();
    QVERIFY(first != asked.at(1).at(0).toString());
    // The late answer to an abandoned request counts for nothing.
    tree->onRequestFileDownloadOffset(answer(first, {R"({"key":"a","downloadOffset":900})"}));
    QCOMPARE(file("a")->downloadOffsetText(), QString("10 %"));
    tree->onRequestFileDownloadOffset(answer(third, {R"({"key":"a","downloadOffset":900})"}));
    QCOMPARE(file("a")->downloadOffsetText(), QString("90 %"));
    // Answered: the next tick asks again at once.
    tree->pollTick();
    QCOMPARE(asked.count(), 4);
}

void tst_DownloadFileTree::pollWithPromptHost()
{
    listed({recordA});
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
    for (int tick = 1; tick <= 4; ++tick) {
        tree->pollTick();
        QCOMPARE(asked.count(), tick);
        tree->onRequestFileDownloadOffset(answer(asked.last().at(0).toString(), {}));
    }
}

void tst_DownloadFileTree::pollingStopsAndRestarts()
{
    QVERIFY(!tree->isPolling());
    listed({recordB});
    QVERIFY(tree->isPolling());   // a list answer always starts the poll
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
    tree->pollTick();
    QCOMPARE(asked.count(), 0);
    QVERIFY(!tree->isPolling());

    QSignalSpy restart(tree.data(), &DownloadFileTree::redownloadFile);
    tree->onRedownloadFile("b");
    tree->onRestartDownloadResponse(QString(R"({"key":"%1","fileKey":"b"})").arg(restart.at(0).at(0).toString()).toUtf8());
    QCOMPARE(file("b")->status(), ModelItemFile::StatusDownloading);
    QVERIFY(tree->isPolling());
    tree->pollTick();
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.at(0).at(1).toStringList(), QStringList{"b"});

    // The download ends: the next tick finds nothing to ask about and stops.
    tree->onRequestFileDownloadOffset(answer(asked.at(0).at(0).toString(), {R"({"key":"b","status":2})"}));
    tree->pollTick();
    QCOMPARE(asked.count(), 1);
    QVERIFY(!tree->isPolling());
}

void tst_DownloadFileTree::laterListAnswerRestartsPolling()
{
    listed({recordB});
    tree->pollTick();
    QVERIFY(!tree->isPolling());
    listed({R"({"key":"b","status":1,"downloadOffset":10})"});
    QVERIFY(tree->isPolling());
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
    tree->pollTick();
    QCOMPARE(asked.count(), 1);
}

void tst_DownloadFileTree::realTimerPolls()
{
    listed({recordA});
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
    QVERIFY(asked.wait(30000));
    QCOMPARE(asked.at(0).at(1).toStringList(), QStringList{"a"});
}

void tst_DownloadFileTree::restartAnswer_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("restarted");
    // The request key is not compared, only required.
    QTest::newRow("any key") << QByteArray(R"({"key":"whatever","fileKey":"b"})") << true;
    QTest::newRow("no key") << QByteArray(R"({"fileKey":"b"})") << false;
    QTest::newRow("no file key") << QByteArray(R"({"key":"k"})") << false;
    QTest::newRow("unknown file") << QByteArray(R"({"key":"k","fileKey":"zz"})") << false;
    QTest::newRow("empty file key") << QByteArray(R"({"key":"k","fileKey":""})") << false;
    QTest::newRow("empty payload") << QByteArray() << false;
}

void tst_DownloadFileTree::restartAnswer()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, restarted);
    listed({recordB});
    tree->pollTick();
    tree->onRestartDownloadResponse(payload);
    QCOMPARE(file("b")->status() == ModelItemFile::StatusDownloading, restarted);
    QCOMPARE(tree->isPolling(), restarted);
}

void tst_DownloadFileTree::removeOne_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("tree");
    QTest::newRow("a file of a day with two") << QByteArray(R"({"key":"k","fileKey":"a"})") << "05-20[b] 05-19[c]";
    QTest::newRow("the only file of a day takes the day") << QByteArray(R"({"key":"k","fileKey":"c"})") << "05-20[a,b]";
    QTest::newRow("unknown file") << QByteArray(R"({"key":"k","fileKey":"zz"})") << "05-20[a,b] 05-19[c]";
    QTest::newRow("no request key") << QByteArray(R"({"fileKey":"a"})") << "05-20[a,b] 05-19[c]";
    QTest::newRow("no file key") << QByteArray(R"({"key":"k"})") << "05-20[a,b] 05-19[c]";
    QTest::newRow("empty payload") << QByteArray() << "05-20[a,b] 05-19[c]";
}

void tst_DownloadFileTree::removeOne()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, tree);
    listed({recordA, recordB, recordC});
    QAbstractItemModelTester tester(view()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QPointer<ModelItemFile> removed = file(QJsonDocument::fromJson(payload).object().value("fileKey").toString());
    this->tree->onRemoveHistoryResponse(payload);
    QCOMPARE(layout(), tree);
    QVERIFY(!this->tree->findChild<QTreeView *>()->isHidden());
    // Asked again, the same answer finds nothing left to remove.
    this->tree->onRemoveHistoryResponse(payload);
    QCOMPARE(layout(), tree);
    if (removed && !layout().contains(removed->key()))
        QTRY_VERIFY(removed.isNull());
    // A progress record for a removed file finds nothing to update.
    QSignalSpy asked(this->tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
    this->tree->pollTick();
    this->tree->onRequestFileDownloadOffset(answer(asked.value(0).value(0).toString(),
                                                   {R"({"key":"a","downloadOffset":999})"}));
    QCOMPARE(layout(), tree);
}

void tst_DownloadFileTree::removeLastFileEmptiesPanel()
{
    listed({recordA, recordC});
    tree->onRemoveHistoryResponse(R"({"key":"k","fileKey":"a"})");
    QVERIFY(emptyText()->isHidden());
    tree->onRemoveHistoryResponse(R"({"key":"k","fileKey":"c"})");
    QCOMPARE(layout(), QString());
    QVERIFY(!emptyText()->isHidden());
    QVERIFY(view()->isHidden());
    // The forgotten keys come back as new rows with the next list.
    listed({recordC});
    QCOMPARE(layout(), QString("05-19[c]"));
    QVERIFY(!view()->isHidden());
}

void tst_DownloadFileTree::removeAll_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("any key value") << QByteArray(R"({"key":"not-what-was-sent"})") << true;
    QTest::newRow("key of another type") << QByteArray(R"({"key":7})") << true;
    QTest::newRow("no key") << QByteArray(R"({"fileKey":"a"})") << false;
    QTest::newRow("empty payload") << QByteArray() << false;
    QTest::newRow("not JSON") << QByteArray("key") << false;
}

void tst_DownloadFileTree::removeAll()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, emptied);
    listed({recordA, recordB, recordC});
    QAbstractItemModelTester tester(view()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    tree->onRemoveAllHistoryResponse(payload);
    QCOMPARE(layout().isEmpty(), emptied);
    QCOMPARE(emptyText()->isHidden(), !emptied);
    QCOMPARE(view()->isHidden(), emptied);
    if (emptied) {
        // Nothing is left to poll; the timer goes at its next tick.
        QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileDownloadOffsetList);
        tree->pollTick();
        QCOMPARE(asked.count(), 0);
        QVERIFY(!tree->isPolling());
    }
}

void tst_DownloadFileTree::viewSignalsPassOn()
{
    auto *treeView = tree->findChild<TreeView *>();
    QSignalSpy open(tree.data(), &DownloadFileTree::openFileFoler);
    QSignalSpy again(tree.data(), &DownloadFileTree::redownloadFile);
    QSignalSpy remove(tree.data(), &DownloadFileTree::removeDownloadFile);
    emit treeView->openFileFoler("f1");
    emit treeView->redownloadFile("f2");
    emit treeView->removeDownloadFile("f3");
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0).at(0).toString(), QString("f1"));
    QCOMPARE(again.count(), 1);
    QVERIFY(isRequestKey(again.at(0).at(0).toString()));
    QCOMPARE(again.at(0).at(1).toString(), QString("f2"));
    QCOMPARE(remove.count(), 1);
    QVERIFY(isRequestKey(remove.at(0).at(0).toString()));
    QCOMPARE(remove.at(0).at(1).toString(), QString("f3"));
    // Asking changes nothing before the host answers.
    QCOMPARE(layout(), QString());
}

void tst_DownloadFileTree::footerCleansAll()
{
    listed({recordA});
    auto *button = tree->findChild<QPushButton *>();
    QVERIFY(button);
    QCOMPARE(button->text(), QString("Clean"));
    QCOMPARE(button->size(), QSize(100, 44));
    QSignalSpy clean(tree.data(), &DownloadFileTree::removeAllDownloadFile);
    button->click();
    QCOMPARE(clean.count(), 1);
    QVERIFY(isRequestKey(clean.at(0).at(0).toString()));
    QCOMPARE(layout(), QString("05-20[a]"));

    // A soft shadow from light grey at the top to white five pixels down.
    const QImage footer = button->parentWidget()->grab().toImage();
    const int top = qRed(footer.pixel(10, 0));
    const int middle = qRed(footer.pixel(10, 2));
    const int bottom = qRed(footer.pixel(10, 4));
    QVERIFY2(top >= 192 && top < 205, qPrintable(QString::number(top)));
    QVERIFY(top < middle && middle < bottom);
    QVERIFY(bottom > 240);
}

void tst_DownloadFileTree::panelStates_data()
{
    // Steps: "ask" a list request, "answer:a,c" an answer to it with those records
    // ("answer:" none), "stale" an answer with another key, "junk" one that is not
    // JSON, "remove:a" the host's removal answer, "clean" its clean-all answer.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("text");      // the label's text; empty: the label is hidden
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("list");         // tree view and footer
    QTest::newRow("new panel") << QStringList() << "Loading..." << false << false;
    QTest::newRow("asked, no answer yet") << QStringList{"ask"} << "Loading..." << false << false;
    QTest::newRow("answer with another key") << QStringList{"ask", "stale"} << "Loading..." << false << false;
    QTest::newRow("answer that is not JSON") << QStringList{"ask", "junk"} << "Loading..." << false << false;
    QTest::newRow("answer without records") << QStringList{"ask", "answer:"} << "Download Empty" << true << false;
    QTest::newRow("answer with records") << QStringList{"ask", "answer:a,c"} << "" << false << true;
    // a download may have come since: not "empty" until the answer says so
    QTest::newRow("asked again after an empty answer") << QStringList{"ask", "answer:", "ask"} << "Loading..." << false << false;
    QTest::newRow("asked again, empty again") << QStringList{"ask", "answer:", "ask", "answer:"} << "Download Empty" << true << false;
    QTest::newRow("asked again after records") << QStringList{"ask", "answer:a", "ask"} << "" << false << true;
    QTest::newRow("last record removed") << QStringList{"ask", "answer:a", "remove:a"} << "Download Empty" << true << false;
    QTest::newRow("cleaned before any answer") << QStringList{"clean"} << "Download Empty" << true << false;
    QTest::newRow("records after an empty answer") << QStringList{"ask", "answer:", "ask", "answer:c"} << "" << false << true;
}

void tst_DownloadFileTree::panelStates()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, text);
    QFETCH(bool, picture);
    QFETCH(bool, list);
    const QMap<QString, QByteArray> records{{"a", recordA}, {"c", recordC}};
    QSignalSpy asked(tree.data(), &DownloadFileTree::requestFileList);
    for (const QString &step : steps) {
        const QString key = asked.isEmpty() ? QString() : asked.last().at(0).toString();
        if (step == "ask") {
            tree->toRequestFileList();
        } else if (step.startsWith("answer:")) {
            QList<QByteArray> named;
            for (const QString &name : step.mid(7).split(',', Qt::SkipEmptyParts))
                named << records.value(name);
            tree->onRequestFileList(answer(key, named));
        } else if (step == "stale") {
            tree->onRequestFileList(answer("0123456789abcdef0123456789abcdef", {}));
        } else if (step == "junk") {
            tree->onRequestFileList("key:" + key.toUtf8());
        } else if (step.startsWith("remove:")) {
            tree->onRemoveHistoryResponse(R"({"key":"k","fileKey":")" + step.mid(7).toUtf8() + R"("})");
        } else if (step == "clean") {
            tree->onRemoveAllHistoryResponse(R"({"key":"k"})");
        }
    }
    QLabel *pictureLabel = nullptr;
    for (QLabel *label : tree->findChildren<QLabel *>()) {
        if (!label->pixmap(Qt::ReturnByValue).isNull())
            pictureLabel = label;
    }
    QVERIFY(pictureLabel);
    QCOMPARE(emptyText()->isHidden(), text.isEmpty());
    if (!text.isEmpty())
        QCOMPARE(emptyText()->text(), text);
    QCOMPARE(emptyText()->palette().color(QPalette::WindowText), QColor(99, 99, 99));
    QCOMPARE(pictureLabel->isHidden(), !picture);
    QCOMPARE(view()->isHidden(), !list);
    QCOMPARE(tree->findChild<QPushButton *>()->parentWidget()->isHidden(), !list);
    if (list) {
        for (int day = 0; day < view()->model()->rowCount(); ++day)
            QVERIFY(view()->isExpanded(view()->model()->index(day, 0)));
    }
}

void tst_DownloadFileTree::stateTextsFollowTheConfiguration()
{
    // Neither text jumps while the picture comes and goes: the loading text
    // stands where the empty text will.
    tree->resize(400, 600);
    tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(tree.data()));
    // picture and text share the 600 px half and half: the text tops the lower half
    const QPoint loadingAt = emptyText()->pos();
    QCOMPARE(loadingAt.y(), 300);
    VellChatWBConfigure::SetWebFileLoadingText("Fetching the history");
    tree->applyConfig();
    QCOMPARE(emptyText()->text(), QString("Fetching the history"));
    listed({});
    QCOMPARE(emptyText()->text(), QString("Download Empty"));
    QTRY_COMPARE(emptyText()->y(), loadingAt.y());
    VellChatWBConfigure::SetWebFileEmptyText("Nothing yet");
    VellChatWBConfigure::SetWebFileRemoveAllText("Forget all");
    tree->applyConfig();
    QCOMPARE(emptyText()->text(), QString("Nothing yet"));
    QCOMPARE(tree->findChild<QPushButton *>()->text(), QString("Forget all"));
}

void tst_DownloadFileTree::largeAnswerKeepsDaysOpen()
{
    listed({recordA, recordC});
    // 400 new files over 40 days, and a key repeated within the answer.
    QJsonArray records;
    for (int i = 0; i < 400; ++i) {
        records.append(QJsonObject{{"key", QString("n%1").arg(i)},
                                   {"name", "n.zip"},
                                   {"createTime", double(1526809226485LL - (i % 40 + 2) * 86400000LL)},
                                   {"status", 2}});
    }
    records.append(QJsonObject{{"key", "n7"}, {"name", "renamed.zip"}});
    tree->populateJsonArray(records);
    QAbstractItemModel *model = view()->model();
    QCOMPARE(model->rowCount(), 42);
    int files = 0;
    for (int d = 0; d < model->rowCount(); ++d) {
        QVERIFY(view()->isExpanded(model->index(d, 0)));
        files += model->rowCount(model->index(d, 0));
    }
    QCOMPARE(files, 402);
    QCOMPARE(file("n7")->name(), QString("renamed.zip"));
    QCOMPARE(layout().left(20), QString("05-20[a] 05-19[c] 05"));
}

void tst_DownloadFileTree::releasesWhatItMade()
{
    listed({recordA});
    QPointer<QAbstractItemModel> model = view()->model();
    QPointer<QAbstractItemDelegate> delegate = view()->itemDelegate();
    QPointer<QObject> day = static_cast<QObject *>(model->index(0, 0).internalPointer());
    QPointer<QObject> fileNode = file("a");
    QVERIFY(model && delegate && day && fileNode);
    tree.reset();
    QVERIFY(model.isNull());
    QVERIFY(delegate.isNull());
    QVERIFY(day.isNull());
    QVERIFY(fileNode.isNull());
}

QTEST_MAIN(tst_DownloadFileTree)
#include "tst_downloadfiletree.moc"
