// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfilemodel.h"
#include "downloads/modelitemdate.h"
#include "downloads/modelitemfile.h"
#include "downloads/modelitemroot.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QPointer>
#include <QRandomGenerator>
#include <QtTest>
#include <ctime>

namespace {

// "yyyy-MM-dd hh:mm:ss.zzz" in local time (the test runs eight hours east of UTC).
quint64 localTime(const QString &text)
{
    return quint64(QDateTime::fromString(text, "yyyy-MM-dd hh:mm:ss.zzz").toMSecsSinceEpoch());
}

ModelItemFile *newFile(const QString &key, quint64 time)
{
    auto *file = new ModelItemFile(key);
    file->setCreateTime(time);
    return file;
}

// "05-20[a,b] 05-19[c]": days newest first with their files.
QString layout(const DownloadFileModel &model)
{
    QStringList days;
    for (int d = 0; d < model.rowCount(); ++d) {
        const QModelIndex dayIndex = model.index(d, 0);
        auto *day = static_cast<ModelItemDate *>(dayIndex.internalPointer());
        QStringList files;
        for (int f = 0; f < model.rowCount(dayIndex); ++f)
            files << static_cast<ModelItemFile *>(model.index(f, 0, dayIndex).internalPointer())->key();
        days << QDateTime::fromMSecsSinceEpoch(qint64(day->time())).toString("MM-dd") + "[" + files.join(',') + "]";
    }
    return days.join(' ');
}

} // namespace

class tst_DownloadFileModel : public QObject
{
    Q_OBJECT
public:
    static void initMain()
    {
        // A fixed zone east of UTC, without daylight saving, so that local
        // midnights are known literals.
        qputenv("TZ", "CST-8");
        tzset();
    }
private slots:
    void init();
    void cleanup();
    void days_data();
    void days();
    void dayTimeIsLocalMidnight();
    void epochFilesDay();
    void insertSignals();
    void nullsIgnored();
    void indexRoundTrip();
    void indexEdges_data();
    void indexEdges();
    void noDisplayData();
    void removeRows_data();
    void removeRows();
    void testerWhileFillingAndEmptying();
    void batches_data();
    void batches();
private:
    QScopedPointer<ModelItemRoot> root;
    QScopedPointer<DownloadFileModel> model;
};

void tst_DownloadFileModel::init()
{
    VellChatWBConfigure::init();
    root.reset(new ModelItemRoot(nullptr));
    model.reset(new DownloadFileModel(root.data(), nullptr));
}

void tst_DownloadFileModel::cleanup()
{
    model.reset();
    root.reset();
}

void tst_DownloadFileModel::days_data()
{
    QTest::addColumn<QStringList>("files");   // "key@local time", in delivery order
    QTest::addColumn<QString>("tree");
    QTest::newRow("newest first over two days")
        << QStringList{"a@2018-05-20 18:00:00.000", "b@2018-05-20 09:00:00.000", "c@2018-05-19 12:00:00.000"}
        << "05-20[a,b] 05-19[c]";
    QTest::newRow("oldest first over two days")
        << QStringList{"c@2018-05-19 12:00:00.000", "b@2018-05-20 09:00:00.000", "a@2018-05-20 18:00:00.000"}
        << "05-20[a,b] 05-19[c]";
    QTest::newRow("a day between two days gets its own row")
        << QStringList{"a@2018-05-20 10:00:00.000", "c@2018-05-18 10:00:00.000", "b@2018-05-19 23:00:00.000"}
        << "05-20[a] 05-19[b] 05-18[c]";
    QTest::newRow("several gaps filled in any order")
        << QStringList{"e@2018-05-25 10:00:00.000", "a@2018-05-01 10:00:00.000", "c@2018-05-10 10:00:00.000",
                       "d@2018-05-20 10:00:00.000", "b@2018-05-05 10:00:00.000"}
        << "05-25[e] 05-20[d] 05-10[c] 05-05[b] 05-01[a]";
    QTest::newRow("a file at midnight belongs to the day it starts")
        << QStringList{"late@2018-05-19 23:59:59.999", "midnight@2018-05-20 00:00:00.000"}
        << "05-20[midnight] 05-19[late]";
    QTest::newRow("a second file of the newest day adds no day")
        << QStringList{"a@2018-05-20 08:00:00.000", "b@2018-05-20 20:00:00.000"}
        << "05-20[b,a]";
    QTest::newRow("equal times keep arrival order")
        << QStringList{"first@2018-05-20 08:00:00.000", "second@2018-05-20 08:00:00.000",
                       "newer@2018-05-20 09:00:00.000", "third@2018-05-20 08:00:00.000"}
        << "05-20[newer,first,second,third]";
    QTest::newRow("year boundary")
        << QStringList{"old@2017-12-31 23:00:00.000", "new@2018-01-01 01:00:00.000"}
        << "01-01[new] 12-31[old]";
}

