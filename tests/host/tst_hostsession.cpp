// SPDX-License-Identifier: Apache-2.0
#include "host/hostdownloader.h"
#include "host/hostsession.h"
#include "host/hoststore.h"
#include "host/referencehost.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace ChannelWebBrowser;

// Everything the session wrote, cut back into messages.
static QList<HostMessage> framesOf(const QSignalSpy &spy)
{
    QByteArray all;
    for (const QList<QVariant> &call : spy)
        all += call.at(0).toByteArray();
    HostFramer framer;
    return framer.feed(all);
}

static QByteArray frame(const char *category, const char *subcommand, const QByteArray &payload)
{
    return QByteArray(category) + ':' + subcommand + ':' + payload.toBase64() + ';';
}

class tst_HostSession : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startup_data();
    void startup();
    void answers_data();
    void answers();
    void startDownloadIntoUnwritableFolder_data();
    void startDownloadIntoUnwritableFolder();
    void positionComesBackOnNextStart();
    void feedbackLines_data();
    void feedbackLines();
    void openFileFolder_data();
    void openFileFolder();
    void ignoredMessageWarns();
    void refreshAgainstBrowserStandIn();
    void closingWindowLetsDownloadsFinish();
private:
    HostSession *makeSession(BrowserLink *link, HostStore *store);

    QScopedPointer<QTemporaryDir> dir;
    QScopedPointer<BrowserLink> link;
    QScopedPointer<HostStore> store;
    QScopedPointer<HostDownloader> downloader;
    QScopedPointer<HostSession> session;
    QList<QUrl> opened;
    QStringList copied;
    bool desktop = true;   // whether a browser, file manager and clipboard are there
};

HostSession *tst_HostSession::makeSession(BrowserLink *forLink, HostStore *forStore)
{
    HostSettings settings;
    settings.accessToken = "tok-1";
    settings.userName = "Ann";
    settings.pageUrl = QUrl("http://127.0.0.1:8123/");
    settings.firstWindowRect = "10,20,300,200,0";
    settings.showShare = false;
    auto *s = new HostSession(forLink, forStore, downloader.data(), settings);
    s->setUrlOpener([this](const QUrl &url) { opened << url; return desktop; });
    s->setClipboard([this](const QString &text) {
        if (desktop)
            copied << text;
        return desktop;
    });
    return s;
}

void tst_HostSession::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    store.reset(new HostStore(dir->filePath("data")));
    downloader.reset(new HostDownloader(store.data(), dir->filePath("downloads")));
    session.reset();
    link.reset(new BrowserLink);
    session.reset(makeSession(link.data(), store.data()));
    opened.clear();
    copied.clear();
    desktop = true;

    // one finished download whose file is on disk
    QDir().mkpath(dir->filePath("downloads"));
    QFile file(dir->filePath("downloads/a.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("12345");
    file.close();
    QJsonObject record;
    record.insert("key", "aaaa");
    record.insert("name", "a.txt");
    record.insert("createTime", 1000);
    record.insert("updateTime", 2000);
    record.insert("fileSize", 5);
    record.insert("downloadOffset", 5);
    record.insert("status", 2);
    record.insert("path", file.fileName());
    record.insert("url", "http://127.0.0.1:8123/files/a.txt");
    store->put(record);
}

void tst_HostSession::startup_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("windowsRect");
    QTest::addColumn<bool>("hardened");   // the three hardening keys set
    QTest::newRow("first start") << QString() << "10,20,300,200,0" << false;
    QTest::newRow("saved position") << "5,6,700,500,1" << "5,6,700,500,1" << false;
    QTest::newRow("hardened") << QString() << "10,20,300,200,0" << true;
}

