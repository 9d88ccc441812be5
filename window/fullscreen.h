// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QLabel;
class QShortcut;
class QWebEngineFullScreenRequest;
class QWebEnginePage;
class QWidget;

// Lets the page take the whole screen (a video, a slide show, a game) and
// gives the window back as it was, normal at its old place or maximised.
// Escape leaves, as does the page itself; the window shows the page alone
// meanwhile, without its title bar and border. A page that takes the screen
// could pass for anything on it, the desktop's own login included, so the
// user is first told, on screen and to a screen reader, which key leaves.
class FullScreen : public QObject
{
    Q_OBJECT
public:
    FullScreen(QWidget *window, QWebEnginePage *page);

    bool active() const { return on; }
    // True while the screen-sized geometry, or the window manager's steps
    // back from it, could be taken for the window's own placement.
    bool holdsPlacement() const { return on || settling.isActive(); }

signals:
    // The window lays itself out for the page alone (true) or as usual.
    void changed(bool on);

private:
    void onRequested(QWebEngineFullScreenRequest request);
    void enter();
    void leave();
    void showNotice();
    void placeNotice();
    bool eventFilter(QObject *watched, QEvent *event) override;

    QWidget *window;
    QPointer<QWebEnginePage> page;
    QShortcut *escape = nullptr;   // the window's child
    QLabel *notice = nullptr;      // the window's child, shown for a while on entering
    QTimer settling;
    QTimer noticeTime;
    bool on = false;
    bool wasMaximized = false;
    QRect before;   // the window's geometry when it went full screen
};