void tst_DownloadFileModel::days()
{
    QFETCH(QStringList, files);
    QFETCH(QString, tree);
    for (const QString &entry : files) {
        const QStringList parts = entry.split('@');
        model->insertItem(newFile(parts.at(0), localTime(parts.at(1))));
    }
    QCOMPARE(layout(*model), tree);
}

void tst_DownloadFileModel::dayTimeIsLocalMidnight()
{
    // 2018-05-20 09:40:26.485 UTC is 17:40 in the test zone; its day starts at
    // 2018-05-20 00:00 local, which is 2018-05-19 16:00 UTC.
    model->insertItem(newFile("k", 1526809226485));
    auto *day = static_cast<ModelItemDate *>(model->index(0, 0).internalPointer());
    QCOMPARE(day->time(), quint64(1526745600000));
    QCOMPARE(day->compareValue(), quint64(1526745600000));
    // 16:30 UTC is already 00:30 of the next local day.
    model->insertItem(newFile("next", 1526747400000ULL + 86400000ULL));
    auto *next = static_cast<ModelItemDate *>(model->index(0, 0).internalPointer());
    QCOMPARE(next->time(), quint64(1526832000000));
    QCOMPARE(model->rowCount(), 2);
}

void tst_DownloadFileModel::epochFilesDay()
{
    // Local 1970-01-01 starts eight hours before the epoch; its row must not
    // wrap around to the far future and become the newest day.
    model->insertItem(newFile("recent", 1526809226485));
    model->insertItem(newFile("", 0));
    QCOMPARE(layout(*model), QString("05-20[recent] 01-01[]"));
    auto *epochDay = static_cast<ModelItemDate *>(model->index(1, 0).internalPointer());
    QCOMPARE(epochDay->time(), quint64(0));
    // Later on the first local day still joins the same row.
    model->insertItem(newFile("morning", 3600000));
    QCOMPARE(layout(*model), QString("05-20[recent] 01-01[morning,]"));
}

void tst_DownloadFileModel::insertSignals()
{
    QSignalSpy inserted(model.data(), &QAbstractItemModel::rowsInserted);
    QList<int> rowCountsBefore;
    connect(model.data(), &QAbstractItemModel::rowsAboutToBeInserted, this,
            [&](const QModelIndex &parent, int, int) { rowCountsBefore << model->rowCount(parent); });

    model->insertItem(newFile("a", localTime("2018-05-20 10:00:00.000")));
    QCOMPARE(inserted.count(), 2);   // the day, then the file under it
    QCOMPARE(inserted.at(0).at(0).toModelIndex(), QModelIndex());
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(1).at(0).toModelIndex(), model->index(0, 0));
    QCOMPARE(inserted.at(1).at(1).toInt(), 0);
    QCOMPARE(inserted.at(1).at(2).toInt(), 0);

    inserted.clear();
    model->insertItem(newFile("b", localTime("2018-05-20 08:00:00.000")));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(0).toModelIndex(), model->index(0, 0));
    QCOMPARE(inserted.at(0).at(1).toInt(), 1);

    inserted.clear();
    model->insertItem(newFile("c", localTime("2018-05-21 08:00:00.000")));
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);   // the new day goes first
    QCOMPARE(inserted.at(1).at(0).toModelIndex(), model->index(0, 0));

    // Views hear of every row before it is there.
    QCOMPARE(rowCountsBefore, (QList<int>{0, 0, 1, 1, 0}));
}