void tst_HostSession::startup()
{
    QFETCH(QString, saved);
    QFETCH(QString, windowsRect);
    QFETCH(bool, hardened);
    if (!saved.isEmpty())
        store->setPosition(saved);
    if (hardened) {
        HostSettings settings;
        settings.pageUrl = QUrl("http://127.0.0.1:8123/");
        settings.firstWindowRect = "10,20,300,200,0";
        settings.accessTokenHosts = QStringList{"127.0.0.1", "*.example.org"};
        settings.strictCertificates = true;
        settings.bridgeOrigins = QStringList{"http://127.0.0.1:8123"};
        settings.externalSchemes = QStringList{"none"};
        session.reset(new HostSession(link.data(), store.data(), downloader.data(), settings));
    }
    QSignalSpy out(link.data(), &BrowserLink::outgoing);
    session->sendStartup();
    const QList<HostMessage> frames = framesOf(out);
    QMap<QString, QString> sent;
    for (const HostMessage &m : frames)
        sent.insert(m.category + ':' + m.subcommand, QString::fromUtf8(m.payload));
    QCOMPARE(sent.value("config:title"), QString("Demo Channel"));
    QCOMPARE(sent.value("config:accessToken"), QString(hardened ? "" : "tok-1"));
    // sent only when set; a host that does not send them sees no change
    QCOMPARE(sent.value("config:accessTokenHosts", "unsent"), QString(hardened ? "127.0.0.1,*.example.org" : "unsent"));
    QCOMPARE(sent.value("config:strictCertificates", "unsent"), QString(hardened ? "1" : "unsent"));
    QCOMPARE(sent.value("config:bridgeOrigins", "unsent"), QString(hardened ? "http://127.0.0.1:8123" : "unsent"));
    QCOMPARE(sent.value("config:externalSchemes", "unsent"), QString(hardened ? "none" : "unsent"));
    QCOMPARE(sent.value("config:pageMenu"), QString("1"));
    QCOMPARE(sent.value("config:pdfViewer"), QString("1"));
    QCOMPARE(sent.value("config:allowPopups"), QString("1"));
    QCOMPARE(sent.value("config:printing", "unsent"), QString("unsent"));
    QCOMPARE(sent.value("config:permissionPolicy"), QString("screen=host"));
    QCOMPARE(sent.value("config:titleBackgroundColor"), QString("38,110,190,255"));
    QCOMPARE(sent.value("config:titleTextHoverColor"), QString("255,214,102,255"));
    QCOMPARE(sent.value("config:webFileText"), QString("Download History"));
    QCOMPARE(sent.value("config:windowsRect"), windowsRect);
    QCOMPARE(sent.value("event:updateOpenOutside"), QString("true"));
    QCOMPARE(sent.value("event:updateCheckChannel"), QString("false"));
    QCOMPARE(sent.value("event:updateStoreToVell"), QString("true"));
    QCOMPARE(sent.value("event:updateShareToFriend"), QString(hardened ? "true" : "false"));
    // the page comes last, when the window can be built from all the rest
    QCOMPARE(frames.last().category + ':' + frames.last().subcommand, QString("event:showUrl"));
    QCOMPARE(frames.last().payload, QByteArray("http://127.0.0.1:8123/"));
}

