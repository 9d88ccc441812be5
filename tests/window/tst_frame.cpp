// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "resources/resource.h"
#include "web/vellchatwebview.h"
#include "widgets/informbox.h"
#include "widgets/textbutton.h"
#include "window/vellchatwebbroswer_impl.h"

#include <QLabel>
#include <QScreen>
#include <QtTest>

using Frame = VellChatWebBroswer_impl;
Q_DECLARE_METATYPE(Qt::CursorShape)

// The frame under a plain top-level widget standing in for the window: on the
// offscreen platform its frame geometry is its geometry, so every rectangle
// below can be worked out by hand.
class tst_Frame : public QObject
{
    Q_OBJECT
private slots:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
    void initTestCase();
    void init();
    void cleanup();
    void hitTest_data();
    void hitTest();
    void drag_data();
    void drag();
    void otherButtonsDoNotDrag();
    void doubleClick_data();
    void doubleClick();
    void maximisedDragRestoresUnderThePointer_data();
    void maximisedDragRestoresUnderThePointer();
    void chromeAtScale_data();
    void chromeAtScale();
    void titleBarLayout_data();
    void titleBarLayout();
    void visibilityUpdates();
    void overlayAndBoxes();
private:
    TextButton *button(const QString &caption) const;
    void checkRow(const QList<QWidget *> &row) const;
    void press(const QPoint &local, Qt::MouseButton button = Qt::LeftButton);
    void moveTo(const QPoint &local, Qt::MouseButtons buttons = Qt::LeftButton);
    QWidget *window = nullptr;
    Frame *frame = nullptr;
    QPixmap defaultLogo;
};

void tst_Frame::initTestCase()
{
    VellChatWBConfigure::init();
    defaultLogo = *Resource::ShareInstance()->channelLogo();
}

void tst_Frame::init()
{
    VellChatWBConfigure::init();
    window = new QWidget;
    window->setGeometry(100, 100, 500, 400);
    frame = new Frame(window, false);
    frame->setGeometry(0, 0, 500, 400);
}

void tst_Frame::cleanup()
{
    Resource::ShareInstance()->setChannelLogo(new QPixmap(defaultLogo));
    delete window;
    window = nullptr;
    frame = nullptr;
}

TextButton *tst_Frame::button(const QString &caption) const
{
    // captions are not readable from outside; buttons are told apart by order of creation
    const QList<TextButton *> all = frame->findChildren<TextButton *>(QString(), Qt::FindDirectChildrenOnly);
    const QStringList order = {"Refresh", "Collect", "Share", "Channel", "Open Outside", "Download History", "Back"};
    const int i = order.indexOf(caption);
    return i >= 0 && i < all.size() ? all.at(i) : nullptr;
}

// Left to right as listed, none over the next, 5 px apart as configured,
// each within the 40 px bar's height and centred in it.
void tst_Frame::checkRow(const QList<QWidget *> &row) const
{
    for (int i = 0; i < row.size(); ++i) {
        const QRect r = row.at(i)->geometry();
        QVERIFY2(r.left() >= 0 && r.top() >= 0 && r.bottom() <= 39, qPrintable(QString::number(i)));
        QVERIFY2(qAbs(r.top() - (39 - r.bottom())) <= 1, qPrintable(QString::number(i)));
        if (i > 0)
            QCOMPARE(r.left() - row.at(i - 1)->geometry().right() - 1, 5);
    }
}

void tst_Frame::press(const QPoint &local, Qt::MouseButton b)
{
    QMouseEvent e(QEvent::MouseButtonPress, local, frame->mapToGlobal(local), b, b, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &e);
}

void tst_Frame::moveTo(const QPoint &local, Qt::MouseButtons buttons)
{
    // the press position stays the reference; frame->mapToGlobal would follow the moving window
    QMouseEvent e(QEvent::MouseMove, local, local + QPoint(100, 100), Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &e);
}

