// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "webtestkit.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// What a person does with a page in the built browser, on a real X server
// (the test runs under xvfb-run): zoom keys, printing, PDF links, the mouse's
// side buttons and the right-click menu, worked with xdotool. Without a window
// manager the window sits where the host puts it: the page's top-left corner
// is at (2, 41) on the screen, inside the border and under the title bar.
class tst_RealPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void zoomKeys_data();
    void zoomKeys();
    void zoomKeptPerHost();
    void print_data();
    void print();
    void pdfLink_data();
    void pdfLink();
    void sideButtons_data();
    void sideButtons();
    void pageMenu_data();
    void pageMenu();
    void pageDownloads_data();
    void pageDownloads();
    void popups_data();
    void popups();
    void cleanupTestCase();
private:
    static bool xdotool(const QStringList &arguments);
    static bool clickPage(int x, int y, int button = 1);
    static bool keys(const QStringList &names) { return xdotool(QStringList{"key", "--delay", "80"} + names); }
    void show(const QString &path, const QString &host = QStringLiteral("127.0.0.1"));
    // The path of the newest request that starts with prefix.
    QString lastRequest(const QString &prefix) const;
    int seen(const QString &path) const { return server.requestsFor(path).size(); }
    // The names of the popups titled title, oldest first.
    static QStringList windowsNamed(const QString &title);
    int logged(const QString &line) const;
    PageServer server;
    BrowserProcess browser;
    QScopedPointer<FakeHost> host;
    QTemporaryDir dir;
};

bool tst_RealPage::xdotool(const QStringList &arguments)
{
    return QProcess::execute("xdotool", arguments) == 0;
}

bool tst_RealPage::clickPage(int x, int y, int button)
{
    return xdotool({"mousemove", QString::number(2 + x), QString::number(41 + y), "click", QString::number(button)});
}

void tst_RealPage::show(const QString &path, const QString &hostName)
{
    const QString asked = path.section('#', 0, 0);   // the server never sees the fragment
    const int before = seen(asked);
    QUrl url = server.url(path);
    url.setHost(hostName);
    host->send("event", "showUrl", url.toString());
    QTRY_COMPARE_WITH_TIMEOUT(seen(asked), before + 1, 10000);
    QTest::qWait(500);   // nothing to observe from outside until the page is painted
}

QString tst_RealPage::lastRequest(const QString &prefix) const
{
    const QList<SeenRequest> all = server.requests();
    for (int i = all.size() - 1; i >= 0; --i) {
        if (all.at(i).path.startsWith(prefix))
            return all.at(i).path;
    }
    return QString();
}

static QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList tst_RealPage::windowsNamed(const QString &title)
{
    return output("xdotool", {"search", "--name", "^" + QRegularExpression::escape(title) + "$"}).split('\n', Qt::SkipEmptyParts);
}

int tst_RealPage::logged(const QString &line) const
{
    int lines = 0;
    if (line.isEmpty())
        return 0;
    for (const HostFrame &f : host->framesOf("feedback", "receiveLog"))
        lines += QString::fromUtf8(f.payload).contains(line) ? 1 : 0;
    return lines;
}

static QRect windowGeometry(const QString &window)
{
    QHash<QString, int> values;
    for (const QString &line : output("xdotool", {"getwindowgeometry", "--shell", window}).split('\n', Qt::SkipEmptyParts))
        values.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
    return QRect(values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT"));
}

static QByteArray pdfFile()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    painter.drawText(QPointF(200, 200), QStringLiteral("A served document"));
    painter.end();
    return buffer.data();
}

// Page-made downloads as the hash asks: names saved half a second apart
// (closer ones count as one click), the first as long after the last row's, Blobs of so many MiB, and a small one a
// little after each click, apart from the others too.
static const char kMadePage[] =
    "<html><body style='margin:0;height:100%'><script>"
    "var ask = JSON.parse(decodeURIComponent(location.hash.slice(1)));"
    "var mib = new Blob([new Uint8Array(1 << 20)]);"
    "function save(name) { var a = document.createElement('a');"
    "  var big = ask.mib && name != ask.clicked;"
    "  a.href = URL.createObjectURL(new Blob(big ? new Array(ask.mib).fill(mib) : ['made here']));"
    "  a.download = name; document.body.appendChild(a); a.click(); fetch('/saved/' + encodeURIComponent(name)); }"
    "ask.names.forEach(function (name, i) { setTimeout(function () { save(name); }, 500 * (i + 1)); });"
    "document.onclick = function () { setTimeout(function () { save(ask.clicked); }, 500); };"
    "</script></body></html>";

