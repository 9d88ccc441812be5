#include "web/popupwindow.h"

#include "web/pagedialogs.h"
#include "web/pagepermissions.h"
#include "web/vellchatwebview.h"
#include "web/vellwebenginepage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

// A page that names no size gets a window of about a login form's size.
static const QSize defaultSize(500, 600);

PopupWindow::PopupWindow(QWidget *owner, VellWebEnginePage *opener)
    : QWidget(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    webView = new VellChatWebView(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(webView);
    VellWebEnginePage *page = opener->popupPage(webView);
    PagePermissions::instance()->watch(page);
    webView->setPage(page);
    // A popup's page opens none of its own: one click gives one window.
    webView->setPopups(false);
    connect(page, &QWebEnginePage::titleChanged, this, &PopupWindow::showTitle);
    connect(page, &QWebEnginePage::urlChanged, this, &PopupWindow::showTitle);
    connect(page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    connect(page, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect &requested) {
        // The size the page's window.open() asked for comes first; without
        // left and top its corner is (0, 0), and the popup goes where it
        // would without any: over the middle of its opener.
        QRect r = requested;
        if (!shown && r.topLeft() == QPoint(0, 0))
            r.moveCenter(ownerCentre());
        place(r);
    });

    QRect start(QPoint(0, 0), defaultSize);
    start.moveCenter(ownerCentre());
    place(start);
    // The engine asks for the page's size right after it has the window;
    // showing once that is done spares the user a jump.
    QTimer::singleShot(0, this, [this] {
        shown = true;
        show();
        activateWindow();
        webView->setFocus(Qt::OtherFocusReason);
    });
}

// A page inside its question (an alert in a loop) does not keep the window:
// the question ends, and the window goes once the engine's call to ask has
// returned, since the page goes with it.
void PopupWindow::closeEvent(QCloseEvent *event)
{
    PageDialogs *dialogs = PageDialogs::of(webView->page());
    if (dialogs)
        dialogs->end();
    if (dialogs && dialogs->isOpen()) {
        event->ignore();
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    QWidget::closeEvent(event);
}

QRect PopupWindow::placed(const QRect &requested, const QRect &available, const QRect &opener)
{
    QRect r(requested.topLeft(), requested.size().boundedTo(available.size()));
    if (r.right() > available.right())
        r.moveRight(available.right());
    if (r.bottom() > available.bottom())
        r.moveBottom(available.bottom());
    if (r.left() < available.left())
        r.moveLeft(available.left());
    if (r.top() < available.top())
        r.moveTop(available.top());
    if (opener.isNull() || qAbs(r.left() - opener.left()) >= offset || qAbs(r.top() - opener.top()) >= offset)
        return r;
    // Down and right unless that leaves too little of the screen.
    const int x = opener.left() + offset <= available.right() - offset ? opener.left() + offset : opener.left() - offset;
    const int y = opener.top() + offset <= available.bottom() - offset ? opener.top() + offset : opener.top() - offset;
    r.moveTopLeft(QPoint(x, y));
    return r.intersected(available);
}

QString PopupWindow::originOf(const QUrl &url)
{
    // A blob: address belongs to the origin written inside it.
    if (url.scheme() == QLatin1String("blob"))
        return originOf(QUrl(url.path()));
    const QString scheme = url.scheme().toLower();
    if (scheme.isEmpty())
        return QString();
    const QString host = url.host(QUrl::FullyEncoded);
    if (host.isEmpty())
        return scheme + QLatin1Char(':');
    const bool ipv6 = host.contains(QLatin1Char(':'));
    QString origin = scheme + QStringLiteral("://") + (ipv6 ? QLatin1Char('[') + host + QLatin1Char(']') : host);
    const int port = url.port();
    const int usual = scheme == QLatin1String("https") ? 443 : scheme == QLatin1String("http") ? 80 : -1;
    if (port >= 0 && port != usual)
        origin += QLatin1Char(':') + QString::number(port);
    return origin;
}

void PopupWindow::showTitle()
{
    // The origin goes first: a long title the frame cuts short cannot push it out.
    const QUrl url = webView->page()->url();
    const QString title = webView->page()->title();
    QString shown = originOf(url);
    if (!title.isEmpty() && title != url.toString())
        shown = shown.isEmpty() ? title : shown + QStringLiteral(" - ") + title;
    setWindowTitle(shown);
    setAccessibleName(shown);
}

void PopupWindow::place(const QRect &requested)
{
    QScreen *screen = QGuiApplication::screenAt(requested.center());
    if (!screen && parentWidget())
        screen = parentWidget()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // The page asked for the size of its own area; the platform's frame
    // comes around it and must fit on the screen too.
    QMargins frame;
    if (QWindow *handle = windowHandle())
        frame = handle->frameMargins();
    const QRect available = screen ? screen->availableGeometry().marginsRemoved(frame) : requested;
    setGeometry(placed(requested, available, parentWidget() ? parentWidget()->window()->geometry() : QRect()));
    lastRequested = requested;
    framedWhenPlaced = !frame.isNull();
}

QPoint PopupWindow::ownerCentre() const
{
    return parentWidget() ? parentWidget()->window()->geometry().center() : QRect(QPoint(0, 0), defaultSize).center();
}

// Placed before the window manager put its frame around it, the popup may
// have its title bar off the screen; once the frame is known it is placed
// again, the frame inside the screen.
void PopupWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    QWindow *handle = windowHandle();
    if (framedWhenPlaced || !handle || handle->frameMargins().isNull())
        return;
    QTimer::singleShot(0, this, [this] { place(lastRequested); });
    framedWhenPlaced = true;
}