void tst_HostSession::answers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("answer");       // category:subcommand
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("keysLeft");

    const QByteArray aaaa = R"({"createTime":1000,"downloadOffset":5,"fileExists":true,"fileSize":5,"key":"aaaa","name":"a.txt","status":2,"updateTime":2000})";
    QTest::newRow("getFileList") << frame("webfile", "getFileList", "k1") << "webfile:getFileListRes"
                                 << R"({"data":[)" + aaaa + R"(],"key":"k1"})" << QStringList{"aaaa"};
    QTest::newRow("getDownloadOffset, one unknown file")
        << frame("webfile", "getDownloadOffset", R"({"fileList":["aaaa","nope"],"key":"k2"})") << "webfile:getDownloadOffsetRes"
        << QByteArray(R"({"data":[{"downloadOffset":5,"fileExists":true,"fileSize":5,"key":"aaaa","status":2,"updateTime":2000}],"key":"k2"})")
        << QStringList{"aaaa"};
    QTest::newRow("getDownloadOffset, empty list")
        << frame("webfile", "getDownloadOffset", R"({"fileList":[],"key":"k2"})") << "webfile:getDownloadOffsetRes"
        << QByteArray(R"({"data":[],"key":"k2"})") << QStringList{"aaaa"};
    QTest::newRow("removeHistory") << frame("webfile", "removeHistory", R"({"fileKey":"aaaa","key":"k3"})")
                                   << "webfile:removeHistoryRes" << QByteArray(R"({"fileKey":"aaaa","key":"k3"})") << QStringList();
    QTest::newRow("removeHistory, unknown file") << frame("webfile", "removeHistory", R"({"fileKey":"zz","key":"k3"})")
                                                 << "webfile:removeHistoryRes" << QByteArray(R"({"fileKey":"zz","key":"k3"})")
                                                 << QStringList{"aaaa"};
    QTest::newRow("removeAllHistory") << frame("webfile", "removeAllHistory", R"({"key":"k4"})")
                                      << "webfile:removeAllHistoryRes" << QByteArray(R"({"key":"k4"})") << QStringList();
    QTest::newRow("restartDownload, unknown file") << frame("webfile", "restartDownload", R"({"fileKey":"zz","key":"k6"})")
                                                   << "webfile:restartDownloadRes" << QByteArray(R"({"fileKey":"zz","key":"k6"})")
                                                   << QStringList{"aaaa"};
    QTest::newRow("currentuserinfo") << frame("iq", "currentuserinfo", "k5") << "iq:currentuserinfoRes"
                                     << QByteArray(R"({"info":"{\"channel\":\"demo-channel\",\"name\":\"Ann\",\"userId\":\"user-82e335f7\"}","key":"k5"})")
                                     << QStringList{"aaaa"};
    QTest::newRow("permission, the demo site's screen")
        << frame("iq", "permission", R"({"feature":"screen","key":"k7","origin":"http://127.0.0.1:8123"})")
        << "iq:permissionRes" << QByteArray(R"({"answer":"allow","key":"k7"})") << QStringList{"aaaa"};
    QTest::newRow("permission, another site's screen")
        << frame("iq", "permission", R"({"feature":"screen","key":"k8","origin":"http://127.0.0.1:9999"})")
        << "iq:permissionRes" << QByteArray(R"({"answer":"deny","key":"k8"})") << QStringList{"aaaa"};
}

void tst_HostSession::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, answer);
    QFETCH(QByteArray, json);
    QFETCH(QStringList, keysLeft);
    QSignalSpy out(link.data(), &BrowserLink::outgoing);
    link->receive(request);
    const QList<HostMessage> frames = framesOf(out);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.at(0).category + ':' + frames.at(0).subcommand, answer);
    QCOMPARE(frames.at(0).payload, json);
    QStringList keys;
    for (const QJsonObject &r : store->records())
        keys << r.value("key").toString();
    QCOMPARE(keys, keysLeft);
    // history is forgotten, files are not
    QVERIFY(QFile::exists(dir->filePath("downloads/a.txt")));
}

void tst_HostSession::startDownloadIntoUnwritableFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("info");
    QTest::newRow("short name") << "report.pdf" << "Could not download report.pdf - see Download History";
    QTest::newRow("long name keeps both ends") << "a-very-long-quarterly-report-2024.pdf"
                                               << QString::fromUtf8("Could not download a-very-long-q\u2026ort-2024.pdf - see Download History");
}

void tst_HostSession::startDownloadIntoUnwritableFolder()
{
    QFETCH(QString, name);
    QFETCH(QString, info);
    // A folder below a plain file cannot be made, not even by root.
    QFile blocker(dir->filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    HostDownloader blocked(store.data(), dir->filePath("blocker/downloads"));
    HostSettings settings;
    BrowserLink blockedLink;
    HostSession s(&blockedLink, store.data(), &blocked, settings);
    QSignalSpy out(&blockedLink, &BrowserLink::outgoing);
    QSignalSpy warnings(&blocked, &HostDownloader::warning);

    blockedLink.receive(frame("webfile", "startDownload", R"({"key":"k7","name":")" + name.toUtf8() + R"(","url":"http://127.0.0.1:9/x"})"));

    const QList<HostMessage> frames = framesOf(out);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.at(0).subcommand, QString("startDownloadRes"));
    const QJsonObject answer = QJsonDocument::fromJson(frames.at(0).payload).object();
    QCOMPARE(answer.value("info").toString(), info);
    QCOMPARE(answer.value("key").toString(), QString("k7"));
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.at(0).at(0).toString().startsWith("download failed: " + name + ": cannot create the download folder"),
             qPrintable(warnings.at(0).at(0).toString()));
    const QList<QJsonObject> records = store->records();
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(0).value("name").toString(), name);
    QCOMPARE(records.at(0).value("status").toInt(), 3);
    QCOMPARE(HostStore::answerRecord(records.at(0)).value("fileExists").toBool(), false);
}

