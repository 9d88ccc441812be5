#pragma once

#include <QRect>
#include <QWidget>

class VellChatWebView;
class VellWebEnginePage;

// A window that a page opened for itself with window.open() and a size: a
// login, a small dialog. It shows the new page alone under the platform's
// own frame, over the window it belongs to and closed with it. Its title
// starts with the origin of its page, so that a page cannot dress it up as
// the browser's own window, and it never sits exactly over that window. The
// page that opened it keeps it as window.opener, so a login can post its
// result back; the page's window.close() closes it. Escape is left to the
// page.
class PopupWindow : public QWidget
{
    Q_OBJECT
public:
    PopupWindow(QWidget *owner, VellWebEnginePage *opener);
    VellChatWebView *view() const { return webView; }
    // Where a page area of the requested place goes on a screen whose free
    // part is available: as asked, made smaller and moved only as far as it
    // takes to fit; and, when its corner would come near the corner of the
    // opener's window, moved offset pixels away from it, down and right
    // where the screen has room, and made smaller to stay on the screen.
    static QRect placed(const QRect &requested, const QRect &available, const QRect &opener = QRect());
    // "scheme://host[:port]" of the address, the host as the network spells
    // it (xn-- for international names, which can look like others);
    // "scheme:" for an address without a host.
    static QString originOf(const QUrl &url);
    // How far a popup stays from its opener's corner: past the opener's
    // title bar, so that bar shows beside the popup's own frame.
    static constexpr int offset = 48;
protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
private:
    void place(const QRect &requested);
    QPoint ownerCentre() const;
    void showTitle();

    VellChatWebView *webView = nullptr;
    bool shown = false;              // the page's first request is in
    QRect lastRequested;             // where the page last asked to be
    bool framedWhenPlaced = false;   // the frame's size was known then
};
