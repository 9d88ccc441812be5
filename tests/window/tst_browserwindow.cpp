// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfiletree.h"
#include "hostlink/transport.h"
#include "tests/support/fakehost.h"
#include "web/vellchatwebview.h"
#include "web/vellwebengineurlrequestinterceptor.h"
#include "webtestkit.h"
#include "widgets/imagebutton.h"
#include "widgets/informbox.h"
#include "widgets/textbutton.h"
#include "window/findbar.h"
#include "window/vellchatwebbroswer.h"
#include "window/vellchatwebbroswer_impl.h"
#include "window/windowhostcommands.h"
#include "window/windowplacement.h"

#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <QWebEnginePage>
#include <csignal>
#include <QRegularExpression>
#include <QtTest>

// The window driven through the real host link over a local socket, in this
// process, so that windows, buttons and boxes can be looked at directly.
class tst_BrowserWindow : public QObject
{
    Q_OBJECT
private slots:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
    void initTestCase();
    void hostMessagesBeforeTheWindow();
    void showUrlMakesOneWindow();
    void badUrlsLeaveAWorkingWindow();
    void titleButtonsSendTheirBytes_data();
    void titleButtonsSendTheirBytes();
    void positionIsReportedOnChange();
    void positionRoundTrips();
    void windowStatesReachTheHost_data();
    void windowStatesReachTheHost();
    void hostMessagesInBoxes();
    void downloadAnswerShowsInfo();
    void configWhileShown_data();
    void configWhileShown();
    void rendererCrashReloadsOnce();
    void laterWindowReleasesEarlierInterceptor();
    void cleanupTestCase() { VellChatWebBroswer::destory(); }
private:
    static QList<VellChatWebBroswer *> windows();
    static QStringList boxTexts();
    void pageFillsTheScreenAndLeaves();
    TextButton *titleButton(int index) const;
    PageServer server;
    FakeHost host;
};

QList<VellChatWebBroswer *> tst_BrowserWindow::windows()
{
    QList<VellChatWebBroswer *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *b = qobject_cast<VellChatWebBroswer *>(w))
            out.append(b);
    return out;
}

QStringList tst_BrowserWindow::boxTexts()
{
    QStringList texts;
    if (VellChatWebBroswer *w = VellChatWebBroswer::instance())
        for (InformBox *box : w->impl()->findChildren<InformBox *>())
            texts << box->findChild<QLabel *>()->text();
    return texts;
}

// refresh, collect, share, channel, open outside, download history, back
TextButton *tst_BrowserWindow::titleButton(int index) const
{
    return VellChatWebBroswer::instance()->impl()->findChildren<TextButton *>(QString(), Qt::FindDirectChildrenOnly).value(index);
}

void tst_BrowserWindow::initTestCase()
{
    // What the host asks is done to the window, as in the browser.
    static WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);
    VellChatWBConfigure::init();
    QVERIFY(server.startHttp());
    QVERIFY(host.isListening());
    transport::shareInstance()->connectToVell(host.serverName());
    QVERIFY(host.waitForClient());
}

void tst_BrowserWindow::hostMessagesBeforeTheWindow()
{
    host.send("event", "active", QString());
    host.send("event", "showBoxMessage", "early");
    host.send("webfile", "startDownloadRes", R"({"info":"x","key":""})");
    host.send("config", "title", "Channel pages");
    host.send("config", "windowsRect", "40,30,700,500");
    QTRY_COMPARE(VellChatWBConfigure::Title(), QStringLiteral("Channel pages"));
    QVERIFY(windows().isEmpty());
}

void tst_BrowserWindow::showUrlMakesOneWindow()
{
    QByteArray burst;
    for (int i = 0; i < 100; ++i)
        burst += FakeHost::frame("event", "showUrl", server.url(QStringLiteral("/p%1").arg(i)).toString());
    host.sendRaw(burst);
    QTRY_VERIFY(VellChatWebBroswer::instance());
    QTRY_COMPARE(VellChatWebBroswer::instance()->impl()->view()->url(), server.url("/p99"));
    QCOMPARE(windows().size(), 1);
    VellChatWebBroswer *w = VellChatWebBroswer::instance();
    QCOMPARE(w->windowTitle(), QStringLiteral("Channel pages"));
    // the frame's corner where the text says, the client area at its size;
    // where the compositor places windows, only the size is ours to set
    if (WindowPlacement::windowsPlaceThemselves())
        QCOMPARE(w->frameGeometry().topLeft(), QPoint(40, 30));
    QCOMPARE(w->size(), QSize(700, 500));
    QCOMPARE(w->minimumWidth(), 520);
    QTRY_VERIFY(!server.requestsFor("/p99").isEmpty());
}

