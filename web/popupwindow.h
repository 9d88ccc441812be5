#pragma once

#include <QRect>
#include <QWidget>

class VellChatWebView;
class VellWebEnginePage;

// A window that a page opened for itself with window.open() and a size: a
// login, a small dialog. It shows the new page alone under the platform's
// own frame, titled with the page, over the window it belongs to and closed
// with it. The page that opened it keeps it as window.opener, so a login can
// post its result back; the page's window.close() closes it. Escape is left
// to the page.
class PopupWindow : public QWidget
{
    Q_OBJECT
public:
    PopupWindow(QWidget *owner, VellWebEnginePage *opener);
    VellChatWebView *view() const { return webView; }
    // Where a page area of the requested place goes on a screen whose free
    // part is available: as asked, made smaller and moved only as far as it
    // takes to fit.
    static QRect placed(const QRect &requested, const QRect &available);
private:
    void place(const QRect &requested);

    VellChatWebView *webView = nullptr;
};
