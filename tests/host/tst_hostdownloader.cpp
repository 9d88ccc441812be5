// SPDX-License-Identifier: Apache-2.0
#include "host/demosite.h"
#include "host/hostdownloader.h"
#include "host/hoststore.h"
#include "webtestkit.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_HostDownloader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void download_data();
    void download();
    void neverOverwrites();
    void restartFailed();
    void cancelRemovesPartialFile();
    void abandonMarksFailed();
    void tokenFollowsTheList_data();
    void tokenFollowsTheList();
    void uniqueFileName_data();
    void uniqueFileName();
    void safeFileName_data();
    void safeFileName();
private:
    QUrl fileUrl(const QString &name) const { return site.url().resolved(QUrl("/files/" + name)); }
    int statusOf(const QString &key) const { return store->record(key).value("status").toInt(); }

    DemoSite site;
    PageServer server;
    int rows = 0;
    QScopedPointer<QTemporaryDir> dir;
    QScopedPointer<HostStore> store;
    QScopedPointer<HostDownloader> downloader;
};

void tst_HostDownloader::initTestCase()
{
    QVERIFY(site.start());
    QVERIFY(server.startHttp());
}

void tst_HostDownloader::init()
{
    site.setLargeRate(1024 * 1024);
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    store.reset(new HostStore(dir->filePath("data")));
    downloader.reset(new HostDownloader(store.data(), dir->filePath("downloads")));
}

void tst_HostDownloader::download_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QByteArray>("md5");       // of the saved file, when given
    QTest::addColumn<QStringList>("warning");  // parts of the one line on stderr; empty: no line
    QTest::newRow("text") << "notes.txt" << 2 << qint64(127) << QByteArray("a310e3bd314f1d806be0314d89f107f5") << QStringList();
    QTest::newRow("pdf") << "report.pdf" << 2 << qint64(661) << QByteArray() << QStringList();
    QTest::newRow("cut short") << "broken-transfer.zip" << 3 << qint64(2097152) << QByteArray()
                               << QStringList{"download failed: broken-transfer.zip: ", "the server sent 524288 of 2097152 bytes"};
    QTest::newRow("not found") << "missing.bin" << 3 << qint64(0) << QByteArray()
                               << QStringList{"download failed: missing.bin: ", "Not Found"};
}

void tst_HostDownloader::download()
{
    QFETCH(QString, file);
    QFETCH(int, status);
    QFETCH(qint64, size);
    QFETCH(QByteArray, md5);
    QFETCH(QStringList, warning);
    QSignalSpy finished(downloader.data(), &HostDownloader::finished);
    QSignalSpy warnings(downloader.data(), &HostDownloader::warning);
    const QString key = downloader->start(file, fileUrl(file));
    QCOMPARE(key.size(), 32);
    QCOMPARE(statusOf(key), 1);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).toString(), key);
    QCOMPARE(finished.at(0).at(1).toInt(), status);
    QCOMPARE(warnings.size(), warning.isEmpty() ? 0 : 1);
    for (const QString &part : warning)
        QVERIFY2(warnings.at(0).at(0).toString().contains(part), qPrintable(warnings.at(0).at(0).toString()));

    const QJsonObject record = store->record(key);
    QCOMPARE(record.value("status").toInt(), status);
    QCOMPARE(record.value("name").toString(), file);
    QCOMPARE(qint64(record.value("fileSize").toDouble()), size);
    const QString path = dir->filePath("downloads/" + file);
    QCOMPARE(QFile::exists(path), status == 2);
    QVERIFY(!QFile::exists(path + ".part"));
    QCOMPARE(record.value("path").toString(), path);
    QCOMPARE(HostStore::answerRecord(record).value("fileExists").toBool(), status == 2);
    if (status == 2) {
        QCOMPARE(QFileInfo(path).size(), size);
        QCOMPARE(qint64(record.value("downloadOffset").toDouble()), size);
    }
    if (!md5.isEmpty()) {
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Md5).toHex(), md5);
    }
    // the outcome is on disk too
    HostStore reloaded(dir->filePath("data"));
    QVERIFY(reloaded.load());
    QCOMPARE(reloaded.record(key).value("status").toInt(), status);
}

void tst_HostDownloader::neverOverwrites()
{
    QDir().mkpath(dir->filePath("downloads"));
    QFile mine(dir->filePath("downloads/notes.txt"));
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("my own notes");
    mine.close();

    QSignalSpy finished(downloader.data(), &HostDownloader::finished);
    const QString first = downloader->start("notes.txt", fileUrl("notes.txt"));
    const QString second = downloader->start("notes.txt", fileUrl("notes.txt"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 20000);
    QCOMPARE(store->record(first).value("name").toString(), QString("notes (1).txt"));
    QCOMPARE(store->record(second).value("name").toString(), QString("notes (2).txt"));
    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("my own notes"));
    QCOMPARE(QFileInfo(dir->filePath("downloads/notes (2).txt")).size(), 127);
}