void tst_BrowserWindow::badUrlsLeaveAWorkingWindow()
{
    host.send("event", "showUrl", QString());
    host.send("event", "showUrl", "http://[::1");
    host.send("event", "showUrl", "\x01not a url at all");
    host.send("event", "showUrl", server.url("/after").toString());
    QTRY_VERIFY(!server.requestsFor("/after").isEmpty());
    QCOMPARE(windows().size(), 1);
}

void tst_BrowserWindow::titleButtonsSendTheirBytes_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("refresh") << 0 << QByteArray("feedback:refresh:;");
    QTest::newRow("collect") << 1 << QByteArray("feedback:storeToVell:;");
    QTest::newRow("share") << 2 << QByteArray("feedback:share:;");
    QTest::newRow("channel") << 3 << QByteArray("feedback:channel:;");
    QTest::newRow("open outside") << 4 << QByteArray("feedback:openOutside:;");
    // With reportNavigation on, the payload is the page shown ("%PAGE%").
    QTest::newRow("refresh, naming the page") << 0 << QByteArray("feedback:refresh:%PAGE%;");
    QTest::newRow("open outside, naming the page") << 4 << QByteArray("feedback:openOutside:%PAGE%;");
}

void tst_BrowserWindow::titleButtonsSendTheirBytes()
{
    QFETCH(int, button);
    QFETCH(QByteArray, bytes);
    host.send("event", "updateCheckChannel", "true");
    host.send("event", "updateOpenOutside", "true");
    QTRY_VERIFY(!titleButton(3)->isHidden() && !titleButton(4)->isHidden());
    const bool naming = bytes.contains("%PAGE%");
    host.send("config", "reportNavigation", naming ? "1" : "0");
    const QUrl page = VellChatWebBroswer::instance()->impl()->view()->url();
    QVERIFY(page.toString().startsWith("http://127.0.0.1:"));
    bytes.replace("%PAGE%", page.toEncoded().toBase64());
    QTRY_COMPARE(VellChatWBConfigure::ReportNavigation(), naming);
    host.clear();
    QTest::mouseClick(titleButton(button), Qt::LeftButton);
    // A page still finishing its load from the test before says so on its
    // own; only what the button sent counts.
    auto fromButton = [this] {
        QString sent = QString::fromLatin1(host.rawBytes());
        sent.remove(QRegularExpression("feedback:(loadFinished|navigated):[^;]*;"));
        return sent.toLatin1();
    };
    QTRY_COMPARE(fromButton(), bytes);
    host.send("config", "reportNavigation", "0");
    QTRY_VERIFY(!VellChatWBConfigure::ReportNavigation());
}

void tst_BrowserWindow::positionIsReportedOnChange()
{
    VellChatWebBroswer *w = VellChatWebBroswer::instance();
    // settle: whatever the first tick had to say has been said
    QTest::qWait(1200);
    host.clear();
    // Frame corner and client size: exactly what "windowsRect" gives back.
    // Where nothing reports a position (Wayland), the corner the window was
    // given stays in the text, so that it means the same place on X11 later.
    QString expected;
    if (WindowPlacement::windowsPlaceThemselves()) {
        w->move(w->pos() + QPoint(1, 0));
        expected = QStringLiteral("41,30,700,500,0");
    } else {
        w->resize(w->size() + QSize(1, 0));
        expected = QStringLiteral("40,30,701,500,0");
    }
    const HostFrame sent = host.waitFor("feedback", "savePosition", 3000);
    QCOMPARE(QString::fromUtf8(sent.payload), expected);
    QTest::qWait(2200);   // two more ticks with nothing new to say
    QCOMPARE(host.framesOf("feedback", "savePosition").size(), 1);
}

// The text round-trips: a window built from it lands where the last one was.
void tst_BrowserWindow::positionRoundTrips()
{
    const QString text = QString::fromUtf8(host.framesOf("feedback", "savePosition").last().payload);
    const QStringList v = text.split(',');
    QCOMPARE(v.size(), 5);
    VellChatWebBroswer *w = VellChatWebBroswer::instance();
    if (WindowPlacement::windowsPlaceThemselves())
        QCOMPARE(QPoint(v[0].toInt(), v[1].toInt()), w->frameGeometry().topLeft());
    QCOMPARE(QSize(v[2].toInt(), v[3].toInt()), w->size());
}

