// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "webtestkit.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The built browser against a fake host and pages served on 127.0.0.1. One
// browser process runs through the functions in order; the last one hangs up.
class tst_BrowserE2E : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void showUrlLoadsWithToken();
    void tokenOnlyForListedHosts_data();
    void tokenOnlyForListedHosts();
    void tokenAcrossRedirects_data();
    void tokenAcrossRedirects();
    void localFilesOnlyFromHost_data();
    void localFilesOnlyFromHost();
    void strictCertificates_data();
    void strictCertificates();
    void bridgeOnlyForListedOrigins_data();
    void bridgeOnlyForListedOrigins();
    void bridgeFollowsTheShownPage();
    void navigationReported_data();
    void navigationReported();
    void downloadIsHandedToHost();
    void historyPanelAsksTheHost();
    void hangUpWhileUserInfoWaits();
private:
    void show(const QString &path) { host->send("event", "showUrl", server.url(path).toString()); }
    // The server's address under its other name: the same server, another host.
    QUrl viaLocalhost(const QString &path) const
    {
        QUrl url = server.url(path);
        url.setHost("localhost");
        return url;
    }
    PageServer server;
    PageServer secureServer;
    QTemporaryDir certificateDir;
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

// Calls every part of the bridge; the answer to the user information ends in
// a request the server sees, "/answered-<n>-info" or "/answered-<n>-empty".
static const char kProbePage[] =
    "<html><head><script src='/qwebchannel.js'></script></head><body><script>"
    "var n = new URLSearchParams(location.search).get('n');"
    "new QWebChannel(qt.webChannelTransport, function (channel) {"
    "  var bridge = channel.objects.jsbridge;"
    "  bridge.receiveMessage.connect(function (t) { fetch('/heard-' + n + '-' + encodeURIComponent(t)); });"
    "  bridge.postLog('probe ' + n);"
    "  bridge.postMessage(JSON.stringify({action: 'go_to_channel_info', data: 'channel-' + n}));"
    "  bridge.getCurrentUserInfo(function (v) { fetch('/answered-' + n + '-' + (v ? 'info' : 'empty')); });"
    "});"
    "</script></body></html>";

static const char kDownloadPage[] =
    "<html><body><a id='a' href='/files/report.pdf' download>report</a><script>"
    "window.onload = function () {"
    "  var a = document.getElementById('a');"
    "  a.click();"
    "  a.click();"   // at once: inside the 300 ms guard however slow the machine
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
    server.setContent("/probe.html", kProbePage, "text/html");
    QVERIFY(server.startHttp());
    QVERIFY(certificateDir.isValid());
    QString certPath;
    QString keyPath;
    QVERIFY(makeSelfSignedCertificate(certificateDir.path(), &certPath, &keyPath));
    QVERIFY(secureServer.startHttps(certPath, keyPath));

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

void tst_BrowserE2E::tokenOnlyForListedHosts_data()
{
    // The page comes from 127.0.0.1 and shows a picture from localhost, the
    // same server under its other name.
    QTest::addColumn<QString>("hosts");
    QTest::addColumn<bool>("pageToken");
    QTest::addColumn<bool>("pictureToken");
    QTest::newRow("no list: every host") << "" << true << true;
    QTest::newRow("127.0.0.1") << "127.0.0.1" << true << false;
    // A page off the list cannot have the token sent along with its
    // sub-resources, even to a listed host.
    QTest::newRow("localhost") << "LOCALHOST." << false << false;
    QTest::newRow("both") << "localhost,127.0.0.1" << true << true;
    QTest::newRow("a malformed list keeps the last one") << "127.0.0.1:80" << true << true;
    QTest::newRow("sub-domains only") << "*.localhost" << false << false;
}

void tst_BrowserE2E::tokenOnlyForListedHosts()
{
    QFETCH(QString, hosts);
    QFETCH(bool, pageToken);
    QFETCH(bool, pictureToken);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-').replace(':', '-');
    const QString page = "/mixed-" + tag;
    const QString picture = "/picture-" + tag + ".png";
    server.setContent(page, "<html><body><img src='" + viaLocalhost(picture).toString().toUtf8() + "'></body></html>",
                      "text/html");
    server.setContent(picture, tinyPng(), "image/png");
    host->send("config", "accessToken", "tok-hosts");
    host->send("config", "accessTokenHosts", hosts);
    show(page);
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor(picture).isEmpty(), 20000);
    QCOMPARE(server.requestsFor(page).first().headers.value("x-access-token"),
             pageToken ? QByteArray("tok-hosts") : QByteArray());
    QCOMPARE(server.requestsFor(picture).first().headers.value("x-access-token"),
             pictureToken ? QByteArray("tok-hosts") : QByteArray());
}

