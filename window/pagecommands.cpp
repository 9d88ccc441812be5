// SPDX-License-Identifier: Apache-2.0
#include "window/pagecommands.h"

#include "config/vellchatwbconfigure.h"
#include "web/vellchatwebview.h"
#include "window/findbar.h"
#include "window/pageprinter.h"
#include "window/pagezoom.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWebEngineSettings>

using Config = VellChatWBConfigure;

PageCommands::PageCommands(QWidget *frame, VellChatWebView *view)
    : QObject(frame)
    , view(view)
    , bar(new FindBar(frame, view->page()))
    , pageZoom(new PageZoom(frame, view))
    , printer(new PagePrinter(view->page(), frame))
{
    connect(bar, &FindBar::shownChanged, this, &PageCommands::layoutChanged);
    watch(view);
}

// The engine's widget inside the view gets the mouse, and is made again when
// the engine restarts; every child of the view is watched as it comes.
void PageCommands::watch(QObject *object)
{
    object->installEventFilter(this);
    for (QObject *child : object->children()) {
        if (child->isWidgetType())
            child->installEventFilter(this);
    }
}

bool PageCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && event->type() == QEvent::ChildAdded) {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            child->installEventFilter(this);
        return false;
    }
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick
        && event->type() != QEvent::MouseButtonRelease)
        return false;
    // The side buttons act as Alt+Left and Alt+Right; the page never sees
    // them, the release included: Qt 6's engine goes back or forward on the
    // release by itself, and that second navigation on top of ours left the
    // page where it was.
    const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
    if (button == Qt::BackButton) {
        if (event->type() == QEvent::MouseButtonPress)
            view->goBack();
        return true;
    }
    if (button == Qt::ForwardButton) {
        if (event->type() == QEvent::MouseButtonPress)
            view->goForward();
        return true;
    }
    return false;
}

bool PageCommands::handleKey(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->matches(QKeySequence::Find))
        bar->open();
    else if (event->matches(QKeySequence::FindNext) || event->matches(QKeySequence::FindPrevious))
        bar->step(event->matches(QKeySequence::FindPrevious));
    // Ctrl+= is Ctrl+plus without Shift on most layouts.
    else if (event->matches(QKeySequence::ZoomIn) || (mods == Qt::ControlModifier && key == Qt::Key_Equal)
             || (mods == (Qt::ControlModifier | Qt::ShiftModifier) && key == Qt::Key_Plus))
        pageZoom->zoomIn();
    else if (event->matches(QKeySequence::ZoomOut) || (mods == Qt::ControlModifier && key == Qt::Key_Minus))
        pageZoom->zoomOut();
    else if (mods == Qt::ControlModifier && key == Qt::Key_0)
        pageZoom->reset();
    else if (event->matches(QKeySequence::Print))
        printer->print();
    else
        return false;
    event->accept();
    return true;
}

void PageCommands::applyConfig()
{
    QWebEngineSettings *settings = view->page()->settings();
    // The engine's PDF viewer is a plugin: without plugins a PDF becomes a download.
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, Config::PdfViewer());
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, Config::PdfViewer());
    view->setPageMenu(Config::PageMenu());
    view->setPopups(Config::AllowPopups());
}

int PageCommands::barHeight() const
{
    return bar->isHidden() ? 0 : bar->height();
}