void tst_BrowserWindow::windowStatesReachTheHost_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("maximized");
    // one window through all rows, in order; "outside": the window system's
    // own change, as a window manager's button or title bar makes it
    QTest::newRow("maximised from outside") << "outside max" << true;
    QTest::newRow("restored from outside") << "outside restore" << false;
    QTest::newRow("own maximise") << "onMaxSize" << true;
    QTest::newRow("minimised, back maximised on the host's activation") << "onMiniSize" << true;
    QTest::newRow("own restore") << "onRestore" << false;
    // The page's own request, by a click in it, and back the same way.
    QTest::newRow("the page fills the screen and leaves") << "page full screen" << false;
}

// The fifth field says maximised whoever maximised the window, and the
// rectangle stays the normal one meanwhile.
void tst_BrowserWindow::windowStatesReachTheHost()
{
    QFETCH(QString, action);
    QFETCH(bool, maximized);
    VellChatWebBroswer *w = VellChatWebBroswer::instance();
    if (action == "onMiniSize" && !WindowPlacement::windowsPlaceThemselves())
        QSKIP("a Wayland client cannot bring itself back from minimised");
    const QString last = QString::fromUtf8(host.framesOf("feedback", "savePosition").last().payload);
    const QString normal = last.left(last.lastIndexOf(','));
    if (action == "outside max")
        w->windowHandle()->setWindowState(Qt::WindowMaximized);
    else if (action == "outside restore")
        w->windowHandle()->setWindowState(Qt::WindowNoState);
    else if (action == "page full screen")
        pageFillsTheScreenAndLeaves();
    else
        QVERIFY(QMetaObject::invokeMethod(w, action.toLatin1().constData()));
    if (action == "onMiniSize") {
        QTRY_VERIFY(w->isMinimized());
        host.send("event", "active", QString());
        QTRY_VERIFY(!w->isMinimized());
    }
    if (QTest::currentTestFailed())
        return;
    QTRY_COMPARE(w->isMaximized(), maximized);
    QTRY_COMPARE(QString::fromUtf8(host.framesOf("feedback", "savePosition").last().payload),
                 normal + (maximized ? ",1" : ",0"));
}

// Whatever the screen, the window comes back at its size, and the host never
// hears of the screen's.
void tst_BrowserWindow::pageFillsTheScreenAndLeaves()
{
    server.setContent("/full.html", "<html><body><script>onclick = function () {"
                      " if (document.fullscreenElement) document.exitFullscreen();"
                      " else document.documentElement.requestFullscreen(); };</script></body></html>", "text/html");
    host.send("event", "showUrl", server.url("/full.html").toString());
    VellChatWebBroswer *w = VellChatWebBroswer::instance();
    QWebEnginePage *page = w->impl()->view()->page();
    QTRY_COMPARE_WITH_TIMEOUT(page->url(), server.url("/full.html"), 20000);
    QTest::qWait(1000);   // nothing shows when the page is painted
    const QSize before = w->size();
    const QSize screen = w->screen()->size();
    auto click = [w] {
        QWidget *area = w->impl()->view()->focusProxy();
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, area->rect().center());
    };
    click();
    QTRY_COMPARE_WITH_TIMEOUT(w->size(), screen, 10000);
    QTest::qWait(1500);   // the window reports its place every second
    click();
    QTRY_COMPARE_WITH_TIMEOUT(w->size(), before, 10000);
    QTest::qWait(1500);
    const QString screenText = QStringLiteral(",%1,%2,").arg(screen.width()).arg(screen.height());
    for (const HostFrame &f : host.framesOf("feedback", "savePosition"))
        QVERIFY2(!QString::fromUtf8(f.payload).contains(screenText), f.payload.constData());
    QVERIFY(!w->isFullScreen());
}

void tst_BrowserWindow::hostMessagesInBoxes()
{
    host.send("event", "showBoxMessage", "first");
    QTRY_COMPARE(boxTexts(), QStringList{"first"});
    host.send("event", "showBoxMessage", QString());
    host.send("event", "showBoxMessage", "second");
    QTRY_COMPARE(boxTexts(), QStringList{"second"});
}

