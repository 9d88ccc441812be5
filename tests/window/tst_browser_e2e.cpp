#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "webtestkit.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

// The built browser against a fake host and pages served on 127.0.0.1. One
// browser process runs through the functions in order; the last one hangs up.
class tst_BrowserE2E : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void showUrlLoadsWithToken();
    void downloadIsHandedToHost();
    void historyPanelAsksTheHost();
    void hangUpWhileUserInfoWaits();
private:
    void show(const QString &path) { host->send("event", "showUrl", server.url(path).toString()); }
    PageServer server;
    QScopedPointer<BrowserProcess> browser;
    QScopedPointer<FakeHost> host;
};

static const char kBridgePage[] =
    "<html><head><script src='/qwebchannel.js'></script></head><body><script>"
    "new QWebChannel(qt.webChannelTransport, function (channel) {"
    "  document.title = 'asking';"
    "  var info = channel.objects.jsbridge.getCurrentUserInfo(function (v) { document.title = 'got:' + v; });"
    "});"
    "</script></body></html>";

static const char kDownloadPage[] =
    "<html><body><a id='a' href='/files/report.pdf' download>report</a><script>"
    "window.onload = function () {"
    "  var a = document.getElementById('a');"
    "  a.click();"
    "  setTimeout(function () { a.click(); }, 100);"   // inside the 300 ms guard
    "};"
    "</script></body></html>";

void tst_BrowserE2E::initTestCase()
{
    QFile channelScript(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    QVERIFY(channelScript.open(QIODevice::ReadOnly));
    server.setContent("/qwebchannel.js", channelScript.readAll(), "application/javascript");
    server.setContent("/bridge.html", kBridgePage, "text/html");
    server.setContent("/download.html", kDownloadPage, "text/html");
    server.setContent("/files/report.pdf", QByteArray(2048, 'p'), "application/pdf");
    QVERIFY(server.startHttp());

    browser.reset(new BrowserProcess);
    QVERIFY(browser->isValid());
    host.reset(new FakeHost(browser->endpoint()));
    QVERIFY(host->isListening());
    browser->start();
    QVERIFY(host->waitForClient());
}

void tst_BrowserE2E::showUrlLoadsWithToken()
{
    host->send("config", "accessToken", "tok-\u00e9-1");
    show("/hello");
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/hello").isEmpty(), 20000);
    QCOMPARE(server.requestsFor("/hello").first().headers.value("x-access-token"), QByteArray("tok-\xc3\xa9-1"));
}

void tst_BrowserE2E::downloadIsHandedToHost()
{
    show("/download.html");
    const HostFrame frame = host->waitFor("webfile", "startDownload", 20000);
    QCOMPARE(frame.category, QStringLiteral("webfile"));
    const QJsonObject object = QJsonDocument::fromJson(frame.payload).object();
    const QString key = object.value("key").toString();
    QVERIFY2(QRegularExpression("^[0-9a-f]{32}$").match(key).hasMatch(), qPrintable(key));
    const QString url = server.url("/files/report.pdf").toString();
    // compact, members in name order
    QCOMPARE(frame.payload, QString(R"({"key":"%1","name":"report.pdf","url":"%2"})").arg(key, url).toUtf8());
    // the second click came 100 ms later and is dropped; give it time to show up if it were sent
    QTest::qWait(1500);
    QCOMPARE(host->framesOf("webfile", "startDownload").size(), 1);
}

// The browser's own main() with a user who opens Download History at once.
void tst_BrowserE2E::historyPanelAsksTheHost()
{
    BrowserProcess history(QStringLiteral(WB_HISTORY_BROWSER_PATH));
    QVERIFY(history.isValid());
    FakeHost historyHost(history.endpoint());
    history.start();
    QVERIFY(historyHost.waitForClient());
    historyHost.send("event", "showUrl", server.url("/hello").toString());
    const HostFrame ask = historyHost.waitFor("webfile", "getFileList", 20000);
    QCOMPARE(ask.payload.size(), 32);
    const QJsonObject downloading{{"key", "k1"}, {"name", "report.pdf"}, {"createTime", 1765000000000.0},
                                  {"updateTime", 1765000000000.0}, {"fileSize", 2048}, {"status", 1},
                                  {"downloadOffset", 512}, {"fileExists", true}};
    historyHost.send("webfile", "getFileListRes",
                     QJsonDocument(QJsonObject{{"data", QJsonArray{downloading}}, {"key", QString::fromUtf8(ask.payload)}})
                         .toJson(QJsonDocument::Compact));
    // the panel took the record in: it asks for the progress of the download
    const HostFrame poll = historyHost.waitFor("webfile", "getDownloadOffset", 10000);
    QCOMPARE(QJsonDocument::fromJson(poll.payload).object().value("fileList").toArray(), QJsonArray{"k1"});
    historyHost.hangUp();
    QVERIFY(history.process().waitForFinished(15000));
    QCOMPARE(history.process().exitCode(), 0);
}

void tst_BrowserE2E::hangUpWhileUserInfoWaits()
{
    show("/bridge.html");
    const HostFrame ask = host->waitFor("iq", "currentuserinfo", 20000);
    QCOMPARE(ask.payload.size(), 32);
    // The page now sits in the bounded wait; the host goes away under it.
    host->hangUp();
    QVERIFY(browser->process().waitForFinished(15000));
    QCOMPARE(browser->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser->process().exitCode(), 0);
}

QTEST_MAIN(tst_BrowserE2E)
#include "tst_browser_e2e.moc"