// What starts the chain of redirects, on a page of which host.
static QByteArray carrierPage(const QString &kind, const QUrl &start)
{
    const QByteArray to = start.toEncoded();
    if (kind == "frame")
        return "<html><body><iframe src='" + to + "'></iframe></body></html>";
    if (kind == "image")
        return "<html><body><img src='" + to + "'></body></html>";
    if (kind == "fetch")
        return "<html><body><script>fetch('" + to + "');</script></body></html>";
    if (kind == "xhr")
        return "<html><body><script>var x = new XMLHttpRequest(); x.open('GET', '" + to + "'); x.send();</script></body></html>";
    if (kind == "download")
        return "<html><body><a id='a' href='" + to + "' download>d</a><script>a.click();</script></body></html>";
    if (kind == "form")
        return "<html><body><form method='post' action='" + to + "'><input name='a' value='b'></form>"
               "<script>document.forms[0].submit();</script></body></html>";
    if (kind == "link")
        return "<html><body><a id='a' href='" + to + "'>to</a><script>a.click();</script></body></html>";
    return "<html><body><script>window.open('" + to + "');</script></body></html>";   // popup
}

void tst_BrowserE2E::tokenAcrossRedirects_data()
{
    // Only 127.0.0.1 is listed; localhost is the same server under a name off
    // the list. hops: the host of each address of the chain, L(isted) or
    // U(nlisted), each redirecting to the next; tokens: for each, whether its
    // requests carried the token (T), went without (-) or never came (x).
    QTest::addColumn<QString>("kind");     // "page", "download": shown by the host itself
    QTest::addColumn<QString>("carrier");  // the host of the page that starts it, if any
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("hops");
    QTest::addColumn<QString>("tokens");
    QTest::newRow("page, 302 off the list") << "page" << "" << 302 << "LU" << "T-";
    QTest::newRow("page, 307 off the list") << "page" << "" << 307 << "LU" << "T-";
    QTest::newRow("page, 302s off and back on") << "page" << "" << 302 << "LUL" << "T-T";
    QTest::newRow("page, 307s off, on, off") << "page" << "" << 307 << "LULU" << "T-T-";
    QTest::newRow("page, 302 onto the list") << "page" << "" << 302 << "UL" << "-T";
    QTest::newRow("frame, 302 off the list") << "frame" << "L" << 302 << "LU" << "Tx";
    QTest::newRow("frame, 307 on the list") << "frame" << "L" << 307 << "LL" << "TT";
    // the token is not added on the way: the frame goes without
    QTest::newRow("frame, 302 onto the list") << "frame" << "L" << 302 << "UL" << "--";
    QTest::newRow("image of a listed page, on the list") << "image" << "L" << 302 << "LL" << "TT";
    QTest::newRow("image of a page off the list, 307s") << "image" << "U" << 307 << "LUL" << "---";
    QTest::newRow("fetch of a page off the list, 302") << "fetch" << "U" << 302 << "LU" << "--";
    QTest::newRow("XHR of a page off the list, 307") << "xhr" << "U" << 307 << "LU" << "--";
    QTest::newRow("download link, 302 off the list") << "download" << "L" << 302 << "LU" << "T-";
    QTest::newRow("download, 307s off and back on") << "download" << "" << 307 << "LUL" << "T-T";
    QTest::newRow("popup, 302 off the list") << "popup" << "L" << 302 << "LU" << "T-";
    QTest::newRow("popup, 307s off and back on") << "popup" << "L" << 307 << "LUL" << "T-T";
    // a form's POST keeps its body through a 307 that stays on (or off) the list
    QTest::newRow("form, 307 on the list") << "form" << "L" << 307 << "LL" << "TT";
    QTest::newRow("form, 307 off the list") << "form" << "L" << 307 << "LU" << "T-";
    // Only what the host, the user or a listed page started carries the token:
    // a page off the list reaches a listed one without it, framed or not.
    QTest::newRow("form of a page off the list, on the list") << "form" << "U" << 307 << "LL" << "--";
    QTest::newRow("frame of a page off the list, on the list") << "frame" << "U" << 307 << "LL" << "--";
    QTest::newRow("popup of a page off the list, on the list") << "popup" << "U" << 302 << "LL" << "--";
    QTest::newRow("popup of a page off the list, onto the list") << "popup" << "U" << 302 << "UL" << "--";
    QTest::newRow("link of a page off the list, onto the list") << "link" << "U" << 302 << "UL" << "--";
}