void tst_Frame::hitTest_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("code");
    // W = 500, H = 400: near margins reach 5 and 11, far margins 495/494 and 489/389
    QTest::newRow("top-left corner") << QPoint(0, 0) << int(Frame::HitTopLeft);
    QTest::newRow("top-left corner, deepest") << QPoint(11, 11) << int(Frame::HitTopLeft);
    QTest::newRow("past the corner") << QPoint(12, 11) << int(Frame::HitMove);
    QTest::newRow("top edge") << QPoint(12, 5) << int(Frame::HitTop);
    QTest::newRow("below the top edge") << QPoint(200, 6) << int(Frame::HitMove);
    QTest::newRow("left edge") << QPoint(5, 200) << int(Frame::HitLeft);
    QTest::newRow("right of the left edge") << QPoint(6, 200) << int(Frame::HitMove);
    QTest::newRow("right edge") << QPoint(495, 200) << int(Frame::HitRight);
    QTest::newRow("left of the right edge") << QPoint(494, 200) << int(Frame::HitMove);
    QTest::newRow("bottom edge") << QPoint(250, 395) << int(Frame::HitBottom);
    QTest::newRow("above the bottom edge") << QPoint(250, 394) << int(Frame::HitMove);
    QTest::newRow("top-right corner") << QPoint(489, 11) << int(Frame::HitTopRight);
    QTest::newRow("top edge near the right") << QPoint(488, 0) << int(Frame::HitTop);
    QTest::newRow("bottom-left corner") << QPoint(11, 389) << int(Frame::HitBottomLeft);
    QTest::newRow("left band above the corner") << QPoint(1, 388) << int(Frame::HitLeft);
    QTest::newRow("bottom-right corner") << QPoint(489, 389) << int(Frame::HitBottomRight);
    QTest::newRow("title bar") << QPoint(250, 20) << int(Frame::HitMove);
}

void tst_Frame::hitTest()
{
    QFETCH(QPoint, point);
    QTEST(frame->hitTest(point.x(), point.y()), "code");
}

void tst_Frame::drag_data()
{
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<Qt::CursorShape>("cursor");
    QTest::addColumn<bool>("decorated");
    // window at (100,100) 500x400: right edge x = 599, bottom edge y = 499
    QTest::newRow("title bar moves") << QPoint(250, 20) << QPoint(15, 7) << QRect(115, 107, 500, 400) << Qt::ArrowCursor << false;
    QTest::newRow("right edge") << QPoint(497, 200) << QPoint(30, 9) << QRect(100, 100, 530, 400) << Qt::SizeHorCursor << false;
    QTest::newRow("left edge keeps the right edge") << QPoint(2, 200) << QPoint(30, 9) << QRect(130, 100, 470, 400) << Qt::SizeHorCursor << false;
    QTest::newRow("top edge keeps the bottom edge") << QPoint(200, 2) << QPoint(4, -20) << QRect(100, 80, 500, 420) << Qt::SizeVerCursor << false;
    QTest::newRow("bottom edge") << QPoint(200, 398) << QPoint(4, -20) << QRect(100, 100, 500, 380) << Qt::SizeVerCursor << false;
    QTest::newRow("top-left corner") << QPoint(3, 3) << QPoint(-10, 25) << QRect(90, 125, 510, 375) << Qt::SizeFDiagCursor << false;
    QTest::newRow("top-right corner") << QPoint(495, 3) << QPoint(-10, 25) << QRect(100, 125, 490, 375) << Qt::SizeBDiagCursor << false;
    QTest::newRow("bottom-left corner") << QPoint(3, 395) << QPoint(-10, 25) << QRect(90, 100, 510, 425) << Qt::SizeBDiagCursor << false;
    QTest::newRow("bottom-right corner") << QPoint(495, 395) << QPoint(-10, 25) << QRect(100, 100, 490, 425) << Qt::SizeFDiagCursor << false;
    // Shown, the window gets a frame of 2 pixels around it: the same drags
    // change the client area by exactly the same amounts.
    QTest::newRow("decorated: title bar moves") << QPoint(250, 20) << QPoint(15, 7) << QRect(115, 107, 500, 400)
                                                << Qt::ArrowCursor << true;
    QTest::newRow("decorated: right edge") << QPoint(497, 200) << QPoint(30, 9) << QRect(100, 100, 530, 400)
                                           << Qt::SizeHorCursor << true;
    QTest::newRow("decorated: top-left corner") << QPoint(3, 3) << QPoint(-10, 25) << QRect(90, 125, 510, 375)
                                                << Qt::SizeFDiagCursor << true;
}

