#include "web/vellchatwebview.h"

#include <QAction>
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
        return this;
    }
    // No other window opens from a page: returning none makes the page's
    // window.open() give null at once, instead of a window object for a page
    // that would never load.
    return nullptr;
}

void VellChatWebView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (page()->history()->canGoBack()) {
        popupBackMenu(event->globalPos(), [this] { page()->history()->back(); });
        return;
    }
    if (m_historyUrls.isEmpty())
        return;
    // Taken now, chosen or not: each right-click steps one address further back.
    const QUrl url = m_historyUrls.takeFirst();
    popupBackMenu(event->globalPos(), [this, url] { QWebEngineView::setUrl(url); });
}

void VellChatWebView::popupBackMenu(const QPoint &globalPos, const std::function<void()> &goBack)
{
    // No parent: the menu outlives nothing and removes itself once hidden.
    QMenu *menu = new QMenu();
    QAction *back = menu->addAction(QIcon(), QStringLiteral("back"));
    back->setShortcut(QKeySequence());
    connect(back, &QAction::triggered, this, goBack);
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    menu->popup(globalPos);
}
