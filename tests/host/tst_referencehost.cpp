// SPDX-License-Identifier: Apache-2.0
#include "host/referencehost.h"
#include "tests/support/browserprocess.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

using namespace ChannelWebBrowser;

// reference-host with the real browser and its own demo site, all of it
// started once: the tests run in order, as one session of a person.
class tst_ReferenceHost : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pageSawTokenAndUser();
    void downloadFromThePage();
    void failingDownload();
    void historyReportsDeletedFile();
    void removeAndCleanAll();
    void pageMadeDownload();
    void otherLocalFilesRefused();
    void positionComesBackOnNextStart();
    void screenshotEndsTheRun();
    void cleanupTestCase();
private:
    QJsonObject lastAnswer(const QString &subcommand) const;
    void request(const char *subcommand, const QByteArray &payload);

    BrowserProcess browserCopy;   // our own folder, so our own endpoint
    QTemporaryDir dir;
    QScopedPointer<ReferenceHost> host;
    QScopedPointer<QSignalSpy> notes;
    QScopedPointer<QSignalSpy> outgoing;
    QString readyDetail;
    QString notesKey;
    QString madePath;   // where the browser wrote the page-made file
};

QJsonObject tst_ReferenceHost::lastAnswer(const QString &subcommand) const
{
    QByteArray all;
    for (const QList<QVariant> &call : *outgoing)
        all += call.at(0).toByteArray();
    HostFramer framer;
    QJsonObject last;
    for (const HostMessage &m : framer.feed(all))
        if (m.subcommand == subcommand)
            last = QJsonDocument::fromJson(m.payload).object();
    return last;
}

void tst_ReferenceHost::request(const char *subcommand, const QByteArray &payload)
{
    host->browserLink().receive(QByteArray("webfile:") + subcommand + ':' + payload.toBase64() + ';');
}

void tst_ReferenceHost::initTestCase()
{
    QVERIFY(browserCopy.isValid());
    QVERIFY(dir.isValid());
    HostOptions options;
    options.browserPath = browserCopy.executable();
    options.dataDir = dir.filePath("data");
    options.downloadDir = dir.filePath("downloads");
    options.token = "tok-e2e";
    options.userName = "Test User";
    host.reset(new ReferenceHost(options));
    notes.reset(new QSignalSpy(host.data(), &ReferenceHost::note));
    QSignalSpy connected(host.data(), &ReferenceHost::browserConnected);
    connect(&host->site(), &DemoSite::beacon, this, [this](const QString &event, const QString &detail) {
        if (event == "ready")
            readyDetail = detail;
    });
    QVERIFY2(host->start(), qPrintable(host->errorString()));
    QCOMPARE(host->endpoint(), browserCopy.firstEndpoint());
    QVERIFY(connected.wait(30000));
    QVERIFY(host->session());
    outgoing.reset(new QSignalSpy(&host->browserLink(), &BrowserLink::outgoing));
    // The page reports back once its bridge has fetched the current user.
    QTRY_VERIFY_WITH_TIMEOUT(!readyDetail.isEmpty(), 60000);
}

void tst_ReferenceHost::pageSawTokenAndUser()
{
    QCOMPARE(host->site().lastAccessToken(), QString("tok-e2e"));
    const QJsonObject user = QJsonDocument::fromJson(readyDetail.toUtf8()).object();
    QCOMPARE(user.value("name").toString(), QString("Test User"));
    QCOMPARE(user.value("userId").toString(), QString("user-be092a41"));
    // the page's log line went browser -> host
    QTRY_VERIFY_WITH_TIMEOUT(notes->contains(QList<QVariant>{QString("browser log: demo page loaded")}), 10000);
}

