// SPDX-License-Identifier: Apache-2.0
#include "web/vellchatwebview.h"

#include "web/pagemenu.h"
#include "web/popupwindow.h"
#include "web/vellwebenginepage.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QWebEngineHistory>
#include <QWebEnginePage>

namespace {

const int historyLimit = 30;

}

VellChatWebView::VellChatWebView(QWidget *parent)
    : QWebEngineView(parent)
{
}

void VellChatWebView::setUrl(const QUrl &url)
{
    m_historyUrls.clear();
    QWebEngineView::setUrl(url);
}

void VellChatWebView::setPage(QWebEnginePage *page)
{
    m_historyUrls.clear();
    QWebEngineView::setPage(page);
}

void VellChatWebView::storeHistory()
{
    QWebEngineHistory *history = page()->history();
    if (!history->canGoBack())
        return;
    const int current = history->currentItemIndex();
    for (int i = current; i >= 0; --i) {
        m_historyUrls.append(history->itemAt(i).url());
        if (m_historyUrls.size() > historyLimit)
            m_historyUrls.removeFirst();
    }
}

QWebEngineView *VellChatWebView::createWindow(QWebEnginePage::WebWindowType type)
{
    if (type == QWebEnginePage::WebBrowserTab) {
        // The engine puts the new tab's page into this view and drops the old
        // page history with it; keep its addresses for the "back" menu.
        storeHistory();
        // It also makes the page's widget anew, and the keyboard would stay
        // with the old one: the new page gets it once it has loaded.
        QWidget *focus = QApplication::focusWidget();
        if (focus && (focus == this || isAncestorOf(focus))) {
            auto *once = new QObject(this);
            connect(page(), &QWebEnginePage::loadFinished, once, [this, once] {
                setFocus(Qt::OtherFocusReason);
                once->deleteLater();
            });
        }
        return this;
    }
    // A script's popup (window.open with a size) is a dialog to the engine.
    // A new window comes from a shift-click as well, and that stays a link
    // the engine follows in this view, as before popups existed.
    auto *opener = qobject_cast<VellWebEnginePage *>(page());
    if (type == QWebEnginePage::WebDialog && popups && opener)
        return (new PopupWindow(window(), opener))->view();
    // No other window opens from a page: returning none makes the page's
    // window.open() give null at once, instead of a window object for a page
    // that would never load.
    return nullptr;
}

void VellChatWebView::setPopups(bool on)
{
    popups = on;
    if (auto *p = qobject_cast<VellWebEnginePage *>(page()))
        p->setPopups(on);
}

void VellChatWebView::goBack()
{
    if (page()->history()->canGoBack())
        page()->history()->back();
    else if (!m_historyUrls.isEmpty())
        QWebEngineView::setUrl(m_historyUrls.takeFirst());
}

void VellChatWebView::goForward()
{
    if (page()->history()->canGoForward())
        page()->history()->forward();
}

void VellChatWebView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (page()->history()->canGoBack()) {
        popupMenu(event->globalPos(), [this] { page()->history()->back(); });
        return;
    }
    if (m_historyUrls.isEmpty()) {
        popupMenu(event->globalPos(), nullptr);
        return;
    }
    // Taken now, chosen or not: each right-click steps one address further back.
    const QUrl url = m_historyUrls.takeFirst();
    popupMenu(event->globalPos(), [this, url] { QWebEngineView::setUrl(url); });
}

void VellChatWebView::popupMenu(const QPoint &globalPos, const std::function<void()> &goBack)
{
    // No parent: the menu outlives nothing and removes itself once hidden.
    QMenu *menu = new QMenu();
    const bool entries = pageMenu && PageMenu::addEntries(menu, page());
    if (goBack) {
        if (entries)
            menu->addSeparator();
        QAction *back = menu->addAction(QIcon(), QStringLiteral("back"));
        back->setShortcut(QKeySequence());
        connect(back, &QAction::triggered, this, goBack);
    }
    if (menu->isEmpty()) {
        delete menu;
        return;
    }
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    menu->popup(globalPos);
}