void tst_RealPage::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server: ctest runs this under xvfb-run");
    QVERIFY(browser.isValid());
    QVERIFY(dir.isValid());
    // Every page tells the server it loaded, and the zoom page what its pixel
    // ratio is whenever it changes.
    // and, two frames after it is shown, that it is painted and takes clicks.
    const QByteArray loaded = "<script>fetch('/seen' + location.pathname); addEventListener('pageshow', function () {"
                              " requestAnimationFrame(function () { requestAnimationFrame(function () {"
                              " fetch('/painted' + location.pathname); }); }); });</script>";
    server.setContent("/zoom.html", "<html><body><p>zoom</p><script>var last = 0; setInterval(function () {"
                                    " if (devicePixelRatio !== last) { last = devicePixelRatio;"
                                    " fetch('/dpr/' + devicePixelRatio); } }, 100);</script></body></html>",
                      "text/html");
    QByteArray lines;
    for (int i = 1; i <= 150; ++i)
        lines += "<p>Line " + QByteArray::number(i) + " of the printed page</p>";
    server.setContent("/print.html", "<html><body><button onclick=\"window.print()\" style=\"position:absolute;"
                                     "right:0;top:0;width:150px;height:50px\">print</button>" + lines + "</body></html>",
                      "text/html");
    server.setContent("/pdf.html", "<html><body><a href=\"/doc.pdf\" style=\"display:block;height:100px\">doc</a>"
                                   "</body></html>", "text/html");
    server.setContent("/doc.pdf", pdfFile(), "application/pdf");
    server.setContent("/nav/a", "<html><body>" + loaded + "<a href=\"/nav/b\" style=\"display:block;height:100px\">b</a>"
                                "<a href=\"/nav/c\" target=\"_blank\" style=\"display:block;height:100px\">c</a>"
                                "</body></html>", "text/html");
    server.setContent("/nav/b", "<html><body>b" + loaded + "</body></html>", "text/html");
    server.setContent("/nav/c", "<html><body>c" + loaded + "</body></html>", "text/html");
    server.setContent("/menu.html",
                      "<html><body style=\"margin:0\">"
                      "<input id=field value=\"typed text\" style=\"position:absolute;left:20px;top:20px;width:300px;height:30px\""
                      " oninput=\"fetch('/value/' + encodeURIComponent(this.value))\">"
                      "<a href=\"/linked.bin\" style=\"position:absolute;left:20px;top:80px;width:200px;height:30px;display:block\">link</a>"
                      "<img src=\"/pic.png\" style=\"position:absolute;left:20px;top:140px;width:100px;height:100px\">"
                      "<p style=\"position:absolute;left:20px;top:260px;margin:0;font-size:30px\">Selectable</p>"
                      "</body></html>", "text/html");
    server.setContent("/linked.bin", QByteArray(64, 'x'), "application/octet-stream");
    server.setContent("/pic.png", tinyPng(), "image/png");
    // A page that opens a popup on load or on each click, as the hash asks,
    // and closes them all as it goes; the popup runs the hash's script.
    server.setContent("/opener.html",
                      "<html><body style='margin:0;height:600px'><script>"
                      "var ask = JSON.parse(decodeURIComponent(location.hash.slice(1))), all = [], n = 0;"
                      "function openOne() { var w = window.open('/popup.html#' + encodeURIComponent(ask.inPopup),"
                      "  'p' + n++, 'left=400,top=100,width=300,height=200');"
                      "  fetch('/opened/' + (w ? 'window' : 'null')); if (w) all.push(w); }"
                      "if (ask.onLoad) openOne();"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () {"
                      "  fetch('/opener-painted'); }); });"
                      "document.onclick = openOne;"
                      "onpagehide = function () { all.forEach(function (w) { w.close(); }); };"
                      "</script></body></html>", "text/html");
    server.setContent("/popup.html",
                      "<html><head><title>Sign in</title></head><body style='margin:0;height:200px'><script>"
                      "document.onclick = function () { var w = window.open('/inner.html', 'inner', 'width=200,height=100');"
                      "  fetch('/inner-opened/' + (w ? 'window' : 'null')); };"
                      "eval(decodeURIComponent(location.hash.slice(1)));"
                      "fetch('/popup-ran');"
                      "requestAnimationFrame(function () { requestAnimationFrame(function () { fetch('/popup-painted'); }); });"
                      "</script></body></html>", "text/html");
    QVERIFY(server.startHttp());

    host.reset(new FakeHost(browser.endpoint()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("CHANNEL_WB_TEST_PRINT_TO", dir.filePath("printed.pdf"));
    browser.process().setProcessEnvironment(env);
    browser.start();
    QVERIFY(host->waitForClient());
    host->send("config", "title", "RealPage");
    host->send("config", "windowsRect", "0,0,700,600");
    host->send("event", "showUrl", "about:blank");
    QCOMPARE(QProcess::execute("timeout", {"30", "xdotool", "search", "--sync", "--onlyvisible", "--name", "RealPage"}), 0);
}

void tst_RealPage::zoomKeys_data()
{
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QStringList>("ratios");   // the page's devicePixelRatio after each press
    QTest::newRow("Ctrl+plus") << QStringList{"ctrl+plus"} << QStringList{"1.25"};
    QTest::newRow("Ctrl+=") << QStringList{"ctrl+equal"} << QStringList{"1.25"};
    QTest::newRow("keypad plus") << QStringList{"ctrl+KP_Add"} << QStringList{"1.25"};
    QTest::newRow("Ctrl+minus twice") << QStringList{"ctrl+minus", "ctrl+minus"} << QStringList{"0.75", "0.5"};
    QTest::newRow("Ctrl+0 back to the start") << QStringList{"ctrl+plus", "ctrl+plus", "ctrl+0"}
                                              << QStringList{"1.25", "1.5", "1"};
    QTest::newRow("no lower than 25 %") << QStringList{"ctrl+minus", "ctrl+minus", "ctrl+minus", "ctrl+minus"}
                                        << QStringList{"0.75", "0.5", "0.25", "0.25"};
}

// Steps of a quarter on top of the scale every page gets (1 on this screen).
void tst_RealPage::zoomKeys()
{
    QFETCH(QStringList, presses);
    QFETCH(QStringList, ratios);
    show("/zoom.html");
    QVERIFY(clickPage(300, 300));
    QVERIFY(keys({"ctrl+0"}));
    QTRY_COMPARE_WITH_TIMEOUT(lastRequest("/dpr/"), QStringLiteral("/dpr/1"), 5000);
    for (int i = 0; i < presses.size(); ++i) {
        QVERIFY(keys({presses.at(i)}));
        if (i > 0 && ratios.at(i) == ratios.at(i - 1))
            QTest::qWait(500);   // a step past the end changes nothing: give it the time to show
        QTRY_COMPARE_WITH_TIMEOUT(lastRequest("/dpr/"), "/dpr/" + ratios.at(i), 5000);
    }
}

// A level belongs to the host name: another host starts at 100 %, and the
// first comes back at the level it was left at.
void tst_RealPage::zoomKeptPerHost()
{
    show("/zoom.html");
    QVERIFY(clickPage(300, 300));
    QVERIFY(keys({"ctrl+0", "ctrl+plus", "ctrl+plus"}));
    QTRY_COMPARE_WITH_TIMEOUT(lastRequest("/dpr/"), QStringLiteral("/dpr/1.5"), 5000);
    show("/zoom.html", "localhost");
    QTRY_COMPARE_WITH_TIMEOUT(lastRequest("/dpr/"), QStringLiteral("/dpr/1"), 5000);
    show("/zoom.html");
    QTRY_COMPARE_WITH_TIMEOUT(lastRequest("/dpr/"), QStringLiteral("/dpr/1.5"), 5000);
    QVERIFY(keys({"ctrl+0"}));
}

void tst_RealPage::print_data()
{
    QTest::addColumn<QString>("printing");   // the host's key, empty: not sent
    QTest::addColumn<QString>("how");        // "ctrl+p", or "click" for the page's window.print()
    QTest::addColumn<bool>("printed");
    QTest::newRow("Ctrl+P") << QString() << "ctrl+p" << true;
    QTest::newRow("window.print()") << QString() << "click" << true;
    QTest::newRow("Ctrl+P, printing off") << "0" << "ctrl+p" << false;
    QTest::newRow("window.print(), printing off") << "0" << "click" << false;
    QTest::newRow("Ctrl+P, printing on again") << "1" << "ctrl+p" << true;
}

// The whole page goes to the PDF file, every line of it over several pages,
// not only the part on screen.
void tst_RealPage::print()
{
    QFETCH(QString, printing);
    QFETCH(QString, how);
    QFETCH(bool, printed);
    const QString file = dir.filePath("printed.pdf");
    QFile::remove(file);
    if (!printing.isEmpty())
        host->send("config", "printing", printing);
    show("/print.html");
    if (how == "click") {
        QVERIFY(clickPage(620, 25));   // the page's button calls window.print()
    } else {
        QVERIFY(clickPage(300, 300));
        QVERIFY(keys({how}));
    }
    if (!printed) {
        QTest::qWait(3000);   // nothing comes of it: give a print the time to be written
        QVERIFY(!QFile::exists(file));
        return;
    }
    QString info;
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file) && QFileInfo(file).size() > 0, 20000);
    // The engine may still be writing: pdfinfo reads it once it is whole.
    QTRY_VERIFY_WITH_TIMEOUT((info = output("pdfinfo", {file})).contains("Pages:"), 10000);
    const int pages = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
    QVERIFY2(pages >= 3, qPrintable(info));   // 150 lines do not fit on two
    const QString words = output("pdftotext", {file, "-"});
    QVERIFY2(words.contains("Line 1 of the printed page"), qPrintable(info + words.left(300)));
    QVERIFY(words.contains("Line 150 of the printed page"));
}