void tst_ReferenceHost::downloadFromThePage()
{
    // The page clicks its own link: the browser hands the download over.
    QSignalSpy finished(&host->downloader(), &HostDownloader::finished);
    QUrl url = host->site().url();
    url.setQuery("download=notes.txt");
    host->session()->showUrl(url);
    QVERIFY(finished.wait(60000));
    notesKey = finished.at(0).at(0).toString();
    QCOMPARE(finished.at(0).at(1).toInt(), 2);

    const QJsonObject record = host->store().record(notesKey);
    QCOMPARE(record.value("name").toString(), QString("notes.txt"));
    QCOMPARE(record.value("fileSize").toInt(), 127);
    QFile saved(dir.filePath("downloads/notes.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Md5).toHex(), QByteArray("a310e3bd314f1d806be0314d89f107f5"));
    QCOMPARE(lastAnswer("startDownloadRes").value("info").toString(), QString("Downloading notes.txt - see Download History"));
}

void tst_ReferenceHost::failingDownload()
{
    QSignalSpy finished(&host->downloader(), &HostDownloader::finished);
    QUrl url = host->site().url().resolved(QUrl("/files/broken-transfer.zip"));
    request("startDownload", R"({"key":"e2ekey1","name":"broken-transfer.zip","url":")" + url.toEncoded() + "\"}");
    QCOMPARE(lastAnswer("startDownloadRes").value("key").toString(), QString("e2ekey1"));
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.at(0).at(1).toInt(), 3);
    QCOMPARE(host->store().record(finished.at(0).at(0).toString()).value("status").toInt(), 3);
    QVERIFY(!QFile::exists(dir.filePath("downloads/broken-transfer.zip")));
}

void tst_ReferenceHost::historyReportsDeletedFile()
{
    request("getFileList", "e2ekey2");
    QJsonObject answer = lastAnswer("getFileListRes");
    QCOMPARE(answer.value("key").toString(), QString("e2ekey2"));
    QJsonArray data = answer.value("data").toArray();
    QCOMPARE(data.size(), 2);
    QCOMPARE(data.at(0).toObject().value("name").toString(), QString("broken-transfer.zip"));
    QCOMPARE(data.at(0).toObject().value("status").toInt(), 3);
    QCOMPARE(data.at(1).toObject().value("key").toString(), notesKey);
    QCOMPARE(data.at(1).toObject().value("fileExists").toBool(), true);

    QVERIFY(QFile::remove(dir.filePath("downloads/notes.txt")));
    request("getDownloadOffset", R"({"fileList":[")" + notesKey.toLatin1() + R"("],"key":"e2ekey3"})");
    answer = lastAnswer("getDownloadOffsetRes");
    QCOMPARE(answer.value("key").toString(), QString("e2ekey3"));
    data = answer.value("data").toArray();
    QCOMPARE(data.size(), 1);
    QCOMPARE(data.at(0).toObject().value("fileExists").toBool(), false);
    QCOMPARE(data.at(0).toObject().value("status").toInt(), 2);
}

void tst_ReferenceHost::removeAndCleanAll()
{
    request("removeHistory", R"({"fileKey":")" + notesKey.toLatin1() + R"(","key":"e2ekey4"})");
    QCOMPARE(lastAnswer("removeHistoryRes").value("fileKey").toString(), notesKey);
    QVERIFY(!host->store().contains(notesKey));
    QCOMPARE(host->store().records().size(), 1);

    request("removeAllHistory", R"({"key":"e2ekey5"})");
    QCOMPARE(lastAnswer("removeAllHistoryRes").value("key").toString(), QString("e2ekey5"));
    HostStore onDisk(dir.filePath("data"));
    QVERIFY(onDisk.load());
    QCOMPARE(onDisk.records().size(), 0);
}

void tst_ReferenceHost::pageMadeDownload()
{
    // The page makes a CSV from a Blob and clicks its own link to it: the
    // browser writes the file and the host copies it from there.
    QSignalSpy finished(&host->downloader(), &HostDownloader::finished);
    QUrl url = host->site().url();
    url.setQuery("download=page-made.csv");
    host->session()->showUrl(url);
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.at(0).at(1).toInt(), 2);
    const QJsonObject record = host->store().record(finished.at(0).at(0).toString());
    QCOMPARE(record.value("name").toString(), QString("page-made.csv"));
    const QUrl handed(record.value("url").toString());
    QVERIFY2(handed.isLocalFile(), qPrintable(handed.toString()));
    madePath = handed.toLocalFile();
    QFile saved(dir.filePath("downloads/page-made.csv"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("item,count\nnotes,1\nsamples,3\n"));
}

