// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QAccessible>
#include <QList>
#include <QUrl>
#include <QWebEngineView>
#include <functional>

class QWebEnginePage;

// The page area of the window. Requests for a new tab open in this same view;
// since that swap throws the page history away, the view first remembers the
// addresses, and its one-entry "back" menu walks through the live history and
// then through what was remembered. A page's popup (window.open with a size)
// opens in a PopupWindow of its own when popups are on and the user's click
// or key made it; a page has only a few open at a time.
class VellChatWebView : public QWebEngineView
{
    Q_OBJECT
public:
    explicit VellChatWebView(QWidget *parent);

    // Both start a fresh course, so the remembered addresses go.
    void setUrl(const QUrl &url);
    void setPage(QWebEnginePage *page);

    // Appends the current page history, newest first, keeping the last 30.
    void storeHistory();
    // Back through the live history, then through the remembered addresses,
    // one per call; forward through the live history only.
    void goBack();
    void goForward();
    // With the page menu the right-click menu also offers what fits the
    // place clicked (see PageMenu), "back" always last; without it, only "back".
    void setPageMenu(bool on) { pageMenu = on; }
    // Also sets the page's side (VellWebEnginePage::setPopups).
    void setPopups(bool on);
    QList<QUrl> historyUrls() const { return m_historyUrls; }
protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    QWebEngineView *createWindow(QWebEnginePage::WebWindowType type) override;
private:
    // Tells assistive technology what in the page has the keys: its focused
    // element, or the document itself.
    void announcePageFocus();
    QAccessible::Id announced = 0;   // the element last announced since the keys came
    void popupMenu(const QPoint &globalPos, const std::function<void()> &goBack);

    QList<QUrl> m_historyUrls;
    bool pageMenu = false;
    bool popups = false;
    int openPopups = 0;
};