void tst_RealPage::pdfLink_data()
{
    QTest::addColumn<QString>("viewer");   // the host's "pdfViewer"
    QTest::addColumn<bool>("download");
    QTest::newRow("without the viewer: a download") << "0" << true;
    QTest::newRow("with the viewer: shown") << "1" << false;
}

void tst_RealPage::pdfLink()
{
    QFETCH(QString, viewer);
    QFETCH(bool, download);
    host->send("config", "pdfViewer", viewer);
    show("/pdf.html");
    host->clear();
    const int fetched = seen("/doc.pdf");
    QVERIFY(clickPage(50, 30));
    QTRY_VERIFY_WITH_TIMEOUT(seen("/doc.pdf") > fetched, 10000);
    if (download) {
        const HostFrame started = host->waitFor("webfile", "startDownload");
        QCOMPARE(QJsonDocument::fromJson(started.payload).object().value("url").toString(),
                 server.url("/doc.pdf").toString());
        return;
    }
    QTest::qWait(3000);   // a download would have been handed over by now
    QCOMPARE(host->framesOf("webfile", "startDownload").size(), 0);
}

void tst_RealPage::sideButtons_data()
{
    QTest::addColumn<QStringList>("back");
    QTest::addColumn<QStringList>("forward");
    QTest::newRow("mouse buttons 8 and 9") << QStringList{"click", "8"} << QStringList{"click", "9"};
    QTest::newRow("Back and Forward keys") << QStringList{"key", "XF86Back"} << QStringList{"key", "XF86Forward"};
}