void tst_ReferenceHost::otherLocalFilesRefused()
{
    // Only files inside the browser's own scratch folder are copied.
    QTemporaryDir elsewhere;
    QFile secret(elsewhere.filePath("secret.txt"));
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write("secret") == 6);
    secret.close();
    QFile link(QFileInfo(madePath).dir().filePath("link.txt"));
    QVERIFY(QFile::link(secret.fileName(), link.fileName()));
    const QStringList names{secret.fileName(), link.fileName(), "/etc/hostname"};
    for (const QString &path : names) {
        QSignalSpy finished(&host->downloader(), &HostDownloader::finished);
        const QByteArray file = QUrl::fromLocalFile(path).toEncoded();
        request("startDownload", R"({"key":"e2ekey6","name":"copied.txt","url":")" + file + "\"}");
        QVERIFY(finished.count() == 1 || finished.wait(10000));
        QVERIFY2(finished.at(0).at(1).toInt() == 3, qPrintable(path));
    }
    QVERIFY(!QFile::exists(dir.filePath("downloads/copied.txt")));
}

void tst_ReferenceHost::positionComesBackOnNextStart()
{
    // The browser only reports a window that moved away from where we put
    // it, which nothing does here; report one as it would.
    const QString position = "120,80,900,700,0";
    host->browserLink().receive("feedback:savePosition:" + position.toLatin1().toBase64() + ';');
    QCOMPARE(host->store().position(), position);

    host->shutdown();
    QCOMPARE(host->browser().state(), QProcess::NotRunning);
    QCOMPARE(host->browser().exitStatus(), QProcess::NormalExit);
    QCOMPARE(host->browser().exitCode(), 0);
    // What the page made went with the browser.
    QVERIFY(!madePath.isEmpty());
    QVERIFY(!QFileInfo::exists(madePath));
    QVERIFY(!QFileInfo::exists(QFileInfo(madePath).dir().path()));

    HostStore next(dir.filePath("data"));
    QVERIFY(next.load());
    HostDownloader downloader(&next, dir.filePath("downloads"));
    BrowserLink link;
    HostSession session(&link, &next, &downloader, HostSettings());
    QSignalSpy out(&link, &BrowserLink::outgoing);
    session.sendStartup();
    QByteArray all;
    for (const QList<QVariant> &call : out)
        all += call.at(0).toByteArray();
    QVERIFY2(all.contains("config:windowsRect:" + position.toLatin1().toBase64() + ';'), qPrintable(position));
}

// scripts/run --screenshot: once the page has said it is ready, the screen
// is taken and the run ends with 0. ImageMagick's "import" is played by a
// script that writes the file it is given; the browser draws offscreen.
void tst_ReferenceHost::screenshotEndsTheRun()
{
    QTemporaryDir bin;
    QFile import(bin.filePath("import"));
    QVERIFY(import.open(QIODevice::WriteOnly));
    import.write("#!/bin/sh\necho picture > \"$3\"\n");
    import.close();
    import.setPermissions(import.permissions() | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH"), display = qgetenv("DISPLAY");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);
    qputenv("DISPLAY", ":0");
    // A browser of its own: the first host, still running, keeps its endpoint.
    BrowserProcess shotCopy;
    QVERIFY(shotCopy.isValid());
    HostOptions options;
    options.browserPath = shotCopy.executable();
    options.dataDir = dir.filePath("shot-data");
    options.downloadDir = dir.filePath("shot-downloads");
    options.screenshotFile = dir.filePath("shot.png");
    ReferenceHost shooting(options);
    QSignalSpy finished(&shooting, &ReferenceHost::finished);
    QSignalSpy warnings(&shooting, &ReferenceHost::warning);
    QVERIFY2(shooting.start(), qPrintable(shooting.errorString()));
    const bool ended = finished.wait(60000);
    qputenv("PATH", path);
    qputenv("DISPLAY", display);
    shooting.shutdown();
    QVERIFY2(ended, qPrintable(warnings.isEmpty() ? QString() : warnings.constLast().at(0).toString()));
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QCOMPARE(finished.size(), 1);
    QVERIFY(QFileInfo(options.screenshotFile).size() > 0);
}

void tst_ReferenceHost::cleanupTestCase()
{
    if (host)
        host->shutdown();
}

QTEST_MAIN(tst_ReferenceHost)
#include "tst_referencehost.moc"