void tst_BrowserWindow::downloadAnswerShowsInfo()
{
    // nothing pending yet: only an answer with an empty key matches an empty pending key
    host.send("webfile", "startDownloadRes", R"({"info":"foreign","key":"0123456789abcdef0123456789abcdef"})");
    host.send("webfile", "startDownloadRes", R"({"info":"matches nothing pending","key":""})");
    QTRY_COMPARE(boxTexts(), QStringList{"matches nothing pending"});
    // and once answered, the same answer is not shown again
    host.send("event", "showBoxMessage", "marker");
    host.send("webfile", "startDownloadRes", R"({"info":"again","key":""})");
    host.send("event", "showBoxMessage", "end");
    QTRY_COMPARE(boxTexts(), QStringList{"end"});
}

void tst_BrowserWindow::configWhileShown_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("title background") << "titleBackgroundColor" << "200,30,40,255";
    QTest::newRow("border colour") << "shadowColor" << "10,200,20,255";
    QTest::newRow("caption colour") << "titleTextColor" << "250,220,0,255";
    QTest::newRow("caption") << "refreshText" << "Reload this page";
    QTest::newRow("title height") << "titleHeight" << "60";
    QTest::newRow("logo") << "titleLogoData" << "";
    QTest::newRow("window title") << "title" << "Renamed pages";
    QTest::newRow("panel's loading text") << "webFileLoadingText" << "Still asking the host";
}

// A value the host changes while the window shows reaches every part of the
// window it concerns, all at once, without anything being hovered.
void tst_BrowserWindow::configWhileShown()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    VellChatWebBroswer *w = VellChatWebBroswer::instance();
    VellChatWebBroswer_impl *frame = w->impl();
    frame->hideBG();   // no box dims what is looked at
    const int refreshWidth = titleButton(0)->width();
    const int gap = titleButton(1)->x() - titleButton(0)->geometry().right();
    if (key == "webFileLoadingText")
        frame->onWebFile();   // the host answers no list here: the panel keeps loading
    if (key == "titleLogoData")
        host.sendRaw("config:titleLogoData:" + pngOf(QSize(64, 64), QColor(250, 200, 0)).toBase64() + ';');
    else
        host.send("config", key, value);

    if (key == "titleBackgroundColor") {
        // along the whole bar, between and behind the buttons
        QTRY_COMPARE(frame->grab().toImage().pixelColor(690, 1), QColor(200, 30, 40));
        const QImage image = frame->grab().toImage();
        for (int x = 0; x < frame->width(); x += 7)
            QCOMPARE(image.pixelColor(x, 1), QColor(200, 30, 40));
        for (int i = 0; i < 6; ++i) {
            const QPoint corner = titleButton(i)->pos() + QPoint(1, 1);
            if (!titleButton(i)->isHidden())
                QCOMPARE(image.pixelColor(corner), QColor(200, 30, 40));
        }
    } else if (key == "titleTextColor") {
        // The strokes of the captions, where a glyph covers whole pixels, in
        // the new colour; and no white left of the old one.
        auto captionPixels = [this, frame](const QColor &colour) {
            const QImage image = frame->grab().toImage();
            int n = 0;
            for (int i = 0; i < 6; ++i) {
                const QRect r = titleButton(i)->geometry();
                for (int y = r.top(); y <= r.bottom() && !titleButton(i)->isHidden(); ++y)
                    for (int x = r.left(); x <= r.right(); ++x)
                        n += image.pixelColor(x, y) == colour;
            }
            return n;
        };
        QTRY_VERIFY(captionPixels(QColor(250, 220, 0)) > 10);
        QCOMPARE(captionPixels(QColor(Qt::white)), 0);
        // The find bar sits on the title's colour and takes its captions too.
        FindBar *bar = frame->findChild<FindBar *>();
        QVERIFY(bar);
        bar->open();
        const QImage found = bar->grab().toImage();
        int findCaptions = 0;
        for (int y = 0; y < found.height(); ++y)
            for (int x = 0; x < found.width(); ++x)
                findCaptions += found.pixelColor(x, y) == QColor(250, 220, 0);
        QVERIFY(findCaptions > 10);
        bar->close();
        host.send("config", "titleTextColor", "255,255,255,255");
        QTRY_COMPARE(captionPixels(QColor(250, 220, 0)), 0);
    } else if (key == "shadowColor") {
        QTRY_COMPARE(w->grab().toImage().pixelColor(0, 250), QColor(10, 200, 20));
        const QImage image = w->grab().toImage();
        QCOMPARE(image.pixelColor(w->width() - 1, 100), QColor(10, 200, 20));
        QCOMPARE(image.pixelColor(350, w->height() - 1), QColor(10, 200, 20));
    } else if (key == "refreshText") {
        QTRY_VERIFY(titleButton(0)->width() > refreshWidth + 40);
        // the buttons after it make room at once
        QCOMPARE(titleButton(1)->x() - titleButton(0)->geometry().right(), gap);
        host.send("config", "refreshText", "Refresh");
        QTRY_COMPARE(titleButton(0)->width(), refreshWidth);
    } else if (key == "titleHeight") {
        QTRY_COMPARE(frame->view()->y(), 60);
        QCOMPARE(frame->view()->height(), frame->height() - 60 - 1);
        QCOMPARE(titleButton(0)->y(), 15);   // (60 - 30) / 2
        const QColor title = VellChatWBConfigure::TitleBG().color();
        QCOMPARE(frame->grab().toImage().pixelColor(690, 58), title);
        host.send("config", "titleHeight", "40");
        QTRY_COMPARE(frame->view()->y(), 40);
    } else if (key == "titleLogoData") {
        // fitted to the 40 px bar, and the buttons move along
        ImageButton *logo = frame->findChild<ImageButton *>();
        QTRY_COMPARE(logo->size(), QSize(40, 40));
        QCOMPARE(logo->pos(), QPoint(5, 0));
        QCOMPARE(titleButton(0)->x(), 5 + 40 + 5);
    } else if (key == "title") {
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("Renamed pages"));
    } else if (key == "webFileLoadingText") {
        QLabel *text = nullptr;
        for (QLabel *label : frame->panel()->findChildren<QLabel *>())
            if (label->pixmap(Qt::ReturnByValue).isNull())
                text = label;
        QVERIFY(text && !text->isHidden());
        QTRY_COMPARE(text->text(), QStringLiteral("Still asking the host"));
        frame->onWebFileBack();
    }
}