void tst_DownloadFileModel::nullsIgnored()
{
    QSignalSpy inserted(model.data(), &QAbstractItemModel::rowsInserted);
    model->insertItem(nullptr);
    QCOMPARE(model->rowCount(), 0);
    DownloadFileModel rootless(nullptr, nullptr);
    QScopedPointer<ModelItemFile> file(newFile("a", 5));
    rootless.insertItem(file.data());
    QCOMPARE(rootless.rowCount(), 0);
    QCOMPARE(file->parent(), nullptr);
    QCOMPARE(rootless.removeRows(0, 1), false);
    QCOMPARE(inserted.count(), 0);
}

void tst_DownloadFileModel::indexRoundTrip()
{
    const QStringList times = {"2018-05-20 10:00:00.000", "2018-05-20 11:00:00.000", "2018-05-18 10:00:00.000",
                               "2018-05-19 10:00:00.000", "2018-05-19 10:00:00.000", "2018-05-21 00:00:00.000"};
    for (int i = 0; i < times.size(); ++i)
        model->insertItem(newFile(QString::number(i), localTime(times.at(i))));
    QCOMPARE(model->rowCount(), 4);
    int files = 0;
    for (int d = 0; d < model->rowCount(); ++d) {
        const QModelIndex dayIndex = model->index(d, 0);
        auto *day = static_cast<ModelItemBase *>(dayIndex.internalPointer());
        QCOMPARE(model->index(day), dayIndex);
        QCOMPARE(model->parent(dayIndex), QModelIndex());
        for (int f = 0; f < model->rowCount(dayIndex); ++f) {
            const QModelIndex fileIndex = model->index(f, 0, dayIndex);
            auto *file = static_cast<ModelItemBase *>(fileIndex.internalPointer());
            QCOMPARE(model->index(file), fileIndex);
            QCOMPARE(model->parent(fileIndex), dayIndex);
            QCOMPARE(model->rowCount(fileIndex), 0);
            QCOMPARE(file->parent(), day);
            ++files;
        }
    }
    QCOMPARE(files, 6);
}

void tst_DownloadFileModel::indexEdges_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("valid");
    QTest::newRow("first") << 0 << 0 << true;
    QTest::newRow("last") << 1 << 0 << true;
    QTest::newRow("past the end") << 2 << 0 << false;
    QTest::newRow("negative") << -1 << 0 << false;
    QTest::newRow("any column is carried") << 0 << 3 << true;
}

void tst_DownloadFileModel::indexEdges()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, valid);
    model->insertItem(newFile("a", localTime("2018-05-20 10:00:00.000")));
    model->insertItem(newFile("b", localTime("2018-05-19 10:00:00.000")));
    const QModelIndex index = model->index(row, column);
    QCOMPARE(index.isValid(), valid);
    if (valid)
        QCOMPARE(index.column(), column);

    QCOMPARE(model->index(static_cast<ModelItemBase *>(nullptr)), QModelIndex());
    QCOMPARE(model->index(root.data()), QModelIndex());
    QScopedPointer<ModelItemFile> detached(newFile("x", 1));
    QCOMPARE(model->index(detached.data()), QModelIndex());
    ModelItemDate strayDay(0);
    auto *strayFile = newFile("y", 2);
    strayDay.append(strayFile);
    QCOMPARE(model->index(strayFile), QModelIndex());
    QCOMPARE(model->columnCount(), 1);
    QCOMPARE(model->columnCount(model->index(0, 0)), 1);
}

