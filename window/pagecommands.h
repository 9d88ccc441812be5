// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>

class FindBar;
class PagePrinter;
class PageZoom;
class QKeyEvent;
class QWidget;
class VellChatWebView;

// What people do with the page beyond reading it: find text, zoom, print,
// and go back and forward with the mouse's side buttons. The frame hands it
// the keys it does not use itself while the page shows, and lays the page out
// under the find bar.
class PageCommands : public QObject
{
    Q_OBJECT
public:
    PageCommands(QWidget *frame, VellChatWebView *view);

    // True when the key was one of the page's commands and has been done.
    bool handleKey(QKeyEvent *event);
    // The page's settings as the configuration holds them now; with each page the host shows.
    void applyConfig();
    // The find bar's height while it shows, else 0.
    int barHeight() const;
    FindBar *findBar() const { return bar; }
    PageZoom *zoom() const { return pageZoom; }

signals:
    // The find bar opened or closed: the page moves.
    void layoutChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QObject *object);

    VellChatWebView *view;
    FindBar *bar = nullptr;
    PageZoom *pageZoom = nullptr;
    PagePrinter *printer = nullptr;
};