void tst_BrowserWindow::rendererCrashReloadsOnce()
{
    host.send("event", "showUrl", server.url("/fragile").toString());
    QTRY_COMPARE(server.requestsFor("/fragile").size(), 1);
    QWebEnginePage *page = VellChatWebBroswer::instance()->impl()->view()->page();
    // The page's own renderer, not the one of the page before it that may
    // still be on its way out: kill only once the page is shown.
    QTRY_COMPARE_WITH_TIMEOUT(page->title(), QStringLiteral("/fragile"), 20000);
    QTRY_VERIFY(page->renderProcessPid() > 0);
    host.clear();
    ::kill(pid_t(page->renderProcessPid()), SIGKILL);
    const HostFrame log = host.waitFor("feedback", "receiveLog");
    QVERIFY2(log.payload.contains("reloading"), log.payload.constData());
    QTRY_COMPARE_WITH_TIMEOUT(server.requestsFor("/fragile").size(), 2, 20000);

    // dies again at once: told, but no third load
    QTRY_VERIFY(page->renderProcessPid() > 0);
    ::kill(pid_t(page->renderProcessPid()), SIGKILL);
    QVERIFY(host.waitForCount("feedback", "receiveLog", 2));
    QVERIFY(host.framesOf("feedback", "receiveLog").last().payload.contains("not reloading"));
    QTest::qWait(1000);
    QCOMPARE(server.requestsFor("/fragile").size(), 2);
}

void tst_BrowserWindow::laterWindowReleasesEarlierInterceptor()
{
    VellChatWebBroswer::newVellChatWebBroswer(server.url("/first").toString(), nullptr);
    QPointer<VellWebEngineUrlRequestInterceptor> first = VellChatWebBroswer::instance()->requestInterceptor();
    QVERIFY(first);
    VellChatWebBroswer::destory();
    // still the profile's interceptor while no window exists
    QVERIFY(first);

    VellChatWBConfigure::SetAccessToken(QStringLiteral("second-window"));
    VellChatWebBroswer::newVellChatWebBroswer(server.url("/second").toString(), nullptr);
    QVERIFY(first.isNull());
    QTRY_COMPARE(server.requestsFor("/second").size(), 1);
    QCOMPARE(server.requestsFor("/second").first().headers.value("x-access-token"), QByteArray("second-window"));
}

QTEST_MAIN(tst_BrowserWindow)
#include "tst_browserwindow.moc"