void tst_DownloadFileModel::noDisplayData()
{
    model->insertItem(newFile("a", localTime("2018-05-20 10:00:00.000")));
    const QModelIndex day = model->index(0, 0);
    const QModelIndex file = model->index(0, 0, day);
    for (int role : {int(Qt::DisplayRole), int(Qt::DecorationRole), int(Qt::SizeHintRole), int(Qt::UserRole)}) {
        QVERIFY(!model->data(day, role).isValid());
        QVERIFY(!model->data(file, role).isValid());
    }
    QCOMPARE(model->flags(day), Qt::ItemFlags(Qt::ItemIsEnabled));
    QCOMPARE(model->flags(file), Qt::ItemFlags(Qt::ItemIsEnabled));
    QVERIFY(!(model->flags(file) & Qt::ItemIsSelectable));
}

void tst_DownloadFileModel::removeRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("dayRow");     // -1: remove days under the root
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("tree");
    // Start: 05-20[a,b] 05-19[c] 05-18[d]
    QTest::newRow("one file") << 1 << 1 << 0 << true << "05-20[a] 05-19[c] 05-18[d]";
    QTest::newRow("both files of a day") << 0 << 2 << 0 << true << "05-20[] 05-19[c] 05-18[d]";
    QTest::newRow("one day") << 1 << 1 << -1 << true << "05-20[a,b] 05-18[d]";
    QTest::newRow("all days") << 0 << 3 << -1 << true << "";
    QTest::newRow("rows past the end") << 2 << 2 << -1 << false << "05-20[a,b] 05-19[c] 05-18[d]";
    QTest::newRow("row past the end") << 3 << 1 << -1 << false << "05-20[a,b] 05-19[c] 05-18[d]";
    QTest::newRow("zero count") << 0 << 0 << -1 << false << "05-20[a,b] 05-19[c] 05-18[d]";
    QTest::newRow("negative row") << -1 << 1 << 0 << false << "05-20[a,b] 05-19[c] 05-18[d]";
}