// Counts the token on every request the server sees for the chain.
void tst_BrowserE2E::tokenAcrossRedirects()
{
    QFETCH(QString, kind);
    QFETCH(QString, carrier);
    QFETCH(int, status);
    QFETCH(QString, hops);
    QFETCH(QString, tokens);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression("[^a-zA-Z0-9]+"), "-");
    auto hop = [&](int i) {
        const QString path = QString("/hop-%1-%2").arg(tag).arg(i);
        return hops.at(i) == 'L' ? server.url(path) : viaLocalhost(path);
    };
    for (int i = 0; i + 1 < hops.size(); ++i)
        server.setRedirect(hop(i).path(), status, hop(i + 1));
    const QString last = hop(hops.size() - 1).path();
    if (kind == "image")
        server.setContent(last, tinyPng(), "image/png");
    else if (kind == "download")
        server.setContent(last, QByteArray(64, 'd'), "application/octet-stream");
    else   // reports once it has loaded: the next row's page must not race its commit
        server.setContent(last, "<html><body><img src='/loaded-" + tag.toUtf8() + "'></body></html>", "text/html");
    QUrl start = hop(0);
    if (!carrier.isEmpty()) {
        const QString page = "/carrier-" + tag;
        server.setContent(page, carrierPage(kind, start), "text/html");
        start = carrier == "L" ? server.url(page) : viaLocalhost(page);
    }
    host->clear();
    host->send("config", "accessToken", "tok-redirect");
    host->send("config", "accessTokenHosts", "127.0.0.1");
    host->send("event", "showUrl", start.toString());

    const int lastSeen = tokens.lastIndexOf(QRegularExpression("[T-]"));
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor(hop(lastSeen).path()).isEmpty(), 20000);
    if (tokens.contains('x')) {   // the browser refused the rest, and says so
        const HostFrame refused = host->waitFor("feedback", "receiveLog", 20000);
        QVERIFY2(refused.payload.startsWith("refused a frame's redirect to " + hop(lastSeen + 1).toEncoded()),
                 refused.payload.constData());
    }
    if (kind == "page" || kind == "popup" || kind == "form" || kind == "link" || (kind == "frame" && carrier == "U"))
        QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/loaded-" + tag).isEmpty(), 20000);
    // A listed page framed by a page off the list loads its own without the
    // token too; shown at the top, it is the listed site's own page.
    if (kind == "frame" && carrier == "U")
        QCOMPARE(server.requestsFor("/loaded-" + tag).first().headers.value("x-access-token"), QByteArray());
    // Loaded afresh, a redirect across the list's edge can only be a GET.
    if (kind == "form" && !(hops.contains('L') && hops.contains('U')))
        QCOMPARE(server.requestsFor(last).value(0).method, QByteArray("POST"));
    QStringList seen;
    for (int i = 0; i < hops.size(); ++i) {
        const QList<SeenRequest> requests = server.requestsFor(hop(i).path());
        int withToken = 0;
        for (const SeenRequest &r : requests)
            withToken += r.headers.value("x-access-token") == "tok-redirect" ? 1 : 0;
        seen << (requests.isEmpty() ? "x" : withToken == requests.size() ? "T" : withToken == 0 ? "-" : "mixed");
    }
    QCOMPARE(seen.join(QString()), tokens);
}

void tst_BrowserE2E::localFilesOnlyFromHost_data()
{
    QTest::addColumn<bool>("byLink");   // false: the host shows the second file itself
    QTest::newRow("the host shows it") << false;
    QTest::newRow("a link on a local page") << true;
}

