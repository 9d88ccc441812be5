// SPDX-License-Identifier: Apache-2.0
#include "window/vellchatwebbroswer.h"

#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"
#include "web/pagedialogs.h"
#include "web/pagedownloads.h"
#include "web/vellchatwebview.h"
#include "web/pageprofile.h"
#include "web/vellwebengineurlrequestinterceptor.h"
#include "window/fullscreen.h"
#include "window/pageleave.h"
#include "window/vellchatwebbroswer_impl.h"
#include "window/windowplacement.h"

#include <QIcon>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QBitmap>
#include <QCloseEvent>
#include <QWebEngineProfile>
#include <QWindow>

static VellChatWebBroswer *s_window = nullptr;
static QMutex s_creationLock;
// The interceptor stays in the profile after its window is gone; once a later
// window installs its own, nothing refers to the old one any more.
static VellWebEngineUrlRequestInterceptor *s_installedInterceptor = nullptr;

// The ring around the frame where the border colour shows.
static constexpr int borderWidth = 1;
// Small enough for any screen until the configured minimum width is applied.
static constexpr int minimumSide = 100;
// State and geometry of one window manager change arrive this close together.
static constexpr int placementSettleMs = 100;
// The host hears where the window is at most this often, not on every step of a drag.
static constexpr int savePosIntervalMs = 1000;
// The close button's click and the position just sent are done before the window goes.
static constexpr int closeDelayMs = 100;
// How often a window that is to go looks whether the page's question has returned.
static constexpr int unwindPollMs = 10;

VellChatWebBroswer *VellChatWebBroswer::instance()
{
    return s_window;
}

QString VellChatWebBroswer::positionText(const QRect &rect, bool maximized)
{
    return QStringLiteral("%1,%2,%3,%4,%5").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()).arg(maximized ? 1 : 0);
}

VellChatWebBroswer::VellChatWebBroswer(QWidget *parent, bool maxed)
    : QWidget(parent)
    , interceptor(new VellWebEngineUrlRequestInterceptor(nullptr))
    , maximizedFlag(maxed)
{
    VellChatWebBroswer_impl::installAccessibility();
    frame = new VellChatWebBroswer_impl(this, maxed);
    // Dragged out of the maximised state, the window takes the size it
    // noted itself for its normal state (normalPlacement()).
    frame->frameGrip()->setNormalSize([this] { return normalRect.size(); });
    PageProfile::instance()->setUrlRequestInterceptor(interceptor);
    delete s_installedInterceptor;
    s_installedInterceptor = interceptor;
    connect(interceptor, &VellWebEngineUrlRequestInterceptor::log, this, &VellChatWebBroswer::onReceiveLog);
    pageDownloads = new PageDownloads(this);
    connect(pageDownloads, &PageDownloads::ready, this, &VellChatWebBroswer::handOverDownload);
    connect(pageDownloads, &PageDownloads::receiveLog, this, &VellChatWebBroswer::onReceiveLog);

    fullScreen = new FullScreen(this, frame->view()->page());
    connect(fullScreen, &FullScreen::changed, this, [this](bool on) {
        frame->setPageOnly(on);
        resizeEvent(nullptr);
    });
    leave = new PageLeave(frame->view()->page(), this);
    connect(leave, &PageLeave::mayClose, this, &VellChatWebBroswer::onClosed);
    frame->move(borderWidth, borderWidth);
    setMinimumSize(minimumSide, minimumSide);
    setAttribute(Qt::WA_TranslucentBackground);

    connectFrame();

    showTitleAndIcon();
    borderColour = VellChatWBConfigure::ShadowColor();

    lastPosition = positionText(VellChatWBConfigure::Geometry(), maxed);
    normalRect = VellChatWBConfigure::Geometry();
    normalSettle.setSingleShot(true);
    normalSettle.setInterval(placementSettleMs);
    connect(&normalSettle, &QTimer::timeout, this, &VellChatWebBroswer::noteNormalPlacement);

    savePosTimer.setInterval(savePosIntervalMs);
    savePosTimer.setSingleShot(false);
    connect(&savePosTimer, &QTimer::timeout, this, &VellChatWebBroswer::onSavePos);
}

VellChatWebBroswer::~VellChatWebBroswer()
{
    if (s_window == this)
        s_window = nullptr;
}