// Back and forward through the page's history, then back to the addresses
// remembered when a link opened its page in place of the window's.
void tst_RealPage::sideButtons()
{
    QFETCH(QStringList, back);
    QFETCH(QStringList, forward);
    const int shown = seen("/painted/nav/a");
    show("/nav/a");
    QTRY_COMPARE_WITH_TIMEOUT(seen("/painted/nav/a"), shown + 1, 10000);
    const int a = seen("/seen/nav/a");
    const int b = seen("/seen/nav/b");
    QVERIFY(clickPage(50, 30));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/b"), b + 1, 10000);
    QVERIFY(xdotool(back));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/a"), a + 1, 10000);
    QVERIFY(xdotool(forward));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/b"), b + 2, 10000);
    // (the first visit back may have gone again before it painted)
    const int paintedBefore = seen("/painted/nav/a");
    QVERIFY(xdotool(back));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/a"), a + 2, 10000);
    // A click while the page is still being laid out is lost.
    QTRY_VERIFY_WITH_TIMEOUT(seen("/painted/nav/a") > paintedBefore, 10000);
    // The new tab's page replaces the history: b, then a, are remembered.
    const int c = seen("/painted/nav/c");
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        QVERIFY(clickPage(50, 130));
        opened = QTest::qWaitFor([&] { return seen("/painted/nav/c") > c; }, 10000);
    }
    QVERIFY(opened);
    QVERIFY(xdotool(back));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/a"), a + 3, 10000);
}