void tst_HostSession::positionComesBackOnNextStart()
{
    QSignalSpy saved(session.data(), &HostSession::positionSaved);
    link->receive(frame("feedback", "savePosition", "100,50,800,600,1"));
    QCOMPARE(saved.size(), 1);

    HostStore next(dir->filePath("data"));
    QVERIFY(next.load());
    BrowserLink nextLink;
    QScopedPointer<HostSession> again(makeSession(&nextLink, &next));
    QSignalSpy out(&nextLink, &BrowserLink::outgoing);
    again->sendStartup();
    QStringList rects;
    for (const HostMessage &m : framesOf(out))
        if (m.category == "config" && m.subcommand == "windowsRect")
            rects << QString::fromUtf8(m.payload);
    QCOMPARE(rects, QStringList{"100,50,800,600,1"});
}

// "category:subcommand payload" of everything the session wrote.
static QStringList sentOf(const QSignalSpy &spy)
{
    QStringList sent;
    for (const HostMessage &m : framesOf(spy))
        sent << m.category + ':' + m.subcommand + ' ' + QString::fromUtf8(m.payload);
    return sent;
}

void tst_HostSession::feedbackLines_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("desktop");
    QTest::addColumn<QStringList>("lines");   // on stdout
    QTest::addColumn<QList<QUrl>>("opens");
    QTest::addColumn<QStringList>("sent");    // what goes back to the browser
    QTest::addColumn<QStringList>("clipboard");   // what the clipboard took
    QTest::addColumn<QStringList>("collection");  // in the history file afterwards
    // The page shown last is http://127.0.0.1:8123/later; the first page was /.
    const QString later = "http://127.0.0.1:8123/later";
    QTest::newRow("refresh shows the last page again") << frame("feedback", "refresh", "") << true
        << QStringList{"button: refresh"} << QList<QUrl>() << QStringList{"event:showUrl " + later}
        << QStringList() << QStringList();
    QTest::newRow("collect") << frame("feedback", "storeToVell", "") << true
        << QStringList{"button: storeToVell", "collected " + later} << QList<QUrl>()
        << QStringList{"event:showBoxMessage Added to your collection: " + later}
        << QStringList() << QStringList{later};
    QTest::newRow("collect twice") << frame("feedback", "storeToVell", "") + frame("feedback", "storeToVell", "") << true
        << QStringList{"button: storeToVell", "collected " + later, "button: storeToVell"} << QList<QUrl>()
        << QStringList{"event:showBoxMessage Added to your collection: " + later,
                       "event:showBoxMessage Already in your collection: " + later}
        << QStringList() << QStringList{later};
    QTest::newRow("share") << frame("feedback", "share", "") << true << QStringList{"button: share"} << QList<QUrl>()
        << QStringList{"event:showBoxMessage Link copied - paste it to share: " + later}
        << QStringList{later} << QStringList();
    QTest::newRow("share without a clipboard") << frame("feedback", "share", "") << false << QStringList{"button: share"}
        << QList<QUrl>() << QStringList{"event:showBoxMessage Could not copy the link: there is no clipboard on this desktop"}
        << QStringList() << QStringList();
    QTest::newRow("open outside") << frame("feedback", "openOutside", "") << true << QStringList{"button: openOutside"}
        << QList<QUrl>{QUrl(later)} << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("open outside without a browser") << frame("feedback", "openOutside", "") << false
        << QStringList{"button: openOutside"} << QList<QUrl>{QUrl(later)}
        << QStringList{"event:showBoxMessage Could not open " + later + " in a web browser: none is set up on this desktop"}
        << QStringList() << QStringList();
    // A browser that reports pages names the one the user followed a link to.
    const QString followed = "http://127.0.0.1:8123/followed";
    QTest::newRow("refresh on the page the user is on") << frame("feedback", "refresh", followed.toUtf8()) << true
        << QStringList{"button: refresh"} << QList<QUrl>() << QStringList{"event:showUrl " + followed}
        << QStringList() << QStringList();
    QTest::newRow("collect the page the user is on") << frame("feedback", "storeToVell", followed.toUtf8()) << true
        << QStringList{"button: storeToVell", "collected " + followed} << QList<QUrl>()
        << QStringList{"event:showBoxMessage Added to your collection: " + followed}
        << QStringList() << QStringList{followed};
    QTest::newRow("open outside the page the user is on") << frame("feedback", "openOutside", followed.toUtf8()) << true
        << QStringList{"button: openOutside"} << QList<QUrl>{QUrl(followed)} << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("channel") << frame("feedback", "channel", "") << true << QStringList{"button: channel"} << QList<QUrl>() << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("go to channel") << frame("feedback", "gotoChannel", "demo-channel") << true
        << QStringList{"button: gotoChannel demo-channel"} << QList<QUrl>() << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("page log, non-ascii") << frame("feedback", "receiveLog", QString::fromUtf8("grüße from the page").toUtf8()) << true
        << QStringList{QString::fromUtf8("browser log: grüße from the page")} << QList<QUrl>() << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("position") << frame("feedback", "savePosition", "-8,0,1024,768,0") << true
        << QStringList{"window position: -8,0,1024,768,0"} << QList<QUrl>() << QStringList()
        << QStringList() << QStringList();
}