void tst_DownloadFileModel::removeRows()
{
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(int, dayRow);
    QFETCH(bool, result);
    QFETCH(QString, tree);
    model->insertItem(newFile("a", localTime("2018-05-20 10:00:00.000")));
    model->insertItem(newFile("b", localTime("2018-05-20 09:00:00.000")));
    model->insertItem(newFile("c", localTime("2018-05-19 10:00:00.000")));
    model->insertItem(newFile("d", localTime("2018-05-18 10:00:00.000")));
    QAbstractItemModelTester tester(model.data(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QModelIndex parent = dayRow < 0 ? QModelIndex() : model->index(dayRow, 0);
    QList<QPointer<QObject>> doomed;
    for (int r = qMax(row, 0); r < qMin(row + count, model->rowCount(parent)); ++r)
        doomed << static_cast<QObject *>(model->index(r, 0, parent).internalPointer());
    QSignalSpy removed(model.data(), &QAbstractItemModel::rowsRemoved);
    QCOMPARE(model->removeRows(row, count, parent), result);
    QCOMPARE(layout(*model), tree);
    QCOMPARE(removed.count(), result ? 1 : 0);
    if (result) {
        QCOMPARE(removed.at(0).at(1).toInt(), row);
        QCOMPARE(removed.at(0).at(2).toInt(), row + count - 1);
        // Removed nodes go with the next turn of the event loop, files of a day with it.
        for (const QPointer<QObject> &node : doomed)
            QTRY_VERIFY(node.isNull());
    }
}

void tst_DownloadFileModel::testerWhileFillingAndEmptying()
{
    QAbstractItemModelTester tester(model.data(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QRandomGenerator random(20180520);
    const quint64 start = localTime("2018-01-01 00:00:00.000");
    for (int i = 0; i < 300; ++i) {
        // 30 days with some equal times and files at midnight.
        const quint64 day = random.bounded(30);
        const quint64 within = (i % 7 == 0) ? 0 : random.bounded(24 * 4) * 900000ULL;
        model->insertItem(newFile(QString::number(i), start + day * 86400000ULL + within));
    }
    QCOMPARE(model->rowCount(), 30);
    int files = 0;
    quint64 previousDay = ~0ULL;
    for (int d = 0; d < model->rowCount(); ++d) {
        const QModelIndex dayIndex = model->index(d, 0);
        const quint64 dayTime = static_cast<ModelItemDate *>(dayIndex.internalPointer())->time();
        QVERIFY(dayTime < previousDay);
        previousDay = dayTime;
        quint64 previousFile = ~0ULL;
        for (int f = 0; f < model->rowCount(dayIndex); ++f) {
            const quint64 t = static_cast<ModelItemFile *>(model->index(f, 0, dayIndex).internalPointer())->createTime();
            QVERIFY(t <= previousFile);
            QVERIFY(t >= dayTime && t < dayTime + 86400000ULL);
            previousFile = t;
            ++files;
        }
    }
    QCOMPARE(files, 300);

    // Empty it again: single files, whole days, then everything.
    for (int i = 0; i < 40; ++i) {
        const QModelIndex dayIndex = model->index(int(random.bounded(model->rowCount())), 0);
        QVERIFY(model->removeRows(int(random.bounded(model->rowCount(dayIndex))), 1, dayIndex));
    }
    QVERIFY(model->removeRows(3, 4));
    QCOMPARE(model->rowCount(), 26);
    QVERIFY(model->removeRows(0, model->rowCount()));
    QCOMPARE(model->rowCount(), 0);
    model->insertItem(newFile("again", start));
    QCOMPARE(layout(*model), QString("01-01[again]"));
}

void tst_DownloadFileModel::batches_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("resets");
    QTest::addColumn<int>("insertions");   // announced rows: a new day and its file count two
    // Files come in threes per day over 100 days (or fewer), newest day last.
    QTest::newRow("a few, row by row") << 9 << 0 << 12;
    QTest::newRow("just below a reset") << 255 << 0 << 340;
    QTest::newRow("a large answer, one reset") << 256 << 1 << 0;
    QTest::newRow("a very large answer") << 3000 << 1 << 0;
}

void tst_DownloadFileModel::batches()
{
    QFETCH(int, count);
    QFETCH(int, resets);
    QFETCH(int, insertions);
    // Something shown already, so that the batch lands beside existing rows.
    model->insertItem(newFile("old", localTime("2017-01-01 12:00:00.000")));
    QAbstractItemModelTester tester(model.data(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(model.data(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(model.data(), &QAbstractItemModel::rowsInserted);
    const quint64 start = localTime("2018-01-01 08:00:00.000");
    QVector<ModelItemFile *> files;
    for (int i = 0; i < count; ++i)
        files << newFile(QString::number(i), start + quint64(i / 3) * 86400000ULL + quint64(i % 3) * 60000ULL);
    model->insertItems(files);
    QCOMPARE(reset.count(), resets);
    QCOMPARE(inserted.count(), insertions);
    const int days = (count + 2) / 3;
    QCOMPARE(model->rowCount(), days + 1);
    // Newest day first, its files newest first; the old day stays last.
    const QModelIndex newestDay = model->index(0, 0);
    QCOMPARE(model->rowCount(newestDay), count % 3 ? count % 3 : 3);
    auto *newestFile = static_cast<ModelItemFile *>(model->index(0, 0, newestDay).internalPointer());
    QCOMPARE(newestFile->key(), QString::number(count - 1));
    const QModelIndex oldDay = model->index(days, 0);
    QCOMPARE(static_cast<ModelItemFile *>(model->index(0, 0, oldDay).internalPointer())->key(), QString("old"));
    for (ModelItemFile *file : files)
        QCOMPARE(model->parent(model->index(file)).isValid(), true);
}

QTEST_MAIN(tst_DownloadFileModel)
#include "tst_downloadfilemodel.moc"