void tst_RealPage::pageMenu_data()
{
    QTest::addColumn<QString>("menu");      // the host's "pageMenu"
    QTest::addColumn<QPoint>("at");         // right-click here in the page
    QTest::addColumn<int>("entry");         // choose the entry this far down, 1 the first
    QTest::addColumn<QString>("outcome");   // download:PATH, value:TEXT (the field's after pasting), back
    const QPoint field(100, 35), link(50, 95), image(60, 180), word(60, 280);
    // The entries: field: Cut, Copy, Paste, Select all; link: Copy link
    // address, Save link; image: Copy image, Save image; selection: Copy;
    // then "back", after the page menu's entries.
    QTest::newRow("link: Save link") << "1" << link << 2 << "download:/linked.bin";
    QTest::newRow("link: Copy link address") << "1" << link << 1 << "value:" + QString("http://127.0.0.1:%1/linked.bin");
    QTest::newRow("image: Save image") << "1" << image << 2 << "download:/pic.png";
    // Cut and Copy are greyed out without a selection, and keys pass them by.
    QTest::newRow("field: Select all, then typing replaces it") << "1" << field << 2 << "value:z";
    QTest::newRow("selection: Copy") << "1" << word << 1 << "value:Selectable";
    QTest::newRow("link: back after the entries") << "1" << link << 3 << "back";
    QTest::newRow("without the key: back only") << "0" << link << 1 << "back";
}

void tst_RealPage::pageMenu()
{
    QFETCH(QString, menu);
    QFETCH(QPoint, at);
    QFETCH(int, entry);
    QFETCH(QString, outcome);
    host->send("config", "pageMenu", menu);
    show("/nav/b");
    show("/menu.html");
    host->clear();
    const int b = seen("/seen/nav/b");
    if (at.y() > 250)   // the word, selected with a double click
        QVERIFY(xdotool({"mousemove", QString::number(2 + at.x()), QString::number(41 + at.y()), "click", "--repeat", "2", "1"}));
    QVERIFY(clickPage(at.x(), at.y(), 3));
    QTest::qWait(500);   // the menu has to be on screen before the keys
    QStringList downs;
    for (int i = 0; i < entry; ++i)
        downs << "Down";
    QVERIFY(keys(downs << "Return"));
    if (outcome.startsWith("download:")) {
        const HostFrame started = host->waitFor("webfile", "startDownload");
        QCOMPARE(QJsonDocument::fromJson(started.payload).object().value("url").toString(),
                 server.url(outcome.mid(9)).toString());
    } else if (outcome == "back") {
        QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/b"), b + 1, 10000);
    } else {
        QString value = outcome.mid(6);
        if (value.contains("%1"))
            value = value.arg(server.url("/").port());
        // Typing or pasting into the field makes it report its value.
        if (value != "z") {
            QVERIFY(clickPage(100, 35));
            QVERIFY(keys({"ctrl+a", "BackSpace", "ctrl+v"}));
        } else {
            QVERIFY(keys({"z"}));
        }
        const QString path = "/value/" + QString::fromUtf8(QUrl::toPercentEncoding(value));
        QTRY_COMPARE_WITH_TIMEOUT(lastRequest("/value/"), QUrl::fromPercentEncoding(path.toUtf8()), 5000);
    }
}