void tst_Frame::drag()
{
    QFETCH(QPoint, pressAt);
    QFETCH(QPoint, delta);
    QFETCH(QRect, geometry);
    QFETCH(bool, decorated);
    if (decorated) {
        window->show();
        QTRY_COMPARE(window->frameGeometry(), QRect(98, 98, 504, 404));
    }
    QSignalSpy clears(frame, &Frame::clearWindowState);
    press(pressAt);
    QTEST(frame->cursor().shape(), "cursor");
    // two steps: the second starts again from the press, not from the first step
    moveTo(pressAt + QPoint(3, 3));
    moveTo(pressAt + delta);
    QTRY_COMPARE(window->geometry(), geometry);
    const bool moving = frame->hitTest(pressAt.x(), pressAt.y()) == Frame::HitMove;
    QCOMPARE(clears.count(), moving ? 2 : 0);

    QMouseEvent release(QEvent::MouseButtonRelease, pressAt, frame->mapToGlobal(pressAt), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &release);
    QCOMPARE(frame->cursor().shape(), Qt::ArrowCursor);
}

void tst_Frame::otherButtonsDoNotDrag()
{
    press(QPoint(2, 200), Qt::RightButton);
    moveTo(QPoint(40, 200), Qt::RightButton);
    QCOMPARE(window->geometry(), QRect(100, 100, 500, 400));

    // a left press followed by a move with both buttons held only sets the cursor
    press(QPoint(2, 200));
    moveTo(QPoint(40, 200), Qt::LeftButton | Qt::RightButton);
    QCOMPARE(window->geometry(), QRect(100, 100, 500, 400));
    QCOMPARE(frame->cursor().shape(), Qt::SizeHorCursor);
}

void tst_Frame::doubleClick_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QString>("signal");   // empty: neither
    QTest::newRow("title bar") << QPoint(250, 20) << false << "maxSizeClicked";
    QTest::newRow("title bar, maximised") << QPoint(250, 20) << true << "restoreClicked";
    QTest::newRow("title bar's last row") << QPoint(250, 39) << false << "maxSizeClicked";
    QTest::newRow("below the title bar") << QPoint(250, 40) << false << "";
    QTest::newRow("top edge") << QPoint(250, 3) << false << "";
    QTest::newRow("top-left corner") << QPoint(8, 8) << false << "";
}

