// SPDX-License-Identifier: Apache-2.0
#include "web/vellchatwebview.h"

#include "web/pagemenu.h"
#include "web/popupwindow.h"
#include "web/vellwebenginepage.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEnginePage>

namespace {

const int historyLimit = 30;
// Popups a page may have open at once: a login, and a second factor or a
// consent page it opens beside it, with one to spare. Each is a window over
// the user's desktop and a page process of its own; a page that wants more
// is not showing a dialog.
const int popupLimit = 3;
// How far into a page to look for its focused element when the engine does
// not point at it; a deeper or larger page is named by its document.
const int focusSearchDepth = 40;
const int focusSearchNodes = 4000;

bool inside(const QWidget *widget, const QWidget *area)
{
    return widget && (widget == area || area->isAncestorOf(widget));
}

QAccessibleInterface *focusedBelow(QAccessibleInterface *node, int depth, int &budget)
{
    if (!node || depth > focusSearchDepth || --budget < 0)
        return nullptr;
    if (node->state().focused)
        return node;
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *found = focusedBelow(node->child(i), depth + 1, budget))
            return found;
    }
    return nullptr;
}

QAccessibleInterface *pageDocument(QAccessibleInterface *node, int depth = 0)
{
    if (!node || depth > 3)
        return nullptr;
    if (node->role() == QAccessible::WebDocument || node->role() == QAccessible::Document)
        return node;
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *document = pageDocument(node->child(i), depth + 1))
            return document;
    }
    return nullptr;
}

} // namespace

VellChatWebView::VellChatWebView(QWidget *parent)
    : QWebEngineView(parent)
{
    // The toolkit announces the page's widget when it takes the keys, a
    // nameless pane, and a screen reader goes on naming the control that was
    // left (after Escape out of the history, or a box's OK). Once the keys are
    // in, the page's own focused element is announced instead.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (QAccessible::isActive() && inside(now, this) && !inside(old, this)) {
            announced = 0;
            QTimer::singleShot(0, this, &VellChatWebView::announcePageFocus);
            // The engine's tree may learn of the focused element a moment later.
            QTimer::singleShot(300, this, &VellChatWebView::announcePageFocus);
        }
    });
}

void VellChatWebView::announcePageFocus()
{
    QWidget *keys = QApplication::focusWidget();
    if (!inside(keys, this))
        return;
    QAccessibleInterface *document = pageDocument(QAccessible::queryAccessibleInterface(keys));
    if (!document)
        return;
    int budget = focusSearchNodes;
    QAccessibleInterface *focused = focusedBelow(document, 0, budget);
    QAccessibleInterface *target = focused ? focused : document;
    const QAccessible::Id id = QAccessible::uniqueId(target);
    if (id == announced)
        return;
    announced = id;
    QAccessibleEvent event(target, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
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
    if (type == QWebEnginePage::WebDialog && popups && opener) {
        if (!opener->windowAskedByUser()) {
            emit opener->navigationRefused(QStringLiteral("refused a popup the page opened without a click"));
            return nullptr;
        }
        if (openPopups >= popupLimit) {
            emit opener->navigationRefused(QStringLiteral("refused a popup: the page has %1 open").arg(popupLimit));
            return nullptr;
        }
        auto *popup = new PopupWindow(window(), opener);
        ++openPopups;
        connect(popup, &QObject::destroyed, this, [this] { --openPopups; });
        return popup->view();
    }
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