void tst_RealPage::pageDownloads_data()
{
    QTest::addColumn<QStringList>("names");   // saved by the page on its own
    QTest::addColumn<int>("mib");             // the size of each, 0: a few bytes
    QTest::addColumn<QStringList>("heard");   // the names the host is handed, the click's last
    QTest::addColumn<QString>("log");         // a line the host's log gets
    QTest::addColumn<int>("logs");            // so often
    QTest::newRow("a name turned around") << QStringList{QString::fromUtf8("invoice\u202Efdp.exe")} << 0
                                          << QStringList{"invoicefdp.exe", "clicked.txt"} << QString() << 0;
    QTest::newRow("isolates and marks") << QStringList{QString::fromUtf8("a\u2066b\u200Fc\u061C.txt")} << 0
                                        << QStringList{"abc.txt", "clicked.txt"} << QString() << 0;
    QTest::newRow("five without a click: three go, then one per click")
        << QStringList{"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"} << 0 << QStringList{"1.txt", "2.txt", "3.txt", "clicked.txt"}
        << "refused a download: the page started more than 3 without a click" << 2;
    QTest::newRow("600 MiB: none") << QStringList{"big.bin"} << 600 << QStringList{"clicked.txt"}
                                   << "cancelled a download made by the page: larger than 512 MiB" << 1;
}

// Downloads a stranger's page (localhost is off the token's list) makes
// itself, as the host hears of them.
void tst_RealPage::pageDownloads()
{
    QFETCH(QStringList, names);
    QFETCH(int, mib);
    QFETCH(QStringList, heard);
    QFETCH(QString, log);
    QFETCH(int, logs);
    host->send("config", "accessToken", "page-token");
    host->send("config", "accessTokenHosts", "127.0.0.1");
    host->clear();
    const QJsonObject ask{{"names", QJsonArray::fromStringList(names)}, {"mib", mib}, {"clicked", "clicked.txt"}};
    // A page of its own per row: the same address with another fragment would not load again.
    const QString path = "/made/" + QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression("[^a-z0-9]+"), "-") + ".html";
    server.setContent(path, kMadePage, "text/html");
    show(path + "#" + QString::fromUtf8(QUrl::toPercentEncoding(QJsonDocument(ask).toJson(QJsonDocument::Compact))), "localhost");
    // The page has saved them all and the browser has dealt with each;
    // then the user clicks once.
    QVERIFY(host->waitForCount("webfile", "startDownload", heard.size() - 1, 30000));
    QTRY_COMPARE_WITH_TIMEOUT(logged(log), logs, 30000);
    QVERIFY(clickPage(300, 300));
    QVERIFY(host->waitForCount("webfile", "startDownload", heard.size(), 20000));
    QStringList handed;
    for (const HostFrame &f : host->framesOf("webfile", "startDownload"))
        handed << QJsonDocument::fromJson(f.payload).object().value("name").toString();
    QCOMPARE(handed.join(" / "), heard.join(" / "));
    QCOMPARE(logged(log), logs);
}

void tst_RealPage::popups_data()
{
    QTest::addColumn<bool>("onLoad");      // the opener opens one as it loads
    QTest::addColumn<int>("clicks");       // then the user clicks it so often
    QTest::addColumn<QString>("inPopup");  // what the popup's page does
    QTest::addColumn<int>("windows");      // popups on screen, titled with their origin
    QTest::addColumn<QRect>("placed");     // where the last one is, if it matters
    QTest::addColumn<QString>("log");      // a line the host's log must get
    QTest::addColumn<bool>("clickInside"); // the user clicks the popup, which opens one of its own
    QTest::newRow("on load, without a click: null") << true << 0 << "" << 0 << QRect() << QString() << false;
    QTest::newRow("a click: one, where it asked") << false << 1 << "" << 1 << QRect(400, 100, 300, 200) << QString() << false;
    QTest::newRow("four clicks: three") << false << 4 << "" << 3 << QRect() << "refused a popup: the page has 3 open" << false;
    QTest::newRow("resizeTo(5000, 5000): on the screen, off the opener's corner")
        << false << 1 << "resizeTo(5000, 5000)" << 1 << QRect(48, 48, 976, 720) << QString() << false;
    QTest::newRow("moveTo(0, 0) over the opener: off its corner")
        << false << 1 << "moveTo(0, 0)" << 1 << QRect(48, 48, 300, 200) << QString() << false;
    QTest::newRow("a popup's own popup: null") << false << 1 << "" << 1 << QRect() << QString() << true;
}