void tst_HostDownloader::restartFailed()
{
    QSignalSpy finished(downloader.data(), &HostDownloader::finished);
    const QString key = downloader->start("broken-transfer.zip", fileUrl("broken-transfer.zip"));
    QVERIFY(finished.wait(20000));
    QCOMPARE(statusOf(key), 3);
    const double created = store->record(key).value("createTime").toDouble();

    QVERIFY(downloader->restart(key));
    const QJsonObject running = store->record(key);
    QCOMPARE(running.value("status").toInt(), 1);
    QCOMPARE(running.value("downloadOffset").toInt(), 0);
    QCOMPARE(running.value("createTime").toDouble(), created);
    QCOMPARE(store->records().size(), 1);
    QVERIFY(finished.wait(20000));
    QCOMPARE(statusOf(key), 3);
    QVERIFY(!QFile::exists(dir->filePath("downloads/broken-transfer.zip")));
    QVERIFY(!downloader->restart("0123456789abcdef0123456789abcdef"));
}

void tst_HostDownloader::cancelRemovesPartialFile()
{
    site.setLargeRate(256 * 1024);
    const QString key = downloader->start("large-sample.bin", fileUrl("large-sample.bin"));
    QTRY_VERIFY_WITH_TIMEOUT(store->record(key).value("downloadOffset").toDouble() > 0, 20000);
    QCOMPARE(qint64(store->record(key).value("fileSize").toDouble()), DemoSite::kLargeSize);
    // a running download is only a ".part": nothing looks complete before it is
    QVERIFY(QFile::exists(dir->filePath("downloads/large-sample.bin.part")));
    QVERIFY(!QFile::exists(dir->filePath("downloads/large-sample.bin")));
    QCOMPARE(HostStore::answerRecord(store->record(key)).value("fileExists").toBool(), false);
    // a second download of the same name meanwhile takes the next name
    QSignalSpy finished(downloader.data(), &HostDownloader::finished);
    const QString second = downloader->start("large-sample.bin", fileUrl("notes.txt"));
    QCOMPARE(store->record(second).value("name").toString(), QString("large-sample (1).bin"));
    QVERIFY(finished.wait(20000));
    downloader->cancel(key);
    QVERIFY(!downloader->isRunning(key));
    QVERIFY(!QFile::exists(dir->filePath("downloads/large-sample.bin.part")));
    QVERIFY(!QFile::exists(dir->filePath("downloads/large-sample.bin")));
    QCOMPARE(QFileInfo(dir->filePath("downloads/large-sample (1).bin")).size(), 127);
    // what becomes of the record is the caller's business
    QCOMPARE(statusOf(key), 1);
}

void tst_HostDownloader::abandonMarksFailed()
{
    site.setLargeRate(256 * 1024);
    const QString key = downloader->start("large-sample.bin", fileUrl("large-sample.bin"));
    QTRY_VERIFY_WITH_TIMEOUT(store->record(key).value("downloadOffset").toDouble() > 0, 20000);
    downloader->abandonAll("the host stopped");
    QCOMPARE(downloader->runningCount(), 0);
    HostStore reloaded(dir->filePath("data"));
    QVERIFY(reloaded.load());
    QCOMPARE(reloaded.record(key).value("status").toInt(), 3);
    QVERIFY(!QFile::exists(dir->filePath("downloads/large-sample.bin")));
    QVERIFY(!QFile::exists(dir->filePath("downloads/large-sample.bin.part")));
}

void tst_HostDownloader::tokenFollowsTheList_data()
{
    QTest::addColumn<QStringList>("hosts");   // "accessTokenHosts"
    QTest::addColumn<QString>("from");        // the host asked
    QTest::addColumn<QString>("to");          // where it redirects; empty: it serves the file
    QTest::addColumn<QList<bool>>("token");   // each request's, in order
    const QStringList listed{QStringLiteral("127.0.0.1")};
    QTest::newRow("no list: every host") << QStringList() << "localhost" << "" << QList<bool>{true};
    QTest::newRow("listed") << listed << "127.0.0.1" << "" << QList<bool>{true};
    QTest::newRow("not listed") << listed << "localhost" << "" << QList<bool>{false};
    QTest::newRow("redirected off the list") << listed << "127.0.0.1" << "localhost" << QList<bool>{true, false};
    QTest::newRow("redirected onto the list") << listed << "localhost" << "127.0.0.1" << QList<bool>{false, true};
    QTest::newRow("no list: redirected anywhere") << QStringList() << "127.0.0.1" << "localhost" << QList<bool>{true, true};
}

