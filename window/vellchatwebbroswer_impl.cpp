#include "window/vellchatwebbroswer_impl.h"

#include "config/externallinks.h"
#include "config/vellchatwbconfigure.h"
#include "downloads/accessiblehistoryview.h"
#include "downloads/downloadfiletree.h"
#include "resources/resource.h"
#include "web/pageprofile.h"
#include "web/vellchatwebview.h"
#include "web/vellwebenginepage.h"
#include "widgets/accessiblebutton.h"
#include "widgets/accessibleinformbox.h"
#include "widgets/informbox.h"
#include "window/vellchatwebbroswer.h"
#include "window/windowplacement.h"

#include <QAccessible>
#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWindow>
#include <QtMath>
#include <utility>

using Config = VellChatWBConfigure;

VellChatWebBroswer_impl::VellChatWebBroswer_impl(QWidget *parent, bool maxed)
    : QWidget(parent)
    , jsBridge(this)
    , logoButton(this, Resource::ShareInstance()->channelLogo())
    , refreshButton(this, Config::TitleRefreshText(), Config::font(), Qt::white)
    , collectButton(this, Config::TitleCollectText(), Config::font(), Qt::white)
    , shareButton(this, Config::TitleShareText(), Config::font(), Qt::white)
    , channelButton(this, Config::TitleChannelText(), Config::font(), Qt::white)
    , openOutsideButton(this, Config::TitleOpenOutsideText(), Config::font(), Qt::white)
    , webFileButton(this, Config::TitleWebFileText(), Config::font(), Qt::white)
    , miniButton(this, Resource::ShareInstance()->miniIcon())
    , maxButton(this, Resource::ShareInstance()->maxIcon())
    , restoreButton(this, Resource::ShareInstance()->restoreIcon())
    , closeButton(this, Resource::ShareInstance()->closeIcon())
    , backButton(this, Config::WebFileBackText(), Config::font(), Qt::white)
    , titleHeight(dpiScaled(Config::TitleHeight()))
    , titleBrush(Config::TitleBG())
{
    installAccessibility();
    overlay = new QWidget(this);
    fitLogo();

    webView = new VellChatWebView(this);
    webView->move(1, titleHeight);

    auto *page = new VellWebEnginePage(PageProfile::instance(), webView);
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this, &VellChatWebBroswer_impl::downloadRequested);
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                onRenderProcessTerminated(int(status), exitCode);
            });

    webPage = page;
    jsBridge.setPage(page);
    connect(page, &VellWebEnginePage::certificateRefused, this, &VellChatWebBroswer_impl::onCertificateRefused);
    connect(page, &QWebEnginePage::loadFinished, this, [this] { settleRefusal(); });
    connect(page, &VellWebEnginePage::navigationRefused, this, &VellChatWebBroswer_impl::receiveLog);
    // Another program gets the address only once the user says so here.
    connect(page, &VellWebEnginePage::externalLinkRequested, this, [this](const QUrl &url) {
        openBox(ExternalLinks::question(url), QStringLiteral("Open"), [url] { QDesktopServices::openUrl(url); },
                Config::InfoCancel());
    });

    auto *channel = new QWebChannel(this);
    channel->registerObject(QStringLiteral("jsbridge"), &jsBridge);
    page->setWebChannel(channel);
    webView->setPage(page);
    // Pages grow with the chrome around them: where the toolkit leaves the
    // scaling to this program (up to 150 %), the page is zoomed to match.
    webView->setZoomFactor(dpiScaled(100) / 100.0);

    connect(&jsBridge, &VellJsBridge::getWebMessage, this, &VellChatWebBroswer_impl::onGetWebMessage);
    connect(&jsBridge, &VellJsBridge::receiveLog, this, &VellChatWebBroswer_impl::receiveLog);
    connect(&jsBridge, &VellJsBridge::currentUserInfo, this, &VellChatWebBroswer_impl::currentUserInfo);

    logoButton.setDisabled(true);
    connect(&miniButton, &Button::clicked, this, &VellChatWebBroswer_impl::miniSizeClicked);
    connect(&maxButton, &Button::clicked, this, &VellChatWebBroswer_impl::maxSizeClicked);
    connect(&restoreButton, &Button::clicked, this, &VellChatWebBroswer_impl::restoreClicked);
    connect(&closeButton, &Button::clicked, this, &VellChatWebBroswer_impl::closeClicked);
    if (maxed)
        maxButton.hide();
    else
        restoreButton.hide();
    // The window system decorates the window; these stay out of sight.
    miniButton.hide();
    maxButton.hide();
    restoreButton.hide();
    closeButton.hide();

    connect(&refreshButton, &Button::clicked, this, &VellChatWebBroswer_impl::refresh);
    connect(&collectButton, &Button::clicked, this, &VellChatWebBroswer_impl::storeToVell);
    connect(&shareButton, &Button::clicked, this, &VellChatWebBroswer_impl::shareToFriend);
    connect(&channelButton, &Button::clicked, this, &VellChatWebBroswer_impl::channel);
    connect(&openOutsideButton, &Button::clicked, this, &VellChatWebBroswer_impl::openOutside);
    connect(&webFileButton, &Button::clicked, this, &VellChatWebBroswer_impl::onWebFile);
    connect(&backButton, &Button::clicked, this, &VellChatWebBroswer_impl::onWebFileBack);
    backButton.hide();
    // The logo does nothing, so Tab passes it.
    nameLogo();
    logoButton.setFocusPolicy(Qt::NoFocus);
    miniButton.setAccessibleName(QStringLiteral("Minimize"));
    maxButton.setAccessibleName(QStringLiteral("Maximize"));
    restoreButton.setAccessibleName(QStringLiteral("Restore"));
    closeButton.setAccessibleName(QStringLiteral("Close"));
    // The page has the keyboard when the window first comes up.
    webView->setFocus(Qt::OtherFocusReason);

    channelButton.setVisible(Config::TitleCheckChannelShow());
    openOutsideButton.setVisible(Config::TitleOpenOutsideShow());
    collectButton.setVisible(Config::TitleStoreToVellShow());
    shareButton.setVisible(Config::TitleShareToFriendShow());

    QPalette dim = overlay->palette();
    dim.setBrush(QPalette::All, QPalette::Window, QBrush(QColor(0, 0, 0, 40)));
    overlay->setPalette(dim);
    overlay->setGeometry(0, 0, width(), height());
    overlay->setAutoFillBackground(true);
    overlay->hide();
}