// A stranger's popups (localhost is off the token's list) with popups allowed.
// The opener sits at (0, 0), 700 by 600, on a 1024 by 768 screen.
void tst_RealPage::popups()
{
    QFETCH(bool, onLoad);
    QFETCH(int, clicks);
    QFETCH(QString, inPopup);
    QFETCH(int, windows);
    QFETCH(QRect, placed);
    QFETCH(QString, log);
    QFETCH(bool, clickInside);
    host->send("config", "accessToken", "page-token");
    host->send("config", "accessTokenHosts", "127.0.0.1");
    host->send("config", "allowPopups", "1");
    QUrl origin = server.url("/");
    origin.setHost("localhost");
    const QString title = origin.toString(QUrl::RemovePath) + " - Sign in";
    // The last row's popups went with their opener.
    QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(title).size(), 0, 20000);
    host->clear();
    const int nulls = seen("/opened/null");
    const int opened = seen("/opened/window");
    const int ran = seen("/popup-ran");
    const int painted = seen("/popup-painted");
    const int paintedOpeners = seen("/opener-painted");
    const QJsonObject ask{{"onLoad", onLoad}, {"inPopup", inPopup}};
    show("/opener.html#" + QString::fromUtf8(QUrl::toPercentEncoding(QJsonDocument(ask).toJson(QJsonDocument::Compact))), "localhost");
    if (onLoad)
        QTRY_COMPARE_WITH_TIMEOUT(seen("/opened/null"), nulls + 1, 20000);
    // Painted, it takes clicks.
    QTRY_COMPARE_WITH_TIMEOUT(seen("/opener-painted"), paintedOpeners + 1, 20000);
    const auto opens = [this] { return seen("/opened/null") + seen("/opened/window"); };
    for (int i = 1; i <= clicks; ++i) {
        const int wanted = nulls + opened + i + (onLoad ? 1 : 0);
        // A click on a page that has just painted can be lost on the way:
        // like a user, click again when nothing came of it.
        bool felt = false;
        for (int attempt = 0; attempt < 5 && !felt; ++attempt) {
            QVERIFY(clickPage(100, 100));
            felt = QTest::qWaitFor([&] { return opens() >= wanted; }, 5000);
        }
        QVERIFY(felt);
    }
    QTRY_COMPARE_WITH_TIMEOUT(seen("/popup-ran"), ran + windows, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(title).size(), windows, 20000);
    if (clickInside) {
        QTRY_VERIFY_WITH_TIMEOUT(seen("/popup-painted") > painted, 20000);
        // Like a user, click again when the new window took nothing yet.
        const int inner = seen("/inner-opened/null");
        for (int attempt = 0; attempt < 3 && seen("/inner-opened/null") == inner; ++attempt) {
            QVERIFY(xdotool({"mousemove", "550", "200", "click", "1"}));
            if (QTest::qWaitFor([&] { return seen("/inner-opened/null") > inner; }, 10000))
                break;
        }
        QCOMPARE(seen("/inner-opened/null"), inner + 1);
    }
    if (!log.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(logged(log), 1, 20000);
    if (!placed.isNull())
        QTRY_COMPARE_WITH_TIMEOUT(windowGeometry(windowsNamed(title).constLast()), placed, 20000);
    // Every popup that is on screen ran its page; none opened without its click.
    QCOMPARE(seen("/popup-ran"), ran + windows);
    QCOMPARE(seen("/inner.html"), 0);
    // Gone with the opener.
    show("/nav/b");
    QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(title).size(), 0, 20000);
}

void tst_RealPage::cleanupTestCase()
{
    if (!host)
        return;
    host->hangUp();
    QVERIFY(browser.process().waitForFinished(10000));
    QCOMPARE(browser.process().exitCode(), 0);
}

QTEST_MAIN(tst_RealPage)
#include "tst_realpage.moc"
