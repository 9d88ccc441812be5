#include "web/popupwindow.h"

#include "web/pagepermissions.h"
#include "web/vellchatwebview.h"
#include "web/vellwebenginepage.h"

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
    webView->setPopups(opener->popups());
    connect(page, &QWebEnginePage::titleChanged, this, [this](const QString &title) {
        setWindowTitle(title);
        setAccessibleName(title);
    });
    connect(page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    connect(page, &QWebEnginePage::geometryChangeRequested, this, &PopupWindow::place);

    const QRect ownerRect = owner ? owner->window()->geometry() : QRect(QPoint(0, 0), defaultSize);
    QRect start(QPoint(0, 0), defaultSize);
    start.moveCenter(ownerRect.center());
    place(start);
    // The engine asks for the page's size right after it has the window;
    // showing once that is done spares the user a jump.
    QTimer::singleShot(0, this, [this] {
        show();
        activateWindow();
        webView->setFocus(Qt::OtherFocusReason);
    });
}

QRect PopupWindow::placed(const QRect &requested, const QRect &available)
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
    return r;
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
    setGeometry(placed(requested, available));
}