// Two local pages, told apart by their titles, which the host hears as the
// page changes (a local page may load nothing from the network, with Qt 6).
// The first clicks a link to the second, then retitles itself.
void tst_BrowserE2E::localFilesOnlyFromHost()
{
    QFETCH(bool, byLink);
    QTemporaryDir dir;
    QFile second(dir.filePath("second.html"));
    QVERIFY(second.open(QIODevice::WriteOnly));
    second.write("<html><head><title>second</title></head><body>second</body></html>");
    second.close();
    QFile first(dir.filePath("first.html"));
    QVERIFY(first.open(QIODevice::WriteOnly));
    first.write("<html><head><title>first</title></head><body><a id='a' href='second.html'>second</a><script>a.click();"
                "setTimeout(function () { document.title = 'first stays'; }, 1000);</script></body></html>");
    first.close();
    // what the host heard of this row's pages, as "file title"
    const QString here = QUrl::fromLocalFile(dir.path()).toString() + '/';
    auto heard = [this, here] {
        QStringList pages;
        for (const HostFrame &f : host->framesOf("feedback", "navigated")) {
            const QJsonObject o = QJsonDocument::fromJson(f.payload).object();
            const QString url = o.value("url").toString();
            if (url.startsWith(here))
                pages << url.mid(here.size()) + ' ' + o.value("title").toString();
        }
        return pages;
    };
    host->clear();
    host->send("config", "reportNavigation", "1");
    host->send("event", "showUrl", QUrl::fromLocalFile(byLink ? first.fileName() : second.fileName()).toString());
    QTRY_VERIFY_WITH_TIMEOUT(heard().contains(byLink ? "first.html first stays" : "second.html second"), 20000);
    if (byLink)
        QVERIFY2(heard().filter("second.html").isEmpty(), qPrintable(heard().join(", ")));
    host->send("config", "reportNavigation", "0");
}

void tst_BrowserE2E::strictCertificates_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("loads");
    // Strict first: the engine remembers a certificate once it was let through.
    QTest::newRow("1") << "1" << false;
    QTest::newRow("anything else") << "yes" << true;
}

void tst_BrowserE2E::strictCertificates()
{
    QFETCH(QString, value);
    QFETCH(bool, loads);
    const QString path = QStringLiteral("/secure-") + value;
    host->clear();
    host->send("config", "strictCertificates", value);
    host->send("event", "showUrl", secureServer.url(path).toString());
    if (loads) {
        QTRY_VERIFY_WITH_TIMEOUT(!secureServer.requestsFor(path).isEmpty(), 20000);
        QVERIFY(host->framesOf("feedback", "receiveLog").isEmpty());
        return;
    }
    // The engine's error page shows, the host is told, and the page itself
    // was never asked for.
    const HostFrame refused = host->waitFor("feedback", "receiveLog", 20000);
    QVERIFY2(refused.payload.startsWith("refused " + secureServer.url(path).toString().toUtf8() + ": "),
             refused.payload.constData());
    QVERIFY(secureServer.requestsFor(path).isEmpty());
}

void tst_BrowserE2E::bridgeOnlyForListedOrigins_data()
{
    QTest::addColumn<QString>("origins");   // %1: the server's port
    QTest::addColumn<bool>("viaLocalhost");  // the probe page's host name
    QTest::addColumn<bool>("bridged");
    QTest::newRow("no list: every page") << "" << true << true;
    QTest::newRow("listed") << "http://127.0.0.1:%1, https://a.test" << false << true;
    QTest::newRow("same server, other name") << "http://127.0.0.1:%1" << true << false;
    QTest::newRow("other port") << "http://127.0.0.1:1" << false << false;
    QTest::newRow("other scheme") << "https://127.0.0.1:%1" << false << false;
}

