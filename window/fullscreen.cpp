// SPDX-License-Identifier: Apache-2.0
#include "window/fullscreen.h"

#include "widgets/atspisignal.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QShortcut>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWidget>

// The window manager puts the window back in a few steps; none of them is
// the window's own placement.
static constexpr int settleMs = 1000;
// Long enough to read the line twice, short enough not to sit over a video.
static constexpr int noticeMs = 4000;
// Said with the key the shortcut below listens for.
static const char kNoticeText[] = "Press Esc to leave full screen";

FullScreen::FullScreen(QWidget *window, QWebEnginePage *page)
    : QObject(window)
    , window(window)
    , page(page)
{
    page->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    connect(page, &QWebEnginePage::fullScreenRequested, this, &FullScreen::onRequested);
    // Only while the page fills the screen: otherwise Escape belongs to the
    // page, the boxes and the download history.
    escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    escape->setEnabled(false);
    connect(escape, &QShortcut::activated, this, [this] {
        if (this->page)
            this->page->triggerAction(QWebEnginePage::ExitFullScreen);
    });
    settling.setSingleShot(true);
    settling.setInterval(settleMs);

    notice = new QLabel(QString::fromLatin1(kNoticeText), window);
    notice->setObjectName(QStringLiteral("fullScreenNotice"));
    notice->setAccessibleName(notice->text());
    notice->setAlignment(Qt::AlignCenter);
    notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice->setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(32, 32, 32, 220);"
                                         " border-radius: 8px; padding: 12px 24px; font-size: 15px; }"));
    notice->hide();
    noticeTime.setSingleShot(true);
    noticeTime.setInterval(noticeMs);
    connect(&noticeTime, &QTimer::timeout, notice, &QWidget::hide);
    window->installEventFilter(this);
}

void FullScreen::showNotice()
{
    notice->adjustSize();
    placeNotice();
    notice->raise();
    notice->show();
    noticeTime.start();
    // Said as news of the widget with the keys, the page's, once it has them
    // back: a screen reader reads out what changes there. Deeper, at the
    // page's own focused element, the bus would not know the object.
    QTimer::singleShot(0, notice, [] {
        if (QWidget *keys = QApplication::focusWidget())
            AtSpiSignal::descriptionChanged(QAccessible::queryAccessibleInterface(keys), QString::fromLatin1(kNoticeText));
    });
}

// Top middle, where the eye goes first and a video's own controls are not.
void FullScreen::placeNotice()
{
    notice->move((window->width() - notice->width()) / 2, window->height() / 12);
}

bool FullScreen::eventFilter(QObject *watched, QEvent *event)
{
    // The window grows to the screen after the notice went up.
    if (watched == window && event->type() == QEvent::Resize && notice->isVisible())
        placeNotice();
    return QObject::eventFilter(watched, event);
}

void FullScreen::onRequested(QWebEngineFullScreenRequest request)
{
    request.accept();
    if (request.toggleOn())
        enter();
    else
        leave();
}

void FullScreen::enter()
{
    if (on)
        return;
    wasMaximized = window->windowState().testFlag(Qt::WindowMaximized);
    before = window->geometry();
    on = true;
    escape->setEnabled(true);
    emit changed(true);
    showNotice();
    // A maximised window stays maximised underneath, and the window manager
    // gives it back so once the page lets go.
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
}

void FullScreen::leave()
{
    if (!on)
        return;
    on = false;
    escape->setEnabled(false);
    noticeTime.stop();
    notice->hide();
    settling.start();
    emit changed(false);
    if (wasMaximized) {
        window->setWindowState((window->windowState() & ~Qt::WindowFullScreen) | Qt::WindowMaximized);
        return;
    }
    window->setWindowState(window->windowState() & ~(Qt::WindowFullScreen | Qt::WindowMaximized));
    window->setGeometry(before);
}
