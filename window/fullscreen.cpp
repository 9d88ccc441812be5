// SPDX-License-Identifier: Apache-2.0
#include "window/fullscreen.h"

#include <QShortcut>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWidget>

// The window manager puts the window back in a few steps; none of them is
// the window's own placement.
static constexpr int settleMs = 1000;

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
    settling.start();
    emit changed(false);
    if (wasMaximized) {
        window->setWindowState((window->windowState() & ~Qt::WindowFullScreen) | Qt::WindowMaximized);
        return;
    }
    window->setWindowState(window->windowState() & ~(Qt::WindowFullScreen | Qt::WindowMaximized));
    window->setGeometry(before);
}