void tst_HostSession::feedbackLines()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, desktop);
    QFETCH(QStringList, lines);
    QFETCH(QList<QUrl>, opens);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, clipboard);
    QFETCH(QStringList, collection);
    this->desktop = desktop;
    session->sendStartup();
    session->showUrl(QUrl("http://127.0.0.1:8123/later"));
    QSignalSpy notes(session.data(), &HostSession::note);
    QSignalSpy out(link.data(), &BrowserLink::outgoing);
    link->receive(message);
    QStringList said;
    for (const QList<QVariant> &note : notes)
        said << note.at(0).toString();
    QCOMPARE(said, lines);
    QCOMPARE(opened, opens);
    QCOMPARE(sentOf(out), sent);
    QCOMPARE(copied, clipboard);
    HostStore reloaded(dir->filePath("data"));
    QVERIFY(reloaded.load());
    QCOMPARE(reloaded.collected(), collection);
}

void tst_HostSession::openFileFolder_data()
{
    QTest::addColumn<bool>("folderThere");
    QTest::addColumn<bool>("desktop");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("box");   // %1: the folder
    QTest::newRow("opened") << true << true << true << QString();
    QTest::newRow("no file manager") << true << false << true << "Could not open %1: no file manager is set up on this desktop";
    QTest::newRow("folder gone") << false << true << false << "The folder %1 does not exist any more";
}

void tst_HostSession::openFileFolder()
{
    QFETCH(bool, folderThere);
    QFETCH(bool, desktop);
    QFETCH(bool, opens);
    QFETCH(QString, box);
    this->desktop = desktop;
    const QString folder = dir->filePath("downloads");
    if (!folderThere)
        QVERIFY(QDir(folder).removeRecursively());
    QSignalSpy out(link.data(), &BrowserLink::outgoing);
    link->receive(frame("webfile", "openFileFolder", "aaaa"));
    QCOMPARE(opened, opens ? QList<QUrl>{QUrl::fromLocalFile(folder)} : QList<QUrl>());
    QCOMPARE(sentOf(out), box.isEmpty() ? QStringList() : QStringList{"event:showBoxMessage " + box.arg(folder)});
}

void tst_HostSession::ignoredMessageWarns()
{
    QSignalSpy warned(session.data(), &HostSession::warning);
    QSignalSpy out(link.data(), &BrowserLink::outgoing);
    link->receive(frame("webfile", "removeHistory", R"({"key":"k"})"));
    QCOMPARE(warned.size(), 1);
    QCOMPARE(warned.at(0).at(0).toString(), QString("ignored message \"webfile:removeHistory\": no request key or file key"));
    QCOMPARE(out.size(), 0);
    QCOMPARE(store->records().size(), 1);
}

