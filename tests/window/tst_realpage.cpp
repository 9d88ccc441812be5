// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "webtestkit.h"

#include <QBuffer>
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
    void cleanupTestCase();
private:
    static bool xdotool(const QStringList &arguments);
    static bool clickPage(int x, int y, int button = 1);
    static bool keys(const QStringList &names) { return xdotool(QStringList{"key", "--delay", "80"} + names); }
    void show(const QString &path, const QString &host = QStringLiteral("127.0.0.1"));
    // The path of the newest request that starts with prefix.
    QString lastRequest(const QString &prefix) const;
    int seen(const QString &path) const { return server.requestsFor(path).size(); }
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
    const int before = seen(path);
    QUrl url = server.url(path);
    url.setHost(hostName);
    host->send("event", "showUrl", url.toString());
    QTRY_COMPARE_WITH_TIMEOUT(seen(path), before + 1, 10000);
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
    const int paintedA = seen("/painted/nav/a");
    QVERIFY(clickPage(50, 30));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/b"), b + 1, 10000);
    QVERIFY(xdotool(back));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/a"), a + 1, 10000);
    QVERIFY(xdotool(forward));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/b"), b + 2, 10000);
    QVERIFY(xdotool(back));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/seen/nav/a"), a + 2, 10000);
    // A click while the page is still being laid out is lost.
    QTRY_COMPARE_WITH_TIMEOUT(seen("/painted/nav/a"), paintedA + 2, 10000);
    // The new tab's page replaces the history: b, then a, are remembered.
    const int c = seen("/painted/nav/c");
    QVERIFY(clickPage(50, 130));
    QTRY_COMPARE_WITH_TIMEOUT(seen("/painted/nav/c"), c + 1, 10000);
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