// A double-click on the title bar maximises or restores, as on the window
// manager's; the edges stay handles.
void tst_Frame::doubleClick()
{
    QFETCH(QPoint, at);
    QFETCH(bool, maximized);
    QFETCH(QString, signal);
    window->show();
    if (maximized)
        window->setWindowState(Qt::WindowMaximized);
    QSignalSpy maxSpy(frame, &Frame::maxSizeClicked);
    QSignalSpy restoreSpy(frame, &Frame::restoreClicked);
    QTest::mouseDClick(frame, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(maxSpy.count(), signal == "maxSizeClicked" ? 1 : 0);
    QCOMPARE(restoreSpy.count(), signal == "restoreClicked" ? 1 : 0);
}

// Dragged by its title bar, a maximised window comes back at its normal size
// with the pointer over the same share of its width, then follows the pointer.
void tst_Frame::maximisedDragRestoresUnderThePointer_data()
{
    QTest::addColumn<QSize>("ownNormalSize");   // empty: the window keeps no account of its own
    QTest::addColumn<int>("grabX");             // where the pointer lands on the restored frame
    QTest::addColumn<QSize>("frameSize");
    // Pressed 250 of 800 in: the same share of the normal frame's 504 is 157.
    QTest::newRow("the toolkit's normal geometry") << QSize() << 157 << QSize(504, 404);
    // ...and of a 304 wide frame 95.
    QTest::newRow("the window's own") << QSize(300, 200) << 95 << QSize(304, 204);
}

void tst_Frame::maximisedDragRestoresUnderThePointer()
{
    QFETCH(QSize, ownNormalSize);
    QFETCH(int, grabX);
    QFETCH(QSize, frameSize);
    if (ownNormalSize.isValid())
        frame->frameGrip()->setNormalSize([ownNormalSize] { return ownNormalSize; });
    // Shown, the offscreen window gets a 2-pixel frame around its 500 x 400
    // client area; maximised, its frame covers the screen, 800 wide.
    window->show();
    window->setWindowState(Qt::WindowMaximized);
    QCOMPARE(window->screen()->geometry().width(), 800);
    QTRY_COMPARE(window->frameGeometry(), window->screen()->geometry());
    auto send = [this](QEvent::Type type, const QPoint &global) {
        // the frame lies at the client area's corner, (2, 2)
        QMouseEvent e(type, global - QPoint(2, 2), global, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(frame, &e);
    };
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(248, 18), QPointF(250, 20), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &down);
    send(QEvent::MouseMove, QPoint(252, 21));   // a hand's tremble is no drag yet
    QVERIFY(window->isMaximized());

    // The pointer stays 20 below the frame's top.
    send(QEvent::MouseMove, QPoint(310, 50));
    QVERIFY(!window->isMaximized());
    QTRY_COMPARE(window->frameGeometry(), QRect(QPoint(310 - grabX, 50 - 20), frameSize));
    send(QEvent::MouseMove, QPoint(320, 55));
    QTRY_COMPARE(window->frameGeometry(), QRect(QPoint(320 - grabX, 55 - 20), frameSize));
}

void tst_Frame::chromeAtScale_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<double>("ratio");   // the toolkit's device pixel ratio
    QTest::addColumn<int>("title");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QSize>("box");
    QTest::newRow("100 %") << 96.0 << 1.0 << 40 << 1.0 << QSize(300, 100);
    QTest::newRow("125 %") << 120.0 << 1.0 << 50 << 1.25 << QSize(375, 125);
    QTest::newRow("150 %") << 144.0 << 1.0 << 60 << 1.5 << QSize(450, 150);
    // the toolkit's scaling switched off by the user: this program scales on its own
    QTest::newRow("200 %, by this program") << 192.0 << 1.0 << 80 << 2.0 << QSize(600, 200);
    // the toolkit scales every logical pixel, page included
    QTest::newRow("200 %, by the toolkit") << 96.0 << 2.0 << 40 << 1.0 << QSize(300, 100);
}

// Title bar, page and boxes grow together, and nothing is cut off.
void tst_Frame::chromeAtScale()
{
    QFETCH(double, dpi);
    QFETCH(double, ratio);
    QFETCH(int, title);
    QFETCH(double, zoom);
    QFETCH(QSize, box);
    delete window;
    VellChatWBConfigure::measureScreen(dpi, ratio);
    VellChatWBConfigure::setDefaults();
    VellChatWBConfigure::SetTitleCheckChannelShow(true);
    window = new QWidget;
    frame = new Frame(window, false);
    frame->setGeometry(0, 0, 1000, 700);
    window->show();

    QCOMPARE(frame->view()->geometry(), QRect(1, title, 998, 700 - title - 1));
    QCOMPARE(frame->view()->zoomFactor(), zoom);
    const QRect bar(0, 0, 1000, title);
    for (QWidget *child : frame->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (qobject_cast<Button *>(child) && child->isVisible())
            QVERIFY2(bar.contains(child->geometry()), child->metaObject()->className());

    frame->showInfo(VellChatWBConfigure::WebFileRemoveTipsText());
    InformBox *shown = frame->findChild<InformBox *>();
    QVERIFY(shown);
    QCOMPARE(shown->size(), box);
    const QRect inside(QPoint(0, 0), box);
    const QMargins m = VellChatWBConfigure::InfoBoxMargins();
    QVERIFY(inside.marginsRemoved(m).contains(shown->findChild<QLabel *>()->geometry()));
    for (TextButton *b : shown->findChildren<TextButton *>())
        QVERIFY(b->isHidden() || inside.marginsRemoved(m).contains(b->geometry()));
}

// A logo of the given size, left half red and right half blue, at a pixel ratio.
static QPixmap halvedLogo(const QSize &size, qreal ratio)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width() / 2; ++x)
            image.setPixelColor(x, y, Qt::red);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