void VellChatWebBroswer_impl::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(AccessibleButton::factory);
        QAccessible::installFactory(AccessibleInformBox::factory);
        QAccessible::installFactory(AccessibleHistoryView::factory);
        return true;
    }();
    Q_UNUSED(installed)
}

int VellChatWebBroswer_impl::hitTest(int x, int y)
{
    const int w = width();
    const int h = height();
    if (x <= 11 && y <= 11)
        return HitTopLeft;
    if (x <= 11 && y >= h - 11)
        return HitBottomLeft;
    if (x >= w - 11) {
        if (y <= 11)
            return HitTopRight;
        if (y >= h - 11)
            return HitBottomRight;
    }
    if (x <= 5)
        return HitLeft;
    if (x >= w - 5)
        return HitRight;
    if (y <= 5)
        return HitTop;
    if (y >= h - 5)
        return HitBottom;
    return HitMove;
}

Qt::CursorShape VellChatWebBroswer_impl::cursorFor(int code)
{
    switch (code) {
    case HitTop:
    case HitBottom:
        return Qt::SizeVerCursor;
    case HitLeft:
    case HitRight:
        return Qt::SizeHorCursor;
    case HitTopLeft:
    case HitBottomRight:
        return Qt::SizeFDiagCursor;
    case HitTopRight:
    case HitBottomLeft:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

void VellChatWebBroswer_impl::setParentPos(QPoint pos)
{
    emit clearWindowState();
    if (QWidget *w = parentWidget())
        w->move(pos);
}

void VellChatWebBroswer_impl::setParentGeometry(QRect rect)
{
    if (QWidget *w = parentWidget())
        w->setGeometry(rect);
}

static QPoint roundedPoint(const QPointF &p)
{
    // halves go up, so a pointer exactly between two pixels picks the later one
    return QPoint(qFloor(p.x() + 0.5), qFloor(p.y() + 0.5));
}

bool VellChatWebBroswer_impl::parentMaximized() const
{
    return parentWidget() && parentWidget()->isMaximized();
}

void VellChatWebBroswer_impl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressGlobalPos = roundedPoint(event->screenPos());
    if (QWidget *w = parentWidget()) {
        pressFrameGeometry = w->frameGeometry();
        const QRect client = w->geometry();
        pressFrameMargins = QMargins(client.left() - pressFrameGeometry.left(), client.top() - pressFrameGeometry.top(),
                                     pressFrameGeometry.right() - client.right(), pressFrameGeometry.bottom() - client.bottom());
    }
    event->accept();
    if (QWidget *w = parentWidget())
        w->activateWindow();
    setFocus(Qt::MouseFocusReason);
    const QPoint local = roundedPoint(event->localPos());
    dragMode = hitTest(local.x(), local.y());
    setCursor(cursorFor(dragMode));
}

void VellChatWebBroswer_impl::mouseMoveEvent(QMouseEvent *event)
{
    if (dragMode == HitNone) {
        const QPoint local = roundedPoint(event->localPos());
        setCursor(cursorFor(hitTest(local.x(), local.y())));
        return;
    }
    setCursor(cursorFor(dragMode));
    if (event->buttons() != Qt::LeftButton)
        return;
    event->accept();
    const QPoint pointer = roundedPoint(event->screenPos());
    const bool placesItself = WindowPlacement::windowsPlaceThemselves();
    // A drag that changes the window state or hands the pointer to the
    // compositor waits until the pointer has really travelled, so that a click
    // or a double-click on the title bar stays one.
    if ((!placesItself || (dragMode == HitMove && parentMaximized()))
        && (pointer - pressGlobalPos).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!placesItself && handOverDrag()) {
        dragMode = HitNone;   // the compositor has the pointer until the drag ends
        return;
    }
    if (dragMode == HitMove) {
        if (parentMaximized())
            restoreUnderPointer(pointer);
        setParentPos(pressFrameGeometry.topLeft() + pointer - pressGlobalPos);
        return;
    }
    if (parentMaximized())
        return;   // a maximised window keeps its size; window managers do the same
    const QPoint delta = pointer - pressGlobalPos;

    // Every step starts from the press, and the edges not dragged stay put.
    const QRect &g = pressFrameGeometry;
    const int mw = minimumSize().width();
    const int mh = minimumSize().height();
    int left = g.left();
    int top = g.top();
    int width = g.width();
    int height = g.height();
    const bool dragLeft = dragMode == HitLeft || dragMode == HitTopLeft || dragMode == HitBottomLeft;
    const bool dragRight = dragMode == HitRight || dragMode == HitTopRight || dragMode == HitBottomRight;
    const bool dragTop = dragMode == HitTop || dragMode == HitTopLeft || dragMode == HitTopRight;
    const bool dragBottom = dragMode == HitBottom || dragMode == HitBottomLeft || dragMode == HitBottomRight;
    if (dragRight) {
        width = qMax(g.right() - g.left() + 1 + delta.x(), mw);
    } else if (dragLeft) {
        width = qMax(g.right() - g.left() + 1 - delta.x(), mw);
        left = g.right() - width + 1;
    }
    if (dragBottom) {
        height = qMax(g.bottom() - g.top() + 1 + delta.y(), mh);
    } else if (dragTop) {
        height = qMax(g.bottom() - g.top() + 1 - delta.y(), mh);
        top = g.bottom() - height + 1;
    }
    // The arithmetic is the frame's; the window is sized by its client area.
    setParentGeometry(QRect(left, top, width, height).marginsRemoved(pressFrameMargins));
}

// A maximised window dragged by its title bar comes back at its normal size
// with the pointer over the same share of its width, as window managers do it,
// and the drag goes on from there.
void VellChatWebBroswer_impl::restoreUnderPointer(const QPoint &pointer)
{
    QWidget *w = parentWidget();
    QSize normal = w->normalGeometry().size();
    if (auto *browser = qobject_cast<VellChatWebBroswer *>(w))
        normal = browser->normalPlacement().size();
    const QMargins &m = pressFrameMargins;
    const QRect &g = pressFrameGeometry;
    const QSize frameSize(normal.width() + m.left() + m.right(), normal.height() + m.top() + m.bottom());
    const int grabX = g.width() > 0 ? int(qint64(pressGlobalPos.x() - g.left()) * frameSize.width() / g.width()) : 0;
    const QPoint corner(pointer.x() - grabX, pointer.y() - (pressGlobalPos.y() - g.top()));
    emit clearWindowState();
    w->setGeometry(QRect(corner + QPoint(m.left(), m.top()), normal));
    pressGlobalPos = pointer;
    pressFrameGeometry = QRect(corner, frameSize);
}

// Where windows cannot place themselves, the compositor moves or resizes the
// window under the pointer itself.
bool VellChatWebBroswer_impl::handOverDrag()
{
    QWindow *handle = window()->windowHandle();
    if (!handle)
        return false;
    Qt::Edges edges;
    switch (dragMode) {
    case HitMove:
        return handle->startSystemMove();
    case HitTop: edges = Qt::TopEdge; break;
    case HitLeft: edges = Qt::LeftEdge; break;
    case HitBottom: edges = Qt::BottomEdge; break;
    case HitRight: edges = Qt::RightEdge; break;
    case HitTopLeft: edges = Qt::TopEdge | Qt::LeftEdge; break;
    case HitTopRight: edges = Qt::TopEdge | Qt::RightEdge; break;
    case HitBottomLeft: edges = Qt::BottomEdge | Qt::LeftEdge; break;
    case HitBottomRight: edges = Qt::BottomEdge | Qt::RightEdge; break;
    default: return false;
    }
    return handle->startSystemResize(edges);
}

// As on a window manager's title bar, a double-click maximises or restores.
void VellChatWebBroswer_impl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint local = roundedPoint(event->localPos());
    if (local.y() >= titleHeight || hitTest(local.x(), local.y()) != HitMove)
        return;
    event->accept();
    dragMode = HitNone;
    if (parentMaximized())
        emit restoreClicked();
    else
        emit maxSizeClicked();
}