void VellChatWebBroswer::newVellChatWebBroswer(QString url, QWidget *parent)
{
    QMutexLocker locker(&s_creationLock);
    if (s_window) {
        s_window->activateWindow();
        s_window->setUrl(url);
        s_window->show();
        return;
    }
    const bool maxed = VellChatWBConfigure::Maxsized();
    s_window = new VellChatWebBroswer(parent, maxed);
    VellChatWebBroswer *w = s_window;
    // At the scales this program applies itself the title bar is wider too.
    w->setMinimumWidth(dpiScaled(VellChatWBConfigure::MiniWidth()));
    const QRect stored = VellChatWBConfigure::Geometry();
    const QRect fitted = WindowPlacement::reachable(stored, WindowPlacement::availableScreens());
    w->resize(fitted.size());
    if (WindowPlacement::windowsPlaceThemselves()) {
        // Before the native window exists, move() sets where the frame's
        // corner goes and the window manager fits its decoration inside it;
        // once it exists, move() would put the client area's corner there and
        // the window would creep by its decoration on every start.
        w->move(fitted.topLeft());
        w->normalRect = fitted;
    } else {
        // The compositor places it; the stored corner is kept for the text.
        w->normalRect = QRect(stored.topLeft(), fitted.size());
    }
    w->createWinId();
    w->setUrl(url);
    w->show();
    if (maxed)
        w->setWindowState(Qt::WindowMaximized);
}

// A page may be inside the bridge's wait for the user information, with the
// bridge's call on the stack: deleting the window then would pull the frame
// and the bridge from under it. End the wait and delete once it has unwound.
void VellChatWebBroswer::dispose(VellChatWebBroswer *window)
{
    // The same for a page's question (PageDialogs), which was ended but may
    // not have returned to the engine yet.
    if (PageDialogs::running()) {
        QPointer<VellChatWebBroswer> guard(window);
        QTimer::singleShot(unwindPollMs, qApp, [guard] {
            if (guard)
                dispose(guard.data());
        });
        return;
    }
    if (window->frame->bridgeWaiting()) {
        QPointer<VellChatWebBroswer> guard(window);
        window->frame->cancelBridgeWait();
        window->frame->runAfterBridgeWait([guard] { delete guard.data(); });
        return;
    }
    delete window;
}

void VellChatWebBroswer::destory()
{
    PageLeave::finishPending();
    VellChatWebBroswer *w = s_window;
    if (!w)
        return;
    s_window = nullptr;
    w->leave->allow();
    const bool asking = PageLeave::answerQuestion(w);
    w->close();
    if (asking)
        PageLeave::whenUnwound(w, [w] { dispose(w); });
    else
        dispose(w);
}

void VellChatWebBroswer::activeWnd()
{
    if (!s_window)
        return;
    if (s_window->isHidden())
        s_window->show();
    // Minimised, it comes back as it was before: maximised or not.
    if (s_window->windowState() & Qt::WindowMinimized) {
        Qt::WindowStates state = s_window->windowState() & ~Qt::WindowMinimized;
        if (s_window->maximizedFlag)
            state |= Qt::WindowMaximized;
        s_window->setWindowState(state);
    }
    s_window->raise();
    s_window->activateWindow();
}

void VellChatWebBroswer::setUrl(QString url)
{
    interceptor->setAccessToken(VellChatWBConfigure::AccessToken());
    interceptor->setAccessTokenHosts(VellChatWBConfigure::AccessTokenHosts());
    // The host's say-so, like the user's click: the new page may start its few downloads.
    pageDownloads->startAfresh();
    lastFailure.clear();
    frame->setUrl(url);
    const bool wasMaximized = maximizedFlag;   // the state change below clears it
    setWindowState(Qt::WindowActive);
    if (wasMaximized)
        onMaxSize();
    frame->show();
    if (!savePosTimer.isActive())
        savePosTimer.start();
}

void VellChatWebBroswer::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.save();
    DrawBorder(painter);
    painter.restore();
}

void VellChatWebBroswer::showTitleAndIcon()
{
    setWindowTitle(VellChatWBConfigure::Title());
    QIcon icon;
    if (const QPixmap *pixmap = VellChatWBConfigure::WindowIcon())
        icon.addPixmap(*pixmap, QIcon::Normal, QIcon::Off);
    setWindowIcon(icon);
}

void VellChatWebBroswer::configChanged_impl()
{
    if (configPending)
        return;
    configPending = true;
    QMetaObject::invokeMethod(this, &VellChatWebBroswer::applyConfig, Qt::QueuedConnection);
}

void VellChatWebBroswer::applyConfig()
{
    configPending = false;
    showTitleAndIcon();
    setMinimumWidth(dpiScaled(VellChatWBConfigure::MiniWidth()));
    borderColour = VellChatWBConfigure::ShadowColor();
    frame->applyConfig();
    update();
}

