// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"
#include "tests/support/xdesktop.h"
#include "webtestkit.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QtTest>

// A desktop of its own and the browser, copied once for all the sessions on it.
struct Desk
{
    explicit Desk(const XDesktop::Options &options) : desktop(options) {}
    XDesktop desktop;
    BrowserProcess browser;
};

static XDesktop::Options openbox(bool twoScreens = false)
{
    XDesktop::Options options;
    options.windowManager = true;
    options.twoScreens = twoScreens;
    return options;
}

// One start of the browser, with a host of its own, on one desktop.
struct Session
{
    explicit Session(Desk &desk) : desktop(desk.desktop), browser(desk.browser) {}

    bool start(const QString &windowsRect, const QString &url = QStringLiteral("about:blank"))
    {
        host.reset(new FakeHost(browser.endpoint()));
        browser.process().setProcessEnvironment(desktop.environment());
        browser.start();
        if (!host->waitForClient(30000))
            return false;
        host->send("config", "title", "Real desktop");
        if (!windowsRect.isEmpty())
            host->send("config", "windowsRect", windowsRect);
        host->send("event", "showUrl", url);
        window = desktop.findWindow(QStringLiteral("Real desktop"));
        return !window.isEmpty();
    }

    // The rectangle the position text should carry: frame corner, client size.
    QRect placement() const
    {
        return QRect(desktop.frameRect(window).topLeft(), desktop.clientRect(window).size());
    }

    QPoint onClient(int x, int y) const { return desktop.clientRect(window).topLeft() + QPoint(x, y); }

    QStringList positions() const
    {
        QStringList texts;
        for (const HostFrame &f : host->framesOf("feedback", "savePosition"))
            texts << QString::fromUtf8(f.payload);
        return texts;
    }
    QString lastPosition() const { return positions().value(positions().size() - 1); }

    // The window manager's own close (Alt+F4 in openbox) or, on a bare
    // server, the host hanging up; either way the browser ends with 0.
    bool end(bool byWindowManager)
    {
        if (byWindowManager) {
            // openbox closes the focused window: the browser's, as a user
            // would make sure before pressing the keys. A window the test just
            // minimised, moved or restored may not have the focus back yet,
            // and openbox then drops the keys: like a user, press them again.
            for (int press = 0; press < 3; ++press) {
                if (!window.isEmpty())
                    desktop.xdotool({"windowactivate", "--sync", window});
                desktop.xdotool({"key", "alt+F4"});
                QDeadlineTimer pressed(5000);
                while (browser.process().state() != QProcess::NotRunning && !pressed.hasExpired())
                    QTest::qWait(20);
                if (browser.process().state() == QProcess::NotRunning)
                    break;
            }
        } else {
            host->hangUp();
        }
        // Once the link is gone for the host too, all the browser sent is read.
        QDeadlineTimer deadline(60000);
        while ((browser.process().state() != QProcess::NotRunning || host->clientOpen()) && !deadline.hasExpired())
            QTest::qWait(20);
        return browser.process().state() == QProcess::NotRunning
            && browser.process().exitStatus() == QProcess::NormalExit && browser.process().exitCode() == 0;
    }

    ~Session()
    {
        if (browser.process().state() == QProcess::NotRunning)
            return;
        host->hangUp();
        if (!browser.process().waitForFinished(10000))
            browser.process().kill();
        browser.process().waitForFinished(5000);
    }

    const XDesktop &desktop;
    BrowserProcess &browser;
    QScopedPointer<FakeHost> host;
    QString window;
};

// The built browser on real X desktops, each the test's own: a bare X server,
// one that openbox decorates (its frame: left 1, right 1, top 20, bottom 5),
// two screens side by side, and screens of higher density. The host's side is
// played over the real link; the user's side with the X test extension
// (xdotool); what the desktop shows is read with xwininfo and xprop.
class tst_RealDesktop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void handles_data();
    void handles();
    void maximiseAndRestore();
    void maximisedStartDraggedByItsTitleBar();
    void reachableStart_data();
    void reachableStart();
    void minimisedWindowComesBackOnActivation();
    void oneScale_data();
    void oneScale();
    void cleanupTestCase();
private:
    PageServer server;
    // The handles' rows of one desktop share one session.
    QScopedPointer<Desk> handlesDesk;
    QScopedPointer<Session> handlesSession;
    bool handlesDecorated = false;
};

