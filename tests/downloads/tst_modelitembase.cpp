// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "downloads/modelitemdate.h"
#include "downloads/modelitemfile.h"
#include "downloads/modelitemroot.h"

#include <QPointer>
#include <QtTest>

namespace {

ModelItemFile *fileAt(quint64 time, const QString &key)
{
    auto *file = new ModelItemFile(key);
    file->setCreateTime(time);
    return file;
}

QStringList keysOf(ModelItemBase &parent)
{
    QStringList keys;
    for (ModelItemBase *child : parent.childrenItem())
        keys << static_cast<ModelItemFile *>(child)->key();
    return keys;
}

} // namespace

class tst_ModelItemBase : public QObject
{
    Q_OBJECT
private slots:
    void init() { VellChatWBConfigure::init(); }
    void orderedAppend_data();
    void orderedAppend();
    void prependDoesNotCompare();
    void removechild_data();
    void removechild();
    void removedChildIsDeletedLater();
    void childIndexAndLastChild();
    void childIndexAfterTimeChange();
};

void tst_ModelItemBase::orderedAppend_data()
{
    QTest::addColumn<QList<quint64>>("times");
    QTest::addColumn<QStringList>("order");     // keys are "a", "b", ... in arrival order
    QTest::addColumn<QList<int>>("rows");       // what each append returned
    QTest::newRow("oldest first") << QList<quint64>{1, 2, 3} << QStringList{"c", "b", "a"} << QList<int>{0, 0, 0};
    QTest::newRow("newest first") << QList<quint64>{3, 2, 1} << QStringList{"a", "b", "c"} << QList<int>{0, 1, 2};
    QTest::newRow("middle") << QList<quint64>{5, 1, 3} << QStringList{"a", "c", "b"} << QList<int>{0, 1, 1};
    QTest::newRow("equal times keep arrival order")
        << QList<quint64>{7, 7, 9, 7} << QStringList{"c", "a", "b", "d"} << QList<int>{0, 1, 0, 3};
    // Compared unsigned: the top bit makes a value larger, not negative.
    QTest::newRow("largest unsigned value first")
        << QList<quint64>{1, 18446744073709551615ULL, 0x8000000000000000ULL} << QStringList{"b", "c", "a"}
        << QList<int>{0, 0, 1};
}

void tst_ModelItemBase::orderedAppend()
{
    QFETCH(QList<quint64>, times);
    QFETCH(QStringList, order);
    QFETCH(QList<int>, rows);
    ModelItemDate day(0);
    QList<int> returned;
    char key = 'a';
    for (quint64 time : times)
        returned << day.append(fileAt(time, QString(QChar(key++))));
    QCOMPARE(keysOf(day), order);
    QCOMPARE(returned, rows);
    for (ModelItemBase *child : day.childrenItem())
        QCOMPARE(child->parent(), &day);
}

void tst_ModelItemBase::prependDoesNotCompare()
{
    ModelItemDate day(0);
    day.append(fileAt(9, "new"));
    QCOMPARE(day.prepend(fileAt(1, "old")), 0);
    QCOMPARE(keysOf(day), (QStringList{"old", "new"}));
    QCOMPARE(day.childrenItem().first()->parent(), &day);
    // childIndex still finds a node that sits out of order.
    QCOMPARE(day.childIndex(day.childrenItem().at(0)), 0);
    QCOMPARE(day.childIndex(day.childrenItem().at(1)), 1);
}

void tst_ModelItemBase::removechild_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("left");   // children are a, b, c, d (newest first)
    QTest::newRow("first") << 0 << 1 << true << QStringList{"b", "c", "d"};
    QTest::newRow("middle two") << 1 << 2 << true << QStringList{"a", "d"};
    QTest::newRow("count past the end") << 2 << 10 << true << QStringList{"a", "b"};
    QTest::newRow("row past the end") << 4 << 1 << false << QStringList{"a", "b", "c", "d"};
    QTest::newRow("zero count") << 0 << 0 << false << QStringList{"a", "b", "c", "d"};
    QTest::newRow("negative row") << -1 << 1 << false << QStringList{"a", "b", "c", "d"};
}

void tst_ModelItemBase::removechild()
{
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(bool, result);
    QFETCH(QStringList, left);
    ModelItemDate day(0);
    day.append(fileAt(4, "a"));
    day.append(fileAt(3, "b"));
    day.append(fileAt(2, "c"));
    day.append(fileAt(1, "d"));
    QCOMPARE(day.removechild(row, count), result);
    QCOMPARE(keysOf(day), left);
    QCOMPARE(day.children().size(), left.size());
}

void tst_ModelItemBase::removedChildIsDeletedLater()
{
    ModelItemDate day(0);
    QPointer<ModelItemBase> file(fileAt(1, "a"));
    day.append(file);
    QVERIFY(day.removechild(0, 1));
    QVERIFY(!file.isNull());
    QCOMPARE(file->parent(), nullptr);
    QCOMPARE(day.childIndex(file), -1);
    QTRY_VERIFY(file.isNull());
}

void tst_ModelItemBase::childIndexAndLastChild()
{
    ModelItemDate day(0);
    QCOMPARE(day.isLastChild(nullptr), false);
    ModelItemBase *a = fileAt(5, "a");
    ModelItemBase *b = fileAt(5, "b");
    ModelItemBase *c = fileAt(3, "c");
    day.append(c);
    day.append(a);
    day.append(b);
    QCOMPARE(day.childIndex(a), 0);
    QCOMPARE(day.childIndex(b), 1);
    QCOMPARE(day.childIndex(c), 2);
    QScopedPointer<ModelItemFile> stranger(fileAt(5, "x"));
    QCOMPARE(day.childIndex(stranger.data()), -1);
    QCOMPARE(day.childIndex(nullptr), -1);
    QVERIFY(day.isLastChild(c));
    QVERIFY(!day.isLastChild(a));
}

void tst_ModelItemBase::childIndexAfterTimeChange()
{
    ModelItemDate day(0);
    auto *a = fileAt(30, "a");
    auto *b = fileAt(20, "b");
    auto *c = fileAt(10, "c");
    day.append(a);
    day.append(b);
    day.append(c);
    // A later record may move a file's time; the node keeps its place.
    b->setCreateTime(40);
    QCOMPARE(day.childIndex(a), 0);
    QCOMPARE(day.childIndex(b), 1);
    QCOMPARE(day.childIndex(c), 2);
}

QTEST_MAIN(tst_ModelItemBase)
#include "tst_modelitembase.moc"