// The token goes where the browser would send it, and a redirect never
// takes it to a host off the list.
void tst_HostDownloader::tokenFollowsTheList()
{
    QFETCH(QStringList, hosts);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QList<bool>, token);
    const QString dir = "/" + QString::number(++rows);
    server.setContent(dir + "/file.txt", "the file", "text/plain");
    QUrl target = server.url(dir + "/file.txt");
    target.setHost(to);
    if (!to.isEmpty())
        server.setRedirect(dir + "/moved", 302, target);
    QUrl asked = server.url(dir + (to.isEmpty() ? "/file.txt" : "/moved"));
    asked.setHost(from);
    downloader->setAccessToken("tok-42");
    downloader->setAccessTokenHosts(hosts);
    QSignalSpy finished(downloader.data(), &HostDownloader::finished);
    QSignalSpy warnings(downloader.data(), &HostDownloader::warning);
    const QString key = downloader->start("file.txt", asked);
    QVERIFY(finished.wait(20000));
    QVERIFY2(warnings.isEmpty(), warnings.isEmpty() ? "" : qPrintable(warnings.first().first().toString()));
    QCOMPARE(statusOf(key), 2);
    // The network layer may send a request again on a fresh connection: what
    // counts is that each address was always asked the same way.
    QList<bool> carried;
    QStringList paths;
    for (const SeenRequest &r : server.requests()) {
        if (!r.path.startsWith(dir + "/"))
            continue;
        const bool with = r.headers.value("x-access-token") == "tok-42";
        const int at = paths.indexOf(r.path);
        if (at < 0) {
            paths << r.path;
            carried << with;
        } else {
            QVERIFY2(carried.at(at) == with, qPrintable(r.path));
        }
    }
    QCOMPARE(carried, token);
}

void tst_HostDownloader::uniqueFileName_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free") << QStringList() << "a.txt" << "a.txt";
    QTest::newRow("taken") << QStringList{"a.txt"} << "a.txt" << "a (1).txt";
    QTest::newRow("taken twice") << QStringList{"a.txt", "a (1).txt"} << "a.txt" << "a (2).txt";
    QTest::newRow("gap is reused") << QStringList{"a.txt", "a (2).txt"} << "a.txt" << "a (1).txt";
    QTest::newRow("double suffix") << QStringList{"b.tar.gz"} << "b.tar.gz" << "b (1).tar.gz";
    QTest::newRow("dotted name") << QStringList{"v1.2 notes.pdf"} << "v1.2 notes.pdf" << "v1.2 notes (1).pdf";
    QTest::newRow("no suffix") << QStringList{"README"} << "README" << "README (1)";
    QTest::newRow("hidden file") << QStringList{".env"} << ".env" << ".env (1)";
    QTest::newRow("being downloaded") << QStringList{"a.txt.part"} << "a.txt" << "a (1).txt";
    QTest::newRow("next one being downloaded") << QStringList{"a.txt", "a (1).txt.part"} << "a.txt" << "a (2).txt";
    QTest::newRow("a part of another name") << QStringList{"a.part"} << "a.txt" << "a.txt";
}

void tst_HostDownloader::uniqueFileName()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    for (const QString &e : existing) {
        QFile f(dir->filePath(e));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(HostDownloader::uniqueFileName(QDir(dir->path()), name), expected);
}

void tst_HostDownloader::safeFileName_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "report.pdf" << QUrl("http://h/x") << "report.pdf";
    QTest::newRow("climbing out") << "../../etc/passwd" << QUrl("http://h/x") << ".._.._etc_passwd";
    QTest::newRow("backslashes") << "a\\b.txt" << QUrl("http://h/x") << "a_b.txt";
    QTest::newRow("control characters") << "a\tb\n.txt" << QUrl("http://h/x") << "a_b_.txt";
    QTest::newRow("none: from the address") << "" << QUrl("http://h/files/slides.pdf?x=1") << "slides.pdf";
    QTest::newRow("none anywhere") << " " << QUrl("http://h/") << "download";
    QTest::newRow("dot dot") << ".." << QUrl("http://h/") << "download";
}

void tst_HostDownloader::safeFileName()
{
    QFETCH(QString, suggested);
    QFETCH(QUrl, url);
    QFETCH(QString, expected);
    QCOMPARE(HostDownloader::safeFileName(suggested, url), expected);
}

QTEST_MAIN(tst_HostDownloader)
#include "tst_hostdownloader.moc"
