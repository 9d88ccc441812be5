// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "tests/support/xdesktop.h"
#include "webtestkit.h"

#include <QFile>
#include <QtTest>

// What passes between the window and the desktop's other programs, on an X
// desktop of the test's own that openbox decorates: links to other programs'
// addresses, clicked with xdotool and handed to a stand-in for the desktop's
// opener (xdg-open) that records its calls, and files dragged in from another
// program. The host allows one scheme ahead, "x-sentinel": once a click on its
// link has reached the opener, whatever the click before it caused has too.
class tst_RealHandoff : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void externalLink_data();
    void externalLink();
    void droppedFile_data();
    void droppedFile();
    void refusedLinksReportedOnce();
    void cleanupTestCase();
private:
    void show(const QString &path, const QByteArray &html);
    bool clickPage(int x, int y) const;
    QStringList openerCalls() const;
    bool answerUntilPageWorks(const QString &key, int x, int y, const QString &sentinel) const;

    QScopedPointer<XDesktop> desktop;
    BrowserProcess browser;
    QScopedPointer<FakeHost> host;
    PageServer server;
    QTemporaryDir opener;   // the stand-in xdg-open and its record
    QString window;
};

void tst_RealHandoff::initTestCase()
{
    XDesktop::Options options;
    options.windowManager = true;
    desktop.reset(new XDesktop(options));
    QVERIFY(desktop->isValid());
    QVERIFY(browser.isValid());
    QVERIFY(server.startHttp());
    QVERIFY(opener.isValid());
    QFile script(opener.filePath("xdg-open"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$*\" >> '" + opener.filePath("calls").toUtf8() + "'\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));

    QProcessEnvironment env = desktop->environment();
    env.insert("PATH", opener.path() + ':' + env.value("PATH"));
    browser.process().setProcessEnvironment(env);
    host.reset(new FakeHost(browser.endpoint()));
    browser.start();
    QVERIFY(host->waitForClient(30000));
    host->send("config", "title", "Handoff");
    host->send("config", "windowsRect", "40,40,600,500");
    host->send("config", "externalSchemes", "x-sentinel");
    host->send("event", "showUrl", "about:blank");
    window = desktop->findWindow("Handoff");
    QVERIFY(!window.isEmpty());
}

void tst_RealHandoff::cleanupTestCase()
{
    if (!host)
        return;
    host->hangUp();
    QVERIFY(browser.process().waitForFinished(15000));
}

void tst_RealHandoff::show(const QString &path, const QByteArray &html)
{
    server.setContent(path, html, "text/html");
    host->send("event", "showUrl", server.url(path).toString());
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor(path).isEmpty(), 20000);
    QTest::qWait(800);   // nothing to observe from outside until the page is painted
}

// x, y in the page, which starts below the 40-pixel title bar.
bool tst_RealHandoff::clickPage(int x, int y) const
{
    const QPoint at = desktop->clientRect(window).topLeft() + QPoint(1 + x, 41 + y);
    return desktop->xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

QStringList tst_RealHandoff::openerCalls() const
{
    QFile record(opener.filePath("calls"));
    if (!record.open(QIODevice::ReadOnly))
        return QStringList();
    return QString::fromUtf8(record.readAll()).split('\n', Qt::SkipEmptyParts);
}

// A page's box takes no key for a moment after it shows. The key goes
// again and again, each time followed by a click on the page's sentinel
// link at x, y, until the box has gone and the click gets through.
bool tst_RealHandoff::answerUntilPageWorks(const QString &key, int x, int y, const QString &sentinel) const
{
    for (int attempt = 0; attempt < 30; ++attempt) {
        if (!desktop->xdotool({"key", key}) || !clickPage(x, y))
            return false;
        if (QTest::qWaitFor([&] { return openerCalls().contains(sentinel); }, 1000))
            return true;
    }
    return false;
}

void tst_RealHandoff::externalLink_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("clicked");    // false: the page's script goes there on its own
    QTest::addColumn<QString>("answer");  // the key the user answers the box with
    QTest::addColumn<bool>("opened");
    QTest::newRow("mailto, Cancel") << "mailto:alice@example.org?subject=hi" << true << "Escape" << false;
    QTest::newRow("mailto, Open") << "mailto:alice@example.org?subject=hi" << true << "Return" << true;
    QTest::newRow("application scheme, Cancel") << "x-app:open/thing" << true << "Escape" << false;
    QTest::newRow("application scheme, Open") << "x-app:open/thing" << true << "Return" << true;
    QTest::newRow("mailto by script, no click") << "mailto:bob@example.org" << false << "" << false;
}

void tst_RealHandoff::externalLink()
{
    QFETCH(QString, address);
    QFETCH(bool, clicked);
    QFETCH(QString, answer);
    QFETCH(bool, opened);
    const QString sentinel = "x-sentinel:" + QString(QTest::currentDataTag()).replace(QRegularExpression("[^a-zA-Z]+"), "-").toLower();
    const QByteArray script = clicked ? QByteArray() : "<script>location = '" + address.toUtf8() + "';</script>";
    const QString path = "/links-" + sentinel.mid(11);
    // The box takes the keyboard from the page, which tells the server.
    show(path, "<html><body style='margin:0'>"
               "<a href='" + address.toUtf8() + "' style='display:block;height:100px'>link</a>"
               "<a href='" + sentinel.toUtf8() + "' style='display:block;height:100px'>sentinel</a>"
               "<script>onblur = function () { fetch('" + path.toUtf8() + "-blurred'); };</script>"
               + script + "</body></html>");
    const int before = openerCalls().size();
    if (clicked) {
        QVERIFY(clickPage(200, 50));
        QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor(path + "-blurred").isEmpty(), 20000);
        // It takes no key for a moment after it shows: answered once the
        // page behind it works again.
        QVERIFY(answerUntilPageWorks(answer, 200, 150, sentinel));
    } else {
        QVERIFY(clickPage(200, 150));
    }
    QTRY_VERIFY_WITH_TIMEOUT(openerCalls().contains(sentinel), 10000);
    const QStringList expected = opened ? QStringList{address, sentinel} : QStringList{sentinel};
    QCOMPARE(openerCalls().mid(before), expected);
}