namespace {

// reference-host with a stand-in for the browser: a program that only waits
// until its input closes, started by the host like the browser, and a local
// socket in this test that speaks for it on the host's endpoint.
struct StandInSession
{
    QTemporaryDir folder;
    QScopedPointer<ReferenceHost> host;
    QLocalSocket browser;
    QByteArray received;

    bool start(const QString &dataDir)
    {
        const QString path = folder.filePath("channel-web-browser");
        QFile program(path);
        if (!program.open(QIODevice::WriteOnly))
            return false;
        program.write("#!/bin/sh\nread line\nexit 0\n");
        program.close();
        program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
        HostOptions options;
        options.browserPath = path;
        options.dataDir = dataDir + "/data";
        options.downloadDir = dataDir + "/downloads";
        host.reset(new ReferenceHost(options));
        if (!host->start())
            return false;
        QObject::connect(&browser, &QLocalSocket::readyRead, &browser, [this] { received += browser.readAll(); });
        browser.connectToServer(host->endpoint());
        return browser.waitForConnected(5000);
    }
    QStringList shownUrls() const
    {
        QStringList urls;
        HostFramer framer;
        for (const HostMessage &m : framer.feed(received))
            if (m.category == "event" && m.subcommand == "showUrl")
                urls << QString::fromUtf8(m.payload);
        return urls;
    }
    // What a user closing the window looks like to the host.
    void closeWindow()
    {
        browser.disconnectFromServer();
        host->browser().closeWriteChannel();
    }
};

}

void tst_HostSession::refreshAgainstBrowserStandIn()
{
    StandInSession s;
    QVERIFY(s.start(dir->path()));
    QTRY_COMPARE(s.shownUrls().size(), 1);
    const QString demo = s.shownUrls().at(0);
    QCOMPARE(demo, s.host->site().url().toString());
    s.browser.write("feedback:refresh:;");
    QTRY_COMPARE(s.shownUrls(), (QStringList{demo, demo}));
    // the page the host showed last, not the first one
    s.host->session()->showUrl(QUrl("http://127.0.0.1:9/other"));
    s.browser.write("feedback:refresh:;");
    QTRY_COMPARE(s.shownUrls(), (QStringList{demo, demo, "http://127.0.0.1:9/other", "http://127.0.0.1:9/other"}));
    s.closeWindow();
    s.host->shutdown();
    QCOMPARE(s.host->browser().exitCode(), 0);
}

void tst_HostSession::closingWindowLetsDownloadsFinish()
{
    StandInSession s;
    QVERIFY(s.start(dir->path()));
    s.host->site().setLargeRate(2 * 1024 * 1024);   // about 4 s for the 8 MiB
    QSignalSpy notes(s.host.data(), &ReferenceHost::note);
    QSignalSpy finished(s.host.data(), &ReferenceHost::finished);
    const QByteArray url = s.host->site().url().resolved(QUrl("/files/large-sample.bin")).toEncoded();
    s.browser.write(frame("webfile", "startDownload", R"({"key":"k1","name":"large-sample.bin","url":")" + url + "\"}"));
    const QString file = dir->filePath("downloads/large-sample.bin");
    // while it runs, only the ".part" is there
    QTRY_VERIFY(QFileInfo(file + ".part").size() > 0);
    QVERIFY(!QFile::exists(file));

    s.closeWindow();
    QTRY_COMPARE(s.host->browser().state(), QProcess::NotRunning);
    QCOMPARE(s.host->downloader().runningCount(), 1);
    QCOMPARE(finished.count(), 0);
    QVERIFY(notes.contains(QList<QVariant>{QString("the window is closed; finishing 1 running download(s) first (Ctrl-C cancels them)")}));

    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QCOMPARE(QFileInfo(file).size(), DemoSite::kLargeSize);
    QVERIFY(!QFile::exists(file + ".part"));
    HostStore onDisk(dir->filePath("data"));
    QVERIFY(onDisk.load());
    QCOMPARE(onDisk.records().size(), 2);   // with init()'s own record
    QCOMPARE(onDisk.records().at(0).value("name").toString(), QString("large-sample.bin"));
    QCOMPARE(onDisk.records().at(0).value("status").toInt(), 2);
    s.host->shutdown();
}

QTEST_GUILESS_MAIN(tst_HostSession)
#include "tst_hostsession.moc"
