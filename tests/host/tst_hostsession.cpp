#include "host/hostdownloader.h"
#include "host/hostsession.h"
#include "host/hoststore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

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
    void openFileFolder();
    void malformed_data();
    void malformed();
private:
    HostSession *makeSession(HostStore *store);

    QScopedPointer<QTemporaryDir> dir;
    QScopedPointer<HostStore> store;
    QScopedPointer<HostDownloader> downloader;
    QScopedPointer<HostSession> session;
    QList<QUrl> opened;
};

HostSession *tst_HostSession::makeSession(HostStore *forStore)
{
    HostSettings settings;
    settings.accessToken = "tok-1";
    settings.userName = "Ann";
    settings.pageUrl = QUrl("http://127.0.0.1:8123/");
    settings.firstWindowRect = "10,20,300,200,0";
    settings.showShare = false;
    auto *s = new HostSession(forStore, downloader.data(), settings);
    s->setUrlOpener([this](const QUrl &url) { opened << url; return true; });
    return s;
}

void tst_HostSession::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    store.reset(new HostStore(dir->filePath("data")));
    downloader.reset(new HostDownloader(store.data(), dir->filePath("downloads")));
    session.reset(makeSession(store.data()));
    opened.clear();

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
        settings.accessTokenHosts = "127.0.0.1";
        settings.strictCertificates = "1";
        settings.bridgeOrigins = "http://127.0.0.1:8123";
        session.reset(new HostSession(store.data(), downloader.data(), settings));
    }
    QSignalSpy out(session.data(), &HostSession::outgoing);
    session->sendStartup();
    const QList<HostMessage> frames = framesOf(out);
    QMap<QString, QString> sent;
    for (const HostMessage &m : frames)
        sent.insert(m.category + ':' + m.subcommand, QString::fromUtf8(m.payload));
    QCOMPARE(sent.value("config:title"), QString("Demo Channel"));
    QCOMPARE(sent.value("config:accessToken"), QString(hardened ? "" : "tok-1"));
    // sent only when set; a host that does not send them sees no change
    QCOMPARE(sent.value("config:accessTokenHosts", "unsent"), QString(hardened ? "127.0.0.1" : "unsent"));
    QCOMPARE(sent.value("config:strictCertificates", "unsent"), QString(hardened ? "1" : "unsent"));
    QCOMPARE(sent.value("config:bridgeOrigins", "unsent"), QString(hardened ? "http://127.0.0.1:8123" : "unsent"));
    QCOMPARE(sent.value("config:titleBackgroundColor"), QString("38,110,190,255"));
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
}

void tst_HostSession::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, answer);
    QFETCH(QByteArray, json);
    QFETCH(QStringList, keysLeft);
    QSignalSpy out(session.data(), &HostSession::outgoing);
    session->receive(request);
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
    HostSession s(store.data(), &blocked, settings);
    QSignalSpy out(&s, &HostSession::outgoing);
    QSignalSpy warnings(&blocked, &HostDownloader::warning);

    s.receive(frame("webfile", "startDownload", R"({"key":"k7","name":")" + name.toUtf8() + R"(","url":"http://127.0.0.1:9/x"})"));

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
    session->receive(frame("feedback", "savePosition", "100,50,800,600,1"));
    QCOMPARE(saved.size(), 1);

    HostStore next(dir->filePath("data"));
    QVERIFY(next.load());
    QScopedPointer<HostSession> again(makeSession(&next));
    QSignalSpy out(again.data(), &HostSession::outgoing);
    again->sendStartup();
    QStringList rects;
    for (const HostMessage &m : framesOf(out))
        if (m.category == "config" && m.subcommand == "windowsRect")
            rects << QString::fromUtf8(m.payload);
    QCOMPARE(rects, QStringList{"100,50,800,600,1"});
}

void tst_HostSession::feedbackLines_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QList<QUrl>>("opens");
    QTest::newRow("refresh") << frame("feedback", "refresh", "") << "button: refresh" << QList<QUrl>();
    QTest::newRow("collect") << frame("feedback", "storeToVell", "") << "button: storeToVell" << QList<QUrl>();
    QTest::newRow("share") << frame("feedback", "share", "") << "button: share" << QList<QUrl>();
    QTest::newRow("channel") << frame("feedback", "channel", "") << "button: channel" << QList<QUrl>();
    QTest::newRow("open outside") << frame("feedback", "openOutside", "") << "button: openOutside"
                                  << QList<QUrl>{QUrl("http://127.0.0.1:8123/")};
    QTest::newRow("go to channel") << frame("feedback", "gotoChannel", "demo-channel") << "button: gotoChannel demo-channel"
                                   << QList<QUrl>();
    QTest::newRow("page log, non-ascii") << frame("feedback", "receiveLog", QString::fromUtf8("grüße from the page").toUtf8())
                                         << QString::fromUtf8("browser log: grüße from the page") << QList<QUrl>();
    QTest::newRow("position") << frame("feedback", "savePosition", "-8,0,1024,768,0") << "window position: -8,0,1024,768,0"
                              << QList<QUrl>();
}