void tst_Frame::titleBarLayout_data()
{
    QTest::addColumn<bool>("collect");
    QTest::addColumn<bool>("share");
    QTest::addColumn<bool>("channel");
    QTest::addColumn<bool>("openOutside");
    QTest::addColumn<QSize>("logo");        // device pixels; invalid: the built-in logo
    QTest::addColumn<double>("logoRatio");
    QTest::addColumn<QSize>("logoSize");    // the logo button, in the 40 px title bar
    QTest::newRow("all shown") << true << true << true << true << QSize() << 1.0 << QSize(20, 20);
    QTest::newRow("collect hidden") << false << true << true << true << QSize() << 1.0 << QSize(20, 20);
    QTest::newRow("both hidden") << false << false << true << true << QSize() << 1.0 << QSize(20, 20);
    QTest::newRow("channel only") << true << true << true << false << QSize() << 1.0 << QSize(20, 20);
    QTest::newRow("open outside only") << true << true << false << true << QSize() << 1.0 << QSize(20, 20);
    QTest::newRow("neither") << true << true << false << false << QSize() << 1.0 << QSize(20, 20);
    QTest::newRow("64 x 64 logo fits the bar") << true << true << false << true << QSize(64, 64) << 1.0 << QSize(40, 40);
    QTest::newRow("wide logo keeps its aspect") << true << true << false << true << QSize(120, 60) << 1.0 << QSize(80, 40);
    QTest::newRow("small logo is not enlarged") << true << true << false << true << QSize(30, 24) << 1.0 << QSize(30, 24);
    QTest::newRow("bar-high logo stays") << true << true << false << true << QSize(50, 40) << 1.0 << QSize(50, 40);
    QTest::newRow("2x logo of 32 px stays") << true << true << false << true << QSize(64, 64) << 2.0 << QSize(32, 32);
    QTest::newRow("2x logo of 80 px fits") << true << true << false << true << QSize(160, 160) << 2.0 << QSize(40, 40);
}

void tst_Frame::titleBarLayout()
{
    QFETCH(bool, collect);
    QFETCH(bool, share);
    QFETCH(bool, channel);
    QFETCH(bool, openOutside);
    QFETCH(QSize, logo);
    QFETCH(double, logoRatio);
    QFETCH(QSize, logoSize);
    delete window;
    VellChatWBConfigure::SetTitleStoreToVellShow(collect);
    VellChatWBConfigure::SetTitleShareToFriendShow(share);
    VellChatWBConfigure::SetTitleCheckChannelShow(channel);
    VellChatWBConfigure::SetTitleOpenOutsideShow(openOutside);
    if (logo.isValid())
        Resource::ShareInstance()->setChannelLogo(new QPixmap(halvedLogo(logo, logoRatio)));
    window = new QWidget;
    frame = new Frame(window, false);
    frame->setGeometry(0, 0, 1000, 400);   // wide enough for every button
    window->show();   // a hidden widget keeps its resize, and so its layout, for later

    auto *logoButton = frame->findChild<ImageButton *>();
    QCOMPARE(logoButton->size(), logoSize);
    QCOMPARE(logoButton->x(), 5);   // the configured left margin
    QList<QWidget *> row = {logoButton, button("Refresh")};
    if (collect)
        row << button("Collect");
    if (share)
        row << button("Share");
    row << button("Download History");
    if (channel)
        row << button("Channel");
    if (openOutside)
        row << button("Open Outside");
    checkRow(row);
    QCOMPARE(button("Channel")->isHidden(), !channel);
    QCOMPARE(button("Open Outside")->isHidden(), !openOutside);
    if (!channel)   // Open Outside takes the hidden Channel's place
        QCOMPARE(button("Open Outside")->x(), button("Channel")->x());

    // The window buttons stay hidden, the window system has its own, but
    // they still stand flush right: close 5 px in from the edge, maximise
    // and restore sharing one place, minimise before them.
    const QList<ImageButton *> images = frame->findChildren<ImageButton *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(images.size(), 5);
    ImageButton *mini = images.at(1), *max = images.at(2), *restore = images.at(3), *close = images.at(4);
    QCOMPARE(close->geometry().right(), 994);
    QCOMPARE(restore->geometry(), max->geometry());
    checkRow({mini, max, close});
    QVERIFY(row.last()->geometry().right() < mini->x());
    // the page fills the rest, one pixel in from the sides and the bottom
    QCOMPARE(frame->view()->geometry(), QRect(1, 40, 998, 359));

    if (logoRatio == 2.0) {
        // Drawn on a 2x surface the logo keeps a pixel-sharp edge in its middle.
        QImage image(logoSize * 2, QImage::Format_ARGB32);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        logoButton->render(&image);
        const int middle = logoSize.width() - 1;
        QCOMPARE(image.pixelColor(middle, logoSize.height()), QColor(Qt::red));
        QCOMPARE(image.pixelColor(middle + 1, logoSize.height()), QColor(Qt::blue));
    }
}