void VellChatWebBroswer::DrawBorder(QPainter &painter)
{
    const QColor colour = borderColour;
    painter.setPen(colour);
    painter.setBrush(QBrush(colour));
    painter.setRenderHint(QPainter::Antialiasing, true);
    const int d = 2 * frame->roundRadius();
    const int w = width();
    const int h = height();
    painter.drawArc(0, 0, d, d, 1440, 1440);
    painter.drawArc(w - d, 0, d, d, 0, 1440);
    painter.drawArc(0, h - d, d, d, 2880, 1440);
    painter.drawArc(w - d, h - d, d, d, 4320, 1440);
    painter.drawRect(0, 0, w, h);
}

void VellChatWebBroswer::resizeEvent(QResizeEvent *event)
{
    Q_UNUSED(event)
    // Full screen, the page reaches the very edges: no border, no round corners.
    const int border = fullScreen->active() ? 0 : borderWidth;
    frame->setGeometry(border, border, width() - 2 * border, height() - 2 * border);
    normalSettle.start();
    const int radius = fullScreen->active() ? 0 : frame->roundRadius();
    if (radius == 0) {
        clearMask();
        return;
    }
    const int d = 2 * radius;
    const int w = width();
    const int h = height();
    QBitmap mask(size());
    mask.fill(Qt::white);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath path;
    path.moveTo(0, (h - 1) / 2);
    path.arcTo(0, 0, d, d, 180, -90);
    path.arcTo(w - d, 0, d, d, 90, -90);
    path.arcTo(w - d, h - d, d, d, 360, -90);
    path.arcTo(0, h - d, d, d, 270, -90);
    path.closeSubpath();
    painter.fillPath(path, QColor(255, 0, 0, 255));
    setMask(mask);
}

void VellChatWebBroswer::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    normalSettle.start();
}

void VellChatWebBroswer::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Maximised by the own title bar or by the window manager (its button, a
    // double-click on its title bar), the window tells the host the same.
    // Minimising and full screen leave the flag alone: the window comes back as it was.
    const Qt::WindowStates state = windowState();
    if (!state.testFlag(Qt::WindowMinimized) && !fullScreen->active())
        maximizedFlag = state.testFlag(Qt::WindowMaximized);
    normalSettle.start();
}

// Closed by the window manager's own controls, the page may first ask the
// user to stay; closing, the window still tells the host where it was, and
// the process then ends with its last window.
void VellChatWebBroswer::closeEvent(QCloseEvent *event)
{
    if (!leave->askPage()) {
        event->ignore();
        return;
    }
    onSavePos();
    QWidget::closeEvent(event);
}

bool VellChatWebBroswer::inNormalState() const
{
    return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) && !fullScreen->holdsPlacement();
}

QRect VellChatWebBroswer::currentPlacement() const
{
    // Where the compositor places windows, none reports a position; the corner
    // the window was given stays in the text, so that a text saved there puts
    // the window back where it last was on a desktop that lets it place itself.
    if (!WindowPlacement::windowsPlaceThemselves())
        return QRect(normalRect.topLeft(), size());
    return QRect(frameGeometry().topLeft(), size());
}

void VellChatWebBroswer::noteNormalPlacement()
{
    if (!inNormalState() || !windowHandle() || !windowHandle()->isExposed())
        return;
    normalRect = currentPlacement();
    VellChatWBConfigure::SetGeometry(normalRect);
}

void VellChatWebBroswer::onClosed()
{
    if (!leave->askPage())
        return;
    onSavePos();
    QPointer<VellChatWebBroswer> self(this);
    QTimer::singleShot(closeDelayMs, this, [self] {
        if (!self)
            return;
        VellChatWebBroswer *w = self.data();
        w->close();
        if (s_window == w)
            s_window = nullptr;
        dispose(w);
    });
}

void VellChatWebBroswer::onMiniSize()
{
    setWindowState(Qt::WindowMinimized);
}

void VellChatWebBroswer::onMaxSize()
{
    setWindowState(Qt::WindowMaximized);
    maximizedFlag = true;
}

void VellChatWebBroswer::onRestore()
{
    setWindowState(Qt::WindowNoState);
    maximizedFlag = false;
}

void VellChatWebBroswer::onClearWindowState()
{
    if (windowState() & Qt::WindowMaximized) {
        setWindowState(windowState() & ~Qt::WindowMaximized);
        maximizedFlag = false;
    }
}

void VellChatWebBroswer::onSavePos()
{
    // Until the window is on the screen its frame is not known yet, and a
    // minimised window has none to show: what was sent last holds meanwhile.
    if (!windowHandle() || !windowHandle()->isExposed())
        return;
    // The host gives this text back as "windowsRect": the frame's corner and
    // the client size, which the next window is placed and sized by. A
    // maximised window reports where it goes when it is restored.
    const QRect rect = inNormalState() ? currentPlacement() : normalRect;
    const QString text = positionText(rect, maximizedFlag);
    if (text == lastPosition)
        return;
    lastPosition = text;
    transport::shareInstance()->savePosition(text);
}