// One click that makes the page follow fifty links to another program: the
// user gets one box, and the host, which follows the page's loads, hears one
// load that came to nothing, not fifty, for a page that never changed.
void tst_RealHandoff::refusedLinksReportedOnce()
{
    host->send("config", "reportNavigation", "1");
    const QString sentinel = "x-sentinel:after-fifty";
    show("/fifty", "<html><body style='margin:0'>"
                   "<a href='#' style='display:block;height:100px' onclick='var i = 0, t = setInterval(function () {"
                   " location = \"x-app:run\" + i; if (++i == 50) { clearInterval(t); fetch(\"/fifty-gone\"); } }, 20); return false;'>fifty</a>"
                   "<a href='" + sentinel.toUtf8() + "' style='display:block;height:100px'>sentinel</a>"
                   "<script>onblur = function () { fetch('/fifty-blurred'); };</script></body></html>");
    QTRY_VERIFY_WITH_TIMEOUT(!host->framesOf("feedback", "loadFinished").isEmpty(), 20000);
    host->clear();
    QVERIFY(clickPage(200, 50));
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/fifty-blurred").isEmpty(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/fifty-gone").isEmpty(), 20000);
    // Once the sentinel's click has reached the opener, every refused
    // link's end has reached the host before it.
    QVERIFY(answerUntilPageWorks("Escape", 200, 150, sentinel));
    QStringList ends;
    for (const HostFrame &f : host->framesOf("feedback", "loadFinished"))
        ends << QString::fromUtf8(f.payload);
    QCOMPARE(ends, QStringList{"{\"ok\":false,\"url\":\"" + server.url("/fifty").toString() + "\"}"});
    QVERIFY(openerCalls().filter("x-app:run").isEmpty());
}

void tst_RealHandoff::droppedFile_data()
{
    QTest::addColumn<bool>("dropZone");
    QTest::newRow("page without a drop zone") << false;
    QTest::newRow("page with a drop zone") << true;
}

// A file dragged from another program onto the page: a drop zone gets it, and
// either way the page stays (a click on it still reaches its script).
void tst_RealHandoff::droppedFile()
{
    QFETCH(bool, dropZone);
    const QString tag = dropZone ? "zone" : "plain";
    const QByteArray zone = "<div style='height:300px' ondragover='event.preventDefault()'"
                            " ondrop='event.preventDefault(); fetch(\"/dropped-" + tag.toUtf8()
                            + "/\" + event.dataTransfer.files[0].name)'>drop here</div>";
    show("/drop-" + tag, "<html><body style='margin:0;height:400px' onclick='fetch(\"/still-" + tag.toUtf8() + "\")'>"
                         + (dropZone ? zone : QByteArray("<p>no drop zone</p>")) + "</body></html>");
    QTemporaryDir files;
    QFile dropped(files.filePath("dropped.txt"));
    QVERIFY(dropped.open(QIODevice::WriteOnly));
    dropped.write("dropped");
    dropped.close();
    QProcess source;
    source.setProcessEnvironment(desktop->environment());
    source.start(WB_DRAGSOURCE_PATH, {dropped.fileName(), "drag source"});
    const QString sourceWindow = desktop->findWindow("drag source");
    QVERIFY(!sourceWindow.isEmpty());
    const QPoint from = desktop->clientRect(sourceWindow).center();
    const QPoint to = desktop->clientRect(window).topLeft() + QPoint(300, 41 + 150);
    QStringList steps{"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"};
    for (int i = 1; i <= 10; ++i) {
        const QPoint p = from + (to - from) * i / 10;
        steps << "sleep" << "0.1" << "mousemove" << QString::number(p.x()) << QString::number(p.y());
    }
    steps << "sleep" << "0.3" << "mousemove" << QString::number(to.x() + 3) << QString::number(to.y())
          << "sleep" << "0.5" << "mouseup" << "1";
    QVERIFY(desktop->xdotool(steps));
    if (dropZone)
        QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/dropped-zone/dropped.txt").isEmpty(), 10000);
    QTest::qWait(800);   // a navigation to the file would be under way by now
    QVERIFY(clickPage(300, 350));
    QTRY_VERIFY_WITH_TIMEOUT(!server.requestsFor("/still-" + tag).isEmpty(), 10000);
    source.kill();
    source.waitForFinished(5000);
}

QTEST_MAIN(tst_RealHandoff)
#include "tst_realhandoff.moc"