void tst_Frame::visibilityUpdates()
{
    window->show();
    TextButton *shareButton = button("Share");
    TextButton *webFile = button("Download History");
    const int before = webFile->x();
    const int shareAt = shareButton->x();
    // hidden, Share gives its place to the button after it
    VellChatWBConfigure::SetTitleShareToFriendShow(false);
    frame->updateShareToFriend();
    QVERIFY(shareButton->isHidden());
    QCOMPARE(webFile->x(), shareAt);
    VellChatWBConfigure::SetTitleShareToFriendShow(true);
    frame->updateShareToFriend();
    QVERIFY(!shareButton->isHidden());
    QCOMPARE(webFile->x(), before);

    VellChatWBConfigure::SetTitleOpenOutsideShow(true);
    frame->updateOpenOutside();
    QVERIFY(!button("Open Outside")->isHidden());
    QCOMPARE(webFile->x(), before);
    checkRow({webFile, button("Open Outside")});
    const int place = button("Open Outside")->x();

    // the channel button, shown, pushes Open Outside along at once; hidden, gives its place back
    VellChatWBConfigure::SetTitleCheckChannelShow(true);
    frame->updateCheckChannel();
    QCOMPARE(button("Channel")->x(), place);
    checkRow({webFile, button("Channel"), button("Open Outside")});
    VellChatWBConfigure::SetTitleCheckChannelShow(false);
    frame->updateCheckChannel();
    QCOMPARE(button("Open Outside")->x(), place);
}

static QWidget *overlayOf(Frame *frame)
{
    for (QWidget *w : frame->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (w->metaObject() == &QWidget::staticMetaObject)
            return w;
    return nullptr;
}

void tst_Frame::overlayAndBoxes()
{
    window->show();
    QWidget *overlay = overlayOf(frame);
    QVERIFY(overlay);
    QVERIFY(overlay->isHidden());
    QCOMPARE(overlay->palette().color(QPalette::Window), QColor(0, 0, 0, 40));

    frame->showInfo(QStringLiteral("first"));
    QVERIFY(!overlay->isHidden());
    QCOMPARE(overlay->geometry(), QRect(0, 0, 500, 400));
    frame->showInfo(QStringLiteral("second"));
    QTRY_COMPARE(frame->findChildren<InformBox *>().size(), 1);
    InformBox *box = frame->findChild<InformBox *>();
    // centred: (500 - 300) / 2, (400 - 100) / 2
    QCOMPARE(box->geometry(), QRect(100, 150, 300, 100));
    QVERIFY(!overlay->isHidden());
    QCOMPARE(box->findChild<QLabel *>()->text(), QStringLiteral("second"));
    // a host message has one button; it takes box and overlay away
    QList<TextButton *> buttons = box->findChildren<TextButton *>();
    QCOMPARE(buttons.size(), 2);
    QVERIFY(buttons.at(1)->isHidden());
    QTest::mouseClick(buttons.at(0), Qt::LeftButton);
    QVERIFY(overlay->isHidden());
    QTRY_COMPARE(frame->findChildren<InformBox *>().size(), 0);
}

QTEST_MAIN(tst_Frame)
#include "tst_frame.moc"
