// SPDX-License-Identifier: Apache-2.0
#include "host/hoststore.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

static QJsonObject makeRecord(const QString &key, double createTime, int status = HostStore::StatusSuccess,
                              const QString &path = QString())
{
    QJsonObject record;
    record.insert("key", key);
    record.insert("name", key + ".txt");
    record.insert("createTime", createTime);
    record.insert("updateTime", createTime + 5);
    record.insert("fileSize", 10);
    record.insert("downloadOffset", status == HostStore::StatusSuccess ? 10 : 4);
    record.insert("status", status);
    if (!path.isEmpty())
        record.insert("path", path);
    record.insert("url", "http://127.0.0.1/" + key);
    return record;
}

static QStringList keysOf(const QList<QJsonObject> &records)
{
    QStringList keys;
    for (const QJsonObject &r : records)
        keys << r.value("key").toString();
    return keys;
}

class tst_HostStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void newestFirst_data();
    void newestFirst();
    void putReplacesSameKey();
    void remove_data();
    void remove();
    void clear();
    void survivesReload();
    void runningBecomesFailedOnReload();
    void unreadableFileSetAside();
    void answerRecord_data();
    void answerRecord();
private:
    QScopedPointer<QTemporaryDir> dir;
};

void tst_HostStore::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
}

void tst_HostStore::newestFirst_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QList<double>>("createTimes");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("added oldest first") << QStringList{"a", "b", "c"} << QList<double>{100, 200, 300} << QStringList{"c", "b", "a"};
    QTest::newRow("added in mixed order") << QStringList{"a", "b", "c"} << QList<double>{200, 300, 100} << QStringList{"b", "a", "c"};
    QTest::newRow("same millisecond: later first") << QStringList{"a", "b"} << QList<double>{100, 100} << QStringList{"b", "a"};
}

void tst_HostStore::newestFirst()
{
    QFETCH(QStringList, keys);
    QFETCH(QList<double>, createTimes);
    QFETCH(QStringList, order);
    HostStore store(dir->path());
    for (int i = 0; i < keys.size(); ++i)
        QVERIFY(store.put(makeRecord(keys.at(i), createTimes.at(i))));
    QCOMPARE(keysOf(store.records()), order);
}

void tst_HostStore::putReplacesSameKey()
{
    HostStore store(dir->path());
    store.put(makeRecord("a", 100, HostStore::StatusDownloading));
    store.put(makeRecord("b", 200));
    QJsonObject done = makeRecord("a", 100, HostStore::StatusSuccess);
    done.insert("name", "renamed.txt");
    store.put(done);
    QCOMPARE(store.records().size(), 2);
    QCOMPARE(store.record("a").value("name").toString(), QString("renamed.txt"));
    QCOMPARE(store.record("a").value("status").toInt(), 2);
}

void tst_HostStore::remove_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("known") << "b" << true << QStringList{"c", "a"};
    QTest::newRow("unknown") << "zz" << false << QStringList{"c", "b", "a"};
}

void tst_HostStore::remove()
{
    QFETCH(QString, key);
    QFETCH(bool, removed);
    QFETCH(QStringList, left);
    HostStore store(dir->path());
    store.put(makeRecord("a", 1));
    store.put(makeRecord("b", 2));
    store.put(makeRecord("c", 3));
    QCOMPARE(store.remove(key), removed);
    QCOMPARE(keysOf(store.records()), left);
    // and the file says the same
    HostStore reloaded(dir->path());
    QVERIFY(reloaded.load());
    QCOMPARE(keysOf(reloaded.records()), left);
}

void tst_HostStore::clear()
{
    HostStore store(dir->path());
    store.put(makeRecord("a", 1));
    store.put(makeRecord("b", 2));
    store.setPosition("1,2,300,400,0");
    store.clear();
    QCOMPARE(store.records().size(), 0);
    HostStore reloaded(dir->path());
    QVERIFY(reloaded.load());
    QCOMPARE(reloaded.records().size(), 0);
    // the window position is not download history
    QCOMPARE(reloaded.position(), QString("1,2,300,400,0"));
}