void tst_BrowserE2E::bridgeOnlyForListedOrigins()
{
    QFETCH(QString, origins);
    QFETCH(bool, viaLocalhost);
    QFETCH(bool, bridged);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-').replace(':', '-');
    const QString port = QString::number(server.url("/").port());
    host->clear();
    host->send("config", "bridgeOrigins", origins.contains("%1") ? origins.arg(port) : origins);
    QUrl probe = viaLocalhost ? this->viaLocalhost("/probe.html") : server.url("/probe.html");
    probe.setQuery("n=" + tag);
    host->send("event", "showUrl", probe.toString());
    if (bridged) {
        const HostFrame ask = host->waitFor("iq", "currentuserinfo", 20000);
        host->send("iq", "currentuserinfoRes", QString(R"({"key":"%1","info":"someone"})").arg(QString::fromUtf8(ask.payload)));
    }
    const QString answered = "/answered-" + tag + (bridged ? "-info" : "-empty");
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor(answered).isEmpty(), 20000);
    // The page listens by now; a page the bridge does not serve hears
    // nothing (tst_velljsbridge shows that without waiting for it here).
    host->send("event", "postToPage", QString::fromUtf8("theme dunkel ü"));
    if (bridged)
        QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/heard-" + tag + QString::fromUtf8("-theme dunkel ü")).isEmpty(), 20000);

    // Whatever the probe sent was written before what the next page sends:
    // once that has arrived, the host has read all of it.
    host->send("config", "bridgeOrigins", "");
    probe = server.url("/probe.html");
    probe.setQuery("n=" + tag + "-after");
    host->send("event", "showUrl", probe.toString());
    QVERIFY(host->waitForCount("iq", "currentuserinfo", bridged ? 2 : 1, 20000));
    QStringList logs;
    for (const HostFrame &f : host->framesOf("feedback", "receiveLog"))
        logs << QString::fromUtf8(f.payload);
    QStringList channels;
    for (const HostFrame &f : host->framesOf("feedback", "gotoChannel"))
        channels << QString::fromUtf8(f.payload);
    if (bridged) {
        QCOMPARE(logs, QStringList({"probe " + tag, "probe " + tag + "-after"}));
        QCOMPARE(channels, QStringList({"channel-" + tag, "channel-" + tag + "-after"}));
    } else {
        QCOMPARE(logs, QStringList({"probe " + tag + "-after"}));
        QCOMPARE(channels, QStringList({"channel-" + tag + "-after"}));
    }
}

// While the host's next page loads, the page still shown is the one that
// calls: a page off the list gets nothing, says nothing, and the host hears
// of the new address only with the new page's own title.
void tst_BrowserE2E::bridgeFollowsTheShownPage()
{
    const QString port = QString::number(server.url("/").port());
    server.setContent("/stranger.html",
        "<html><head><title>Stranger</title><script src='/qwebchannel.js'></script></head><body><script>"
        "new QWebChannel(qt.webChannelTransport, function (channel) {"
        "  var bridge = channel.objects.jsbridge, n = 0;"
        "  bridge.receiveMessage.connect(function (t) { fetch('/stranger-heard-' + encodeURIComponent(t)); });"
        "  setInterval(function () {"
        "    bridge.postLog('stranger ' + n);"
        "    fetch('/stranger-tick-' + n++);"
        "    bridge.getCurrentUserInfo(function (v) { if (v) fetch('/stranger-got-info'); });"
        "  }, 50);"
        "});</script></body></html>", "text/html");
    server.setContent("/listed.html", "<html><head><title>Listed</title></head><body>listed</body></html>", "text/html");
    host->send("config", "bridgeOrigins", "http://127.0.0.1:" + port);
    host->send("config", "reportNavigation", "1");
    host->send("event", "showUrl", viaLocalhost("/stranger.html").toString());
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/stranger-tick-0").isEmpty(), 20000);
    server.hold("/listed.html");
    const auto release = qScopeGuard([this] { server.release("/listed.html"); });
    host->send("event", "showUrl", server.url("/listed.html").toString());
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/listed.html").isEmpty(), 20000);
    host->clear();
    host->send("event", "postToPage", "for the listed page");
    // The stranger goes on calling while the listed page is on its way (a
    // bridge that waited for the host's answer would hold its calls up).
    const int ticks = server.requests().size();
    QTRY_VERIFY_WITH_TIMEOUT(server.requests().size() >= ticks + 10, 30000);
    server.release("/listed.html");
    QTRY_VERIFY_WITH_TIMEOUT(!host->framesOf("feedback", "loadFinished").isEmpty(), 20000);
    for (const HostFrame &f : host->frames()) {
        QVERIFY2(f.category != "iq", f.payload.constData());
        QVERIFY2(!f.payload.startsWith("stranger"), f.payload.constData());
        QVERIFY2(!(f.subcommand == "navigated" && f.payload.contains("Stranger")), f.payload.constData());
    }
    for (const SeenRequest &r : server.requests())
        QVERIFY2(!r.path.startsWith("/stranger-heard") && !r.path.startsWith("/stranger-got"), qPrintable(r.path));
    host->send("config", "bridgeOrigins", "");
    host->send("config", "reportNavigation", "0");
}