void VellChatWebBroswer_impl::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event)
    releaseMouse();
    dragMode = HitNone;
    setCursor(Qt::ArrowCursor);
}

void VellChatWebBroswer_impl::enterEvent(QEvent *event)
{
    QWidget::enterEvent(event);
    setAttribute(Qt::WA_MouseTracking, true);
}

void VellChatWebBroswer_impl::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    setAttribute(Qt::WA_MouseTracking, false);
}

void VellChatWebBroswer_impl::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    const int t = titleHeight;
    painter.fillRect(QRect(0, 0, width(), t), titleBrush);
    painter.fillRect(QRect(QPoint(0, t), QPoint(width() - 1, height() - 1)), Qt::white);
}

void VellChatWebBroswer_impl::resizeEvent(QResizeEvent *event)
{
    Q_UNUSED(event)
    const int t = titleHeight;
    const int skip = dpiScaled(Config::TitleSkip());
    auto yFor = [t](const QWidget &b) { return (t - b.height()) / 2; };

    int x = dpiScaled(Config::TitleLeft());
    auto place = [&](QWidget &b, bool advance) {
        b.move(x, yFor(b));
        if (advance)
            x += b.width() + skip;
    };
    place(logoButton, true);
    if (!backButton.isHidden())
        place(backButton, true);
    place(refreshButton, true);
    if (!collectButton.isHidden())
        place(collectButton, true);
    if (!shareButton.isHidden())
        place(shareButton, true);
    place(webFileButton, true);
    // Open outside takes the channel's place when that is hidden, and
    // follows it when both are shown.
    place(channelButton, !channelButton.isHidden());
    place(openOutsideButton, false);

    int r = width() - dpiScaled(Config::TitleRight());
    r -= closeButton.width();
    closeButton.move(r, yFor(closeButton));
    r -= skip + maxButton.width();
    maxButton.move(r, yFor(maxButton));
    restoreButton.move(r, yFor(restoreButton));
    r -= skip + miniButton.width();
    miniButton.move(r, yFor(miniButton));

    webView->resize(width() - 2, height() - t - 1);
    if (downloadTree)
        downloadTree->resize(webView->size());
    overlay->setGeometry(0, 0, width(), height());
}