static const char kScalePage[] =
    "<html><head><script src='/qwebchannel.js'></script></head><body><p>scale</p><script>"
    "new QWebChannel(qt.webChannelTransport, function (channel) {"
    "  setInterval(function () {"
    "    channel.objects.jsbridge.postLog('dpr ' + window.devicePixelRatio + ' width ' + window.innerWidth);"
    "  }, 200);"
    "});"
    "</script></body></html>";

static QString positionText(const QRect &r, bool maximized)
{
    return QStringLiteral("%1,%2,%3,%4,%5").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).arg(maximized ? 1 : 0);
}

void tst_RealDesktop::initTestCase()
{
    QFile channelScript(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    QVERIFY(channelScript.open(QIODevice::ReadOnly));
    server.setContent("/qwebchannel.js", channelScript.readAll(), "application/javascript");
    server.setContent("/scale.html", kScalePage, "text/html");
    QVERIFY(server.startHttp());
}

void tst_RealDesktop::cleanupTestCase()
{
    handlesSession.reset();
    handlesDesk.reset();
}

void tst_RealDesktop::roundTrip_data()
{
    QTest::addColumn<bool>("decorated");
    QTest::addColumn<bool>("maximized");
    QTest::newRow("bare X") << false << false;
    QTest::newRow("openbox") << true << false;
    QTest::newRow("bare X, maximised") << false << true;
    QTest::newRow("openbox, maximised") << true << true;
}

// Saved, given back, shown, saved again, three times over: the window never
// creeps by its decoration, and a maximised one keeps its normal geometry.
void tst_RealDesktop::roundTrip()
{
    QFETCH(bool, decorated);
    QFETCH(bool, maximized);
    Desk desk(decorated ? openbox() : XDesktop::Options());
    const XDesktop &desktop = desk.desktop;
    QVERIFY(desktop.isValid());
    QVERIFY(desk.browser.isValid());

    QRect rect(100, 80, 700, 500);
    QString text = positionText(rect, maximized);
    for (int start = 1; start <= 3; ++start) {
        Session s(desk);
        QVERIFY(s.start(text));
        if (maximized) {
            if (decorated)
                QTRY_VERIFY_WITH_TIMEOUT(desktop.isMaximized(s.window), 30000);
            else   // nobody to maximise it: it keeps the place it was given
                QTRY_COMPARE_WITH_TIMEOUT(s.placement(), rect, 30000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(s.placement(), rect, 30000);
            // Moved by its own title bar: the text follows the frame exactly.
            const QPoint grab = s.onClient(600, 20);
            QVERIFY(desktop.drag(grab, grab + QPoint(17 * start, 11)));
            rect.translate(17 * start, 11);
            text = positionText(rect, false);
            // With a window manager its close comes at once: the window
            // reports the move on its way out if no tick has done so yet.
            if (!decorated) {
                QTRY_COMPARE_WITH_TIMEOUT(s.placement(), rect, 30000);
                QTRY_COMPARE_WITH_TIMEOUT(s.lastPosition(), text, 30000);
            }
        }
        if (maximized && !decorated)   // only a wrong text could be sent: give it a tick to show
            QTest::qWait(1500);
        QVERIFY(s.end(decorated));
        // Nothing but the text it was given, or the one it was moved to; the
        // window manager's close reports a move within the last second too.
        if (maximized)
            QVERIFY2(s.positions().isEmpty(), qPrintable(s.positions().join(' ')));
        else
            QCOMPARE(s.lastPosition(), text);
    }

    if (maximized && decorated) {
        // Restored, it goes back exactly to the geometry it was given.
        Session s(desk);
        QVERIFY(s.start(text));
        QTRY_VERIFY_WITH_TIMEOUT(desktop.isMaximized(s.window), 30000);
        QVERIFY(desktop.doubleClick(s.onClient(600, 20)));
        QTRY_VERIFY_WITH_TIMEOUT(!desktop.isMaximized(s.window), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(s.placement(), rect, 30000);
        QVERIFY(s.host->waitForCount("feedback", "savePosition", 1, 30000));
        QCOMPARE(s.lastPosition(), positionText(rect, false));
        QVERIFY(s.end(true));
    }
}

void tst_RealDesktop::handles_data()
{
    QTest::addColumn<bool>("decorated");
    QTest::addColumn<QString>("edges");   // the edges that follow the pointer; "move": all of them
    QTest::addColumn<QPoint>("delta");
    for (bool decorated : {false, true}) {
        const char *desk = decorated ? "openbox" : "bare X";
        QTest::addRow("%s: right", desk) << decorated << "R" << QPoint(30, 7);
        QTest::addRow("%s: left", desk) << decorated << "L" << QPoint(-25, 9);
        QTest::addRow("%s: top", desk) << decorated << "T" << QPoint(6, -20);
        QTest::addRow("%s: bottom", desk) << decorated << "B" << QPoint(-4, 25);
        QTest::addRow("%s: top-left", desk) << decorated << "TL" << QPoint(-10, -12);
        QTest::addRow("%s: top-right", desk) << decorated << "TR" << QPoint(15, -10);
        QTest::addRow("%s: bottom-left", desk) << decorated << "BL" << QPoint(-12, 14);
        QTest::addRow("%s: bottom-right", desk) << decorated << "BR" << QPoint(20, 16);
        QTest::addRow("%s: title bar", desk) << decorated << "move" << QPoint(37, 23);
    }
}

// Every handle moves exactly the edges it stands for, by exactly the
// pointer's travel; the title bar moves the whole window. The rows of one
// desktop run one after the other in one session.
void tst_RealDesktop::handles()
{
    QFETCH(bool, decorated);
    QFETCH(QString, edges);
    QFETCH(QPoint, delta);
    if (!handlesSession || handlesDecorated != decorated) {
        handlesSession.reset();
        handlesDesk.reset(new Desk(decorated ? openbox() : XDesktop::Options()));
        QVERIFY(handlesDesk->desktop.isValid());
        handlesSession.reset(new Session(*handlesDesk));
        handlesDecorated = decorated;
        QVERIFY(handlesSession->start("200,150,700,500,0"));
        QTRY_COMPARE_WITH_TIMEOUT(handlesSession->placement(), QRect(200, 150, 700, 500), 30000);
    }
    const XDesktop &desktop = handlesDesk->desktop;
    Session *session = handlesSession.data();
    const QRect client = desktop.clientRect(session->window);
    const QMargins extents = desktop.frameExtents(session->window);
    QCOMPARE(extents, decorated ? QMargins(1, 20, 1, 5) : QMargins());
    // Client coordinates of each handle. The page covers the client area but
    // for the title bar and a one-pixel band inside the border at the left,
    // right and bottom; the frame lies one pixel in from the window's edge.
    const int w = client.width();
    const int h = client.height();
    const QHash<QString, QPoint> at{{"T", {w / 2, 3}}, {"B", {w / 2, h - 2}}, {"L", {1, h / 2}}, {"R", {w - 2, h / 2}},
                                    {"TL", {4, 4}}, {"TR", {w - 5, 4}}, {"BL", {1, h - 2}}, {"BR", {w - 2, h - 2}},
                                    {"move", {w - 100, 20}}};
    QRect expected = client;
    if (edges == "move")
        expected.translate(delta);
    if (edges.contains('L'))
        expected.setLeft(client.left() + delta.x());
    if (edges.contains('R'))
        expected.setRight(client.right() + delta.x());
    if (edges.contains('T'))
        expected.setTop(client.top() + delta.y());
    if (edges.contains('B'))
        expected.setBottom(client.bottom() + delta.y());

    const QPoint from = client.topLeft() + at.value(edges);
    QVERIFY(desktop.drag(from, from + delta));
    QTRY_COMPARE_WITH_TIMEOUT(desktop.clientRect(session->window), expected, 30000);
    QCOMPARE(desktop.frameExtents(session->window), extents);
    // and the host hears the frame's corner and the client size
    QTRY_COMPARE_WITH_TIMEOUT(session->lastPosition(), positionText(session->placement(), false), 30000);
}

// Maximised and restored by the window manager (a double-click on its title
// bar) and by the window's own title bar: the host hears the fifth field
// follow, with the normal geometry, and restoring returns exactly to it.
void tst_RealDesktop::maximiseAndRestore()
{
    Desk desk(openbox());
    const XDesktop &desktop = desk.desktop;
    QVERIFY(desktop.isValid());
    Session s(desk);
    const QRect rect(100, 80, 700, 500);
    QVERIFY(s.start(positionText(rect, false)));
    QTRY_COMPARE_WITH_TIMEOUT(s.placement(), rect, 30000);

    struct Step
    {
        const char *what;
        bool ownTitleBar;
        bool maximized;
    };
    const Step steps[] = {{"window manager maximises", false, true}, {"window manager restores", false, false},
                          {"own title bar maximises", true, true}, {"own title bar restores", true, false}};
    int reports = 0;
    for (const Step &step : steps) {
        const QRect frame = desktop.frameRect(s.window);
        // the window manager's title bar is the frame's top 20 pixels
        const QPoint at = step.ownTitleBar ? s.onClient(600, 20) : QPoint(frame.center().x(), frame.top() + 10);
        QVERIFY2(desktop.doubleClick(at), step.what);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.isMaximized(s.window), step.maximized, 30000);
        QVERIFY2(s.host->waitForCount("feedback", "savePosition", ++reports, 30000), step.what);
        QCOMPARE(s.lastPosition(), positionText(rect, step.maximized));
        if (!step.maximized)
            QTRY_COMPARE_WITH_TIMEOUT(s.placement(), rect, 30000);
    }
    QVERIFY(s.end(true));
}

// Started maximised and dragged by its own title bar: it comes back at its
// normal size under the pointer, as window managers do, and then follows it.
void tst_RealDesktop::maximisedStartDraggedByItsTitleBar()
{
    Desk desk(openbox());
    const XDesktop &desktop = desk.desktop;
    QVERIFY(desktop.isValid());
    Session s(desk);
    QVERIFY(s.start("100,80,700,500,1"));
    QTRY_VERIFY_WITH_TIMEOUT(desktop.isMaximized(s.window), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.clientRect(s.window).width(), 1280, 30000);
    const QRect maximizedFrame = desktop.frameRect(s.window);

    const QPoint press = s.onClient(640, 20);   // half way across, on the title bar
    const QPoint release = press + QPoint(60, 80);
    QVERIFY(desktop.drag(press, release));
    QTRY_VERIFY_WITH_TIMEOUT(!desktop.isMaximized(s.window), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.clientRect(s.window).size(), QSize(700, 500), 30000);
    // Under the pointer as it was under the press: half way across, as far
    // below the frame's top as before (a pixel of decoration either way).
    const QRect frame = desktop.frameRect(s.window);
    QVERIFY2(qAbs(release.x() - frame.left() - frame.width() / 2) <= 2, qPrintable(QString::number(frame.left())));
    QVERIFY2(qAbs((release.y() - frame.top()) - (press.y() - maximizedFrame.top())) <= 1, qPrintable(QString::number(frame.top())));
    QTRY_COMPARE_WITH_TIMEOUT(s.lastPosition(), positionText(s.placement(), false), 30000);

    // From now on an ordinary move by the pointer's travel.
    const QRect before = s.placement();
    const QPoint grab = s.onClient(600, 20);
    QVERIFY(desktop.drag(grab, grab + QPoint(-40, 30)));
    QTRY_COMPARE_WITH_TIMEOUT(s.placement(), before.translated(-40, 30), 30000);
    QVERIFY(s.end(true));
}

void tst_RealDesktop::reachableStart_data()
{
    QTest::addColumn<bool>("twoScreens");
    QTest::addColumn<QString>("windowsRect");   // empty: the default geometry
    QTest::addColumn<QRect>("placed");          // frame corner, client size
    // one 1280 x 1024 screen, or two of them side by side
    QTest::newRow("default keeps the title bar on the screen") << false << "" << QRect(10, 10, 520, 850);
    QTest::newRow("title bar above the screen") << false << "-1,-20,700,500,0" << QRect(-1, 0, 700, 500);
    QTest::newRow("off every screen") << false << "3000,2000,700,500,0" << QRect(580, 524, 700, 500);
    QTest::newRow("on the second screen") << true << "1400,100,700,500,0" << QRect(1400, 100, 700, 500);
    QTest::newRow("right of the second screen") << true << "4000,100,700,500,0" << QRect(1860, 100, 700, 500);
    QTest::newRow("left of the first screen") << true << "-3000,300,700,500,0" << QRect(0, 300, 700, 500);
}

// No start leaves the window manager's title bar off the screen, and a
// window whose screen is gone comes back on the nearest one.
void tst_RealDesktop::reachableStart()
{
    QFETCH(bool, twoScreens);
    QFETCH(QString, windowsRect);
    QFETCH(QRect, placed);
    Desk desk(openbox(twoScreens));
    const XDesktop &desktop = desk.desktop;
    QVERIFY(desktop.isValid());
    Session s(desk);
    QVERIFY(s.start(windowsRect));
    QTRY_COMPARE_WITH_TIMEOUT(s.placement(), placed, 30000);
    QVERIFY(desktop.frameRect(s.window).top() >= 0);
    // A text that had to change is sent at once, so the host keeps the new one.
    if (!windowsRect.isEmpty() && windowsRect != positionText(placed, false))
        QTRY_COMPARE_WITH_TIMEOUT(s.lastPosition(), positionText(placed, false), 30000);
    QVERIFY(s.end(true));
}

// The host's activation brings a minimised window back and gives it the focus.
void tst_RealDesktop::minimisedWindowComesBackOnActivation()
{
    Desk desk(openbox());
    const XDesktop &desktop = desk.desktop;
    QVERIFY(desktop.isValid());
    Session s(desk);
    QVERIFY(s.start("100,80,700,500,0"));
    QTRY_COMPARE_WITH_TIMEOUT(desktop.activeWindow(), s.window, 30000);
    QVERIFY(desktop.xdotool({"windowminimize", s.window}));
    QTRY_VERIFY_WITH_TIMEOUT(desktop.isIconic(s.window), 30000);
    s.host->send("event", "active", QString());
    QTRY_VERIFY_WITH_TIMEOUT(!desktop.isIconic(s.window), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.activeWindow(), s.window, 30000);
    // openbox gives the focus at once but slides the frame up from the
    // bottom of the screen for a moment: the window ends where it was.
    QTRY_COMPARE_WITH_TIMEOUT(s.placement(), QRect(100, 80, 700, 500), 30000);
    QVERIFY(s.end(true));
}

void tst_RealDesktop::oneScale_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("client");   // on the screen, in its pixels
    QTest::addColumn<QString>("page");   // what the page reports
    // The text is 100,80,800,500. At 200 % the toolkit doubles everything, as
    // QT_SCALE_FACTOR=2 would; at 150 % the window keeps the host's pixels and
    // zooms its chrome and page itself (and may not be narrower than 780).
    QTest::newRow("100 %") << 96 << QSize(1280, 1024) << QRect(100, 80, 800, 500) << "dpr 1 width 796";
    QTest::newRow("150 %") << 144 << QSize(1920, 1536) << QRect(100, 80, 800, 500) << "dpr 1.5 width 531";   // 796 / 1.5 = 530.7
    QTest::newRow("200 %") << 192 << QSize(2560, 2048) << QRect(200, 160, 1600, 1000) << "dpr 2 width 796";
}

// Chrome and page at one scale, as the screen's dots per inch ask for it.
void tst_RealDesktop::oneScale()
{
    QFETCH(int, dpi);
    QFETCH(QSize, screen);
    QFETCH(QRect, client);
    QFETCH(QString, page);
    XDesktop::Options options;
    options.dpi = dpi;
    options.screen = screen;
    Desk desk(options);
    const XDesktop &desktop = desk.desktop;
    QVERIFY(desktop.isValid());
    Session s(desk);
    QVERIFY(s.start("100,80,800,500,0", server.url("/scale.html").toString()));
    QTRY_COMPARE_WITH_TIMEOUT(desktop.clientRect(s.window), client, 30000);
    // The page lies a pixel inside the frame, which lies a pixel inside the
    // border: 800 - 4 wide, in the page's own pixels.
    auto reported = [&s] {
        const QList<HostFrame> logs = s.host->framesOf("feedback", "receiveLog");
        return logs.isEmpty() ? QString() : QString::fromUtf8(logs.last().payload);
    };
    QTRY_COMPARE_WITH_TIMEOUT(reported(), page, 20000);
    QVERIFY(s.end(false));
}

QTEST_MAIN(tst_RealDesktop)
#include "tst_realdesktop.moc"