void tst_BrowserE2E::navigationReported_data()
{
    // What the host hears of the page reached ("%1"), as "navigated title" and
    // "loaded ok|failed", in order.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("report");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("a link followed") << "link" << true << QStringList{"navigated Arrived", "loaded ok"};
    QTest::newRow("the page's own pushState, no load") << "pushState" << true << QStringList{"navigated Pushed"};
    // the engine's error page, titled with the host
    QTest::newRow("a failed load") << "refused" << true << QStringList{"navigated 127.0.0.1", "loaded failed"};
    QTest::newRow("key off: nothing reported") << "link" << false << QStringList();
    // user name and password are nobody else's business
    QTest::newRow("an address with a password") << "credentials" << true << QStringList{"navigated Arrived", "loaded ok"};
}

void tst_BrowserE2E::navigationReported()
{
    QFETCH(QString, kind);
    QFETCH(bool, report);
    QFETCH(QStringList, heard);
    const QString dir = "/nav-" + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-').replace(':', '-');
    server.setContent(dir + "/to", "<html><head><title>Arrived</title></head><body>to</body></html>", "text/html");
    server.setContent(dir + "/from", kind == "link"
        ? "<html><body><a id='a' href='to'>to</a><script>window.onload = function () { a.click(); };</script></body></html>"
        // pushed only once the load is over, or its end would name the pushed address
        : "<html><body><script>(function ask() { fetch('go').then(function (r) { return r.text(); }).then(function (t) {"
          " if (t !== 'go') return setTimeout(ask, 50);"
          " history.pushState({}, '', 'to'); document.title = 'Pushed'; }); })();</script></body></html>", "text/html");
    const QString reached = kind == "refused" ? QStringLiteral("http://127.0.0.1:1/gone") : server.url(dir + "/to").toString();
    host->clear();
    host->send("config", "reportNavigation", report ? "1" : "0");
    QUrl shown = kind == "refused" ? QUrl(reached) : server.url(dir + "/from");
    if (kind == "credentials") {
        shown = server.url(dir + "/to");
        shown.setUserInfo("someone:secret");
    }
    host->send("event", "showUrl", shown.toString());
    if (kind == "pushState") {
        const QString from = server.url(dir + "/from").toString();
        auto finished = [this, from] {
            for (const HostFrame &f : host->framesOf("feedback", "loadFinished"))
                if (QJsonDocument::fromJson(f.payload).object().value("url").toString() == from)
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 20000);
        server.setContent(dir + "/go", "go", "text/plain");
    }
    if (!report) {
        // Once another page has taken its place and loaded, nothing more can
        // come of the page reached; and what the next page makes the browser
        // say, reports on again, comes after whatever came of it.
        QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor(dir + "/to").isEmpty(), 20000);
        server.setContent(dir + "/after", "<html><body><script>onload = function () { fetch('seen'); };</script></body></html>", "text/html");
        host->send("event", "showUrl", server.url(dir + "/after").toString());
        QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor(dir + "/seen").isEmpty(), 20000);
        host->send("config", "reportNavigation", "1");
        host->send("event", "showUrl", server.url("/hello").toString());
        host->waitFor("feedback", "loadFinished", 20000);
    }
    // Of a row of reports naming the page only the last counts: the engine
    // may name it before its title is in.
    auto reports = [this, reached] {
        QStringList kept;
        for (const HostFrame &f : host->frames()) {
            const QJsonObject o = QJsonDocument::fromJson(f.payload).object();
            if (f.category != "feedback" || o.value("url").toString() != reached)
                continue;
            const bool named = f.subcommand == "navigated";
            if (named && !kept.isEmpty() && kept.last().startsWith("navigated "))
                kept.removeLast();
            kept << (named ? "navigated " + o.value("title").toString() : o.value("ok").toBool() ? "loaded ok" : "loaded failed");
        }
        return kept;
    };
    QTRY_COMPARE_WITH_TIMEOUT(reports(), heard, 20000);
    for (const HostFrame &f : host->frames())
        QVERIFY2(!f.payload.contains("secret"), f.payload.constData());
    host->send("config", "reportNavigation", "0");
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
    // the second click is dropped; give it time to show up if it were sent
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