// Keys reach the frame from its own buttons, from the panel and, for the keys
// a page leaves alone, from the page itself; a page that handles a key keeps
// it. An open box takes every key before it gets here.
void VellChatWebBroswer_impl::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const bool panelShowing = webView->isHidden();
    enum { None, Refresh, Back, Forward, Leave } command = None;
    if ((key == Qt::Key_F5 && mods == Qt::NoModifier) || (key == Qt::Key_R && mods == Qt::ControlModifier))
        command = Refresh;
    else if ((key == Qt::Key_Left && mods == Qt::AltModifier) || key == Qt::Key_Back)
        command = Back;
    else if ((key == Qt::Key_Right && mods == Qt::AltModifier) || key == Qt::Key_Forward)
        command = Forward;
    else if (key == Qt::Key_Escape && mods == Qt::NoModifier && panelShowing)
        command = Leave;
    if (command == None) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // Holding a key down acts once: one refresh for the host per press.
    if (event->isAutoRepeat())
        return;
    QWebEngineHistory *history = webView->history();
    if (command == Refresh)
        emit refresh();
    else if ((command == Back && panelShowing) || command == Leave) {
        // Back to the page, keys included.
        onWebFileBack();
        webView->setFocus(Qt::OtherFocusReason);
    }
    else if (command == Back && !panelShowing && history->canGoBack())
        history->back();
    else if (command == Forward && !panelShowing && history->canGoForward())
        history->forward();
}