void tst_HostStore::survivesReload()
{
    {
        HostStore store(dir->path());
        QVERIFY(store.load());
        store.put(makeRecord("a", 1526809226485.0));
        store.put(makeRecord("b", 1526809226999.0, HostStore::StatusFailed));
        store.setPosition("100,50,800,600,1");
        QVERIFY(store.collect("http://127.0.0.1/page"));
        QVERIFY(store.collect("http://127.0.0.1/other"));
        QVERIFY(!store.collect("http://127.0.0.1/page"));
    }
    HostStore store(dir->path());
    QVERIFY(store.load());
    QCOMPARE(keysOf(store.records()), (QStringList{"b", "a"}));
    const QJsonObject a = store.record("a");
    QCOMPARE(a.value("createTime").toDouble(), 1526809226485.0);
    QCOMPARE(a.value("updateTime").toDouble(), 1526809226490.0);
    QCOMPARE(a.value("fileSize").toInt(), 10);
    QCOMPARE(a.value("status").toInt(), 2);
    QCOMPARE(a.value("url").toString(), QString("http://127.0.0.1/a"));
    QCOMPARE(store.record("b").value("status").toInt(), 3);
    QCOMPARE(store.position(), QString("100,50,800,600,1"));
    QCOMPARE(store.collected(), (QStringList{"http://127.0.0.1/page", "http://127.0.0.1/other"}));
}

void tst_HostStore::runningBecomesFailedOnReload()
{
    // what the interrupted one had written goes; the complete file of the other stays
    const QString partial = dir->filePath("a.txt");
    const QString complete = dir->filePath("b.txt");
    for (const QString &path : {partial + ".part", complete, complete + ".part"}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    {
        HostStore store(dir->path());
        store.put(makeRecord("a", 1, HostStore::StatusDownloading, partial));
        store.put(makeRecord("b", 2, HostStore::StatusSuccess, complete));
    }
    HostStore store(dir->path());
    QVERIFY(store.load());
    QCOMPARE(store.record("a").value("status").toInt(), 3);
    QCOMPARE(store.record("b").value("status").toInt(), 2);
    QVERIFY(!QFile::exists(partial + ".part"));
    QVERIFY(QFile::exists(complete));
    QVERIFY(QFile::exists(complete + ".part"));   // not ours to judge: its record is complete
    // written back, not only changed in memory
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains("\"status\": 1"));
}

void tst_HostStore::unreadableFileSetAside()
{
    HostStore store(dir->path());
    {
        QFile file(store.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{ not json");
    }
    QVERIFY(!store.load());
    QCOMPARE(store.records().size(), 0);
    QVERIFY(QFile::exists(store.filePath() + ".bad"));
    QVERIFY(store.put(makeRecord("a", 1)));
    HostStore reloaded(dir->path());
    QVERIFY(reloaded.load());
    QCOMPARE(keysOf(reloaded.records()), QStringList{"a"});
}

void tst_HostStore::answerRecord_data()
{
    QTest::addColumn<QString>("file");      // "" no path, "here" a file that exists, "gone" one deleted
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("file on disk") << "here" << true;
    QTest::newRow("file deleted") << "gone" << false;
    QTest::newRow("never written") << "" << false;
    QTest::newRow("path is a folder") << "folder" << false;
}

void tst_HostStore::answerRecord()
{
    QFETCH(QString, file);
    QFETCH(bool, fileExists);
    QString path;
    if (file == "here" || file == "gone") {
        path = dir->filePath("a.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("0123456789");
        f.close();
        if (file == "gone")
            QVERIFY(QFile::remove(path));
    } else if (file == "folder") {
        path = dir->path();
    }
    HostStore store(dir->path());
    store.put(makeRecord("a", 1000, HostStore::StatusSuccess, path));
    const QJsonObject answer = HostStore::answerRecord(store.record("a"));
    QCOMPARE(QJsonDocument(answer).toJson(QJsonDocument::Compact),
             QByteArray(R"({"createTime":1000,"downloadOffset":10,"fileExists":)") + (fileExists ? "true" : "false") +
                 R"(,"fileSize":10,"key":"a","name":"a.txt","status":2,"updateTime":1005})");
}

QTEST_GUILESS_MAIN(tst_HostStore)
#include "tst_hoststore.moc"