void tst_HostSession::feedbackLines()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, line);
    QFETCH(QList<QUrl>, opens);
    QSignalSpy notes(session.data(), &HostSession::note);
    QSignalSpy out(session.data(), &HostSession::outgoing);
    session->receive(message);
    QCOMPARE(notes.size(), 1);
    QCOMPARE(notes.at(0).at(0).toString(), line);
    QCOMPARE(opened, opens);
    QCOMPARE(out.size(), 0);   // feedback is never answered
}

void tst_HostSession::openFileFolder()
{
    session->receive(frame("webfile", "openFileFolder", "aaaa"));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(dir->filePath("downloads"))});
}

void tst_HostSession::malformed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("warnings");
    QTest::newRow("one field") << QByteArray("garbage;") << 1;
    QTest::newRow("two fields") << QByteArray("webfile:getFileList;") << 1;
    QTest::newRow("unknown category") << frame("bogus", "thing", "x") << 1;
    QTest::newRow("unknown subcommand") << frame("webfile", "formatDisk", "x") << 1;
    QTest::newRow("answer keyword from the wrong side") << frame("webfile", "getFileListRes", "{}") << 1;
    QTest::newRow("list without key") << frame("webfile", "getFileList", "") << 1;
    QTest::newRow("user info without key") << frame("iq", "currentuserinfo", "  ") << 1;
    QTest::newRow("bad json") << frame("webfile", "getDownloadOffset", "{not json") << 1;
    QTest::newRow("json array") << frame("webfile", "removeAllHistory", "[1,2]") << 1;
    QTest::newRow("remove without file key") << frame("webfile", "removeHistory", R"({"key":"k"})") << 1;
    QTest::newRow("position of three numbers") << frame("feedback", "savePosition", "1,2,3") << 1;
    QTest::newRow("position with words") << frame("feedback", "savePosition", "a,b,300,200") << 1;
    QTest::newRow("binary noise") << QByteArray("\xff\xfe:\x00\x01:\x80;", 8) << 1;
}

void tst_HostSession::malformed()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, warnings);
    QSignalSpy warned(session.data(), &HostSession::warning);
    QSignalSpy out(session.data(), &HostSession::outgoing);
    session->receive(bytes);
    QCOMPARE(warned.size(), warnings);
    QCOMPARE(out.size(), 0);
    QCOMPARE(store->records().size(), 1);
    QCOMPARE(store->position(), QString());
    // still answering afterwards
    session->receive(frame("webfile", "removeAllHistory", R"({"key":"k9"})"));
    QCOMPARE(framesOf(out).size(), 1);
    QCOMPARE(framesOf(out).at(0).payload, QByteArray(R"({"key":"k9"})"));
}

QTEST_GUILESS_MAIN(tst_HostSession)
#include "tst_hostsession.moc"