static void addFocusStops(QWidget *widget, QList<QWidget *> &stops)
{
    if (widget->isHidden() || !widget->isEnabled())
        return;
    if (widget->focusPolicy() & Qt::TabFocus) {
        stops << widget;
        return;
    }
    for (QObject *child : widget->children()) {
        auto *inner = qobject_cast<QWidget *>(child);
        if (inner && !inner->isWindow())
            addFocusStops(inner, stops);
    }
}

// Tab goes round the title buttons as they stand, then the page or the
// panel: the toolkit's own chain follows the order widgets were made in, and
// the page's widget is made late.
bool VellChatWebBroswer_impl::focusNextPrevChild(bool next)
{
    QList<QWidget *> stops;
    for (QWidget *widget : {static_cast<QWidget *>(&backButton), static_cast<QWidget *>(&refreshButton),
                            static_cast<QWidget *>(&collectButton), static_cast<QWidget *>(&shareButton),
                            static_cast<QWidget *>(&webFileButton), static_cast<QWidget *>(&channelButton),
                            static_cast<QWidget *>(&openOutsideButton), static_cast<QWidget *>(webView),
                            static_cast<QWidget *>(downloadTree)}) {
        if (widget)
            addFocusStops(widget, stops);
    }
    if (stops.isEmpty())
        return QWidget::focusNextPrevChild(next);
    const QWidget *focus = QApplication::focusWidget();
    int at = -1;
    for (int i = 0; i < stops.size(); ++i) {
        if (stops.at(i) == focus || stops.at(i)->isAncestorOf(focus))
            at = i;
    }
    const int count = stops.size();
    const int to = next ? (at + 1) % count : (at <= 0 ? count - 1 : at - 1);
    stops.at(to)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void VellChatWebBroswer_impl::showBG()
{
    if (!overlay->isHidden())
        return;
    overlay->show();
    overlay->raise();
}

void VellChatWebBroswer_impl::hideBG()
{
    emit hideInfoBox();
    overlay->hide();
}

static bool syncVisibility(QWidget &button, bool shown)
{
    if (shown == !button.isHidden())
        return false;
    button.setVisible(shown);
    return true;
}

void VellChatWebBroswer_impl::updateShareToFriend()
{
    if (syncVisibility(shareButton, Config::TitleShareToFriendShow()))
        relayout();
}

void VellChatWebBroswer_impl::updateStoreToVell()
{
    if (syncVisibility(collectButton, Config::TitleStoreToVellShow()))
        relayout();
}

void VellChatWebBroswer_impl::updateOpenOutside()
{
    syncVisibility(openOutsideButton, Config::TitleOpenOutsideShow());
}

void VellChatWebBroswer_impl::updateCheckChannel()
{
    // Open outside stands after a shown channel button.
    if (syncVisibility(channelButton, Config::TitleCheckChannelShow()))
        relayout();
}

// A logo taller than the title bar is scaled down to its height, aspect
// kept; a smaller one stays as it is, since enlarging would only blur it.
// The pixels are chosen for the screen's pixel ratio, or the picture's own
// when that is higher, so that the logo stays sharp on a 2x screen.
static QPixmap fitToHeight(const QPixmap &logo, int height, qreal screenRatio)
{
    const qreal ratio = logo.devicePixelRatio();
    if (logo.isNull() || height <= 0 || logo.height() <= height * ratio)
        return logo;
    const qreal target = qMax(screenRatio, ratio);
    const int deviceHeight = qRound(height * target);
    if (logo.height() > deviceHeight) {
        QPixmap scaled = logo.scaledToHeight(deviceHeight, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(target);
        return scaled;
    }
    // Fewer pixels than the screen could show: all of them, only denser.
    QPixmap denser = logo;
    denser.setDevicePixelRatio(qreal(logo.height()) / height);
    return denser;
}

void VellChatWebBroswer_impl::fitLogo()
{
    const QPixmap *logo = Resource::ShareInstance()->channelLogo();
    const qint64 key = logo ? logo->cacheKey() : 0;
    if (key == logoKey && titleHeight == logoHeight)
        return;
    logoKey = key;
    logoHeight = titleHeight;
    logoButton.setImage(logo ? fitToHeight(*logo, titleHeight, devicePixelRatioF()) : QPixmap());
}

void VellChatWebBroswer_impl::nameLogo()
{
    // For screen readers the logo says which channel this is.
    logoButton.setAccessibleName(Config::Title().isEmpty() ? QGuiApplication::applicationDisplayName() : Config::Title());
}

void VellChatWebBroswer_impl::applyConfig()
{
    nameLogo();
    refreshButton.setText(Config::TitleRefreshText());
    collectButton.setText(Config::TitleCollectText());
    shareButton.setText(Config::TitleShareText());
    channelButton.setText(Config::TitleChannelText());
    openOutsideButton.setText(Config::TitleOpenOutsideText());
    webFileButton.setText(Config::TitleWebFileText());
    backButton.setText(Config::WebFileBackText());
    titleHeight = dpiScaled(Config::TitleHeight());
    titleBrush = Config::TitleBG();
    fitLogo();
    webView->move(1, titleHeight);
    if (downloadTree) {
        downloadTree->move(webView->pos());
        downloadTree->applyConfig();
    }
    relayout();
    update();
}

void VellChatWebBroswer_impl::setUrl(QString url)
{
    onWebFileBack();
    if (refusalSettling) {
        urlAfterRefusal = url;
        return;
    }
    loadUrlNow(url);
}

void VellChatWebBroswer_impl::loadUrlNow(const QString &url)
{
    webPage->setStrictCertificates(Config::StrictCertificates());
    webPage->setTokenHosts(Config::AccessToken().isEmpty() ? QStringList() : Config::AccessTokenHosts());
    webPage->setExternalSchemes(Config::ExternalSchemes());
    jsBridge.setAllowedOrigins(Config::BridgeOrigins());
    webView->setUrl(QUrl(url, QUrl::TolerantMode));
    webView->show();
}

// The engine commits the error page of a refused page after the refusal, and
// that commit cancels a page asked for in between: such a page would never
// show. So what the host asks for meanwhile waits for the error page (or a
// second at most, should the engine never report it).
void VellChatWebBroswer_impl::onCertificateRefused(const QString &line)
{
    emit receiveLog(line);
    refusalSettling = true;
    QTimer::singleShot(1000, this, [this] { settleRefusal(); });
}

void VellChatWebBroswer_impl::settleRefusal()
{
    if (!refusalSettling)
        return;
    refusalSettling = false;
    const QString next = std::exchange(urlAfterRefusal, QString());
    if (!next.isEmpty())
        loadUrlNow(next);
}

// Users expect the page back when its renderer dies, but a page that kills
// its renderer straight away again must not keep the window reloading.
void VellChatWebBroswer_impl::onRenderProcessTerminated(int status, int exitCode)
{
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QString url = webView->url().toString();
    if (lastRendererRecovery != 0 && now - lastRendererRecovery < 10000) {
        emit receiveLog(QStringLiteral("page renderer ended again (status %1, code %2) right after a reload; not reloading %3")
                            .arg(status).arg(exitCode).arg(url));
        return;
    }
    lastRendererRecovery = now;
    emit receiveLog(QStringLiteral("page renderer ended (status %1, code %2); reloading %3").arg(status).arg(exitCode).arg(url));
    webView->reload();
}

void VellChatWebBroswer_impl::stateChanged(Qt::WindowState state)
{
    Q_UNUSED(state)
}

void VellChatWebBroswer_impl::onWebFile()
{
    if (!downloadTree) {
        downloadTree = new DownloadFileTree(this);
        connect(downloadTree, &DownloadFileTree::requestFileList, this, &VellChatWebBroswer_impl::requestFileList);
        connect(downloadTree, &DownloadFileTree::requestFileDownloadOffsetList, this, &VellChatWebBroswer_impl::requestFileDownloadOffset);
        connect(this, &VellChatWebBroswer_impl::requestFileListResponse, downloadTree, &DownloadFileTree::onRequestFileList);
        connect(this, &VellChatWebBroswer_impl::requestFileDownloadOffsetResponse, downloadTree, &DownloadFileTree::onRequestFileDownloadOffset);
        connect(this, &VellChatWebBroswer_impl::restartDownloadResponse, downloadTree, &DownloadFileTree::onRestartDownloadResponse);
        connect(this, &VellChatWebBroswer_impl::removeHistoryResponse, downloadTree, &DownloadFileTree::onRemoveHistoryResponse);
        connect(this, &VellChatWebBroswer_impl::removeAllHistoryResponse, downloadTree, &DownloadFileTree::onRemoveAllHistoryResponse);
        connect(downloadTree, &DownloadFileTree::openFileFoler, this, &VellChatWebBroswer_impl::openFileFoler);
        connect(downloadTree, &DownloadFileTree::redownloadFile, this, &VellChatWebBroswer_impl::redownloadFile);
        connect(downloadTree, &DownloadFileTree::removeDownloadFile, this, &VellChatWebBroswer_impl::onRemoveDownloadFile);
        connect(downloadTree, &DownloadFileTree::removeAllDownloadFile, this, &VellChatWebBroswer_impl::onRemoveAllDownloadFile);
        downloadTree->setGeometry(webView->geometry());
    }
    if (webView->isHidden())
        return;
    // Keys that were in the page stay in the window, on the frame, where no
    // ring shows; left to the toolkit they would land on a title button.
    QWidget *focus = window()->focusWidget();
    if (focus && (focus == webView || webView->isAncestorOf(focus)))
        setFocus(Qt::OtherFocusReason);
    webView->hide();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (quint64(now - lastListRequestTime) > 1000) {
        downloadTree->toRequestFileList();
        lastListRequestTime = now;
    }
    downloadTree->show();
    backButton.show();
    relayout();
}

void VellChatWebBroswer_impl::onWebFileBack()
{
    if (!webView->isHidden())
        return;
    // Keys that were in the panel, or on Back, go on in the page.
    QWidget *focus = window()->focusWidget();
    const bool keysInPanel = focus && (focus == &backButton || (downloadTree && downloadTree->isAncestorOf(focus)));
    webView->show();
    if (keysInPanel)
        webView->setFocus(Qt::OtherFocusReason);
    if (downloadTree)
        downloadTree->hide();
    backButton.hide();
    relayout();
}

void VellChatWebBroswer_impl::onGetWebMessage(QString msg)
{
    const QJsonObject object = QJsonDocument::fromJson(msg.toUtf8()).object();
    const QString action = object.value(QStringLiteral("action")).toString();
    const QString data = object.value(QStringLiteral("data")).toString();
    if (action == QLatin1String("go_to_channel_info") && !data.isEmpty())
        emit goToChannel(data);
}

void VellChatWebBroswer_impl::openBox(const QString &text, const QString &confirmText,
                                      std::function<void()> onConfirm, const QString &cancelText)
{
    emit hideInfoBox();
    showBG();
    // Each button first takes the box and the overlay away, then does its work.
    auto dismissThen = [this](std::function<void()> work) {
        return [this, work](QWidget *box) {
            box->hide();
            box->deleteLater();
            hideBG();
            if (work)
                work();
        };
    };
    auto *box = new InformBox(this, text, confirmText, dismissThen(std::move(onConfirm)),
                              cancelText, cancelText.isEmpty() ? InformBox::Callback() : dismissThen(nullptr));
    connect(this, &VellChatWebBroswer_impl::hideInfoBox, box, &QObject::deleteLater);
    box->move((width() - box->width()) / 2, (height() - box->height()) / 2);
    box->show();
}

void VellChatWebBroswer_impl::showInfo(QString text)
{
    openBox(text, Config::InfoOK(), nullptr, QString());
}

void VellChatWebBroswer_impl::onRemoveDownloadFile(QString key, QString fileKey)
{
    openBox(Config::WebFileRemoveTipsText(), Config::InfoDelete(),
            [this, key, fileKey] { emit removeDownloadFile(key, fileKey); }, Config::InfoCancel());
}

void VellChatWebBroswer_impl::onRemoveAllDownloadFile(QString key)
{
    openBox(Config::WebFileRemoveAllTipsText(), Config::InfoClean(),
            [this, key] { emit removeAllDownloadFile(key); }, Config::InfoCancel());
}

void VellChatWebBroswer_impl::iqCurrentUserInfo(QByteArray json)
{
    jsBridge.onCurrentUserInfo(json);
}

void VellChatWebBroswer_impl::webfileListResponse(QByteArray json)
{
    emit requestFileListResponse(json);
}

void VellChatWebBroswer_impl::webfileDownloadOffsetResponse(QByteArray json)
{
    emit requestFileDownloadOffsetResponse(json);
}

void VellChatWebBroswer_impl::webfileRestartDownloadResponse(QByteArray json)
{
    emit restartDownloadResponse(json);
}

void VellChatWebBroswer_impl::webfileRemoveHistoryResponse(QByteArray json)
{
    emit removeHistoryResponse(json);
}

void VellChatWebBroswer_impl::webfileRemoveAllHistoryResponse(QByteArray json)
{
    emit removeAllHistoryResponse(json);
}
