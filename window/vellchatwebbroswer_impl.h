// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "web/enginecompat.h"

#include "web/velljsbridge.h"
#include "window/framegrip.h"
#include "window/titlebar.h"

#include <QByteArray>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>

class DownloadFileTree;
class PageCommands;
class PageRecovery;
class PageSwitch;
class VellChatWebView;
class VellWebEnginePage;

// The inner frame of the browser window: the painted title bar, the page (or
// the download history in its place), the dim overlay under information
// boxes, and the keys that work anywhere in the window. The title bar's
// buttons, moving and resizing by the uncovered surface, and keeping the page
// through engine failures each have their own class; the frame puts them
// together. Every user action leaves as a signal for the window to pass on.
class VellChatWebBroswer_impl : public QWidget
{
    Q_OBJECT
public:
    // What hitTest() answers: the grip's zones as numbers.
    enum HitCode {
        HitNone = int(FrameGrip::Zone::None),
        HitMove = int(FrameGrip::Zone::Move),
        HitTop = int(FrameGrip::Zone::Top),
        HitLeft = int(FrameGrip::Zone::Left),
        HitBottom = int(FrameGrip::Zone::Bottom),
        HitRight = int(FrameGrip::Zone::Right),
        HitTopLeft = int(FrameGrip::Zone::TopLeft),
        HitTopRight = int(FrameGrip::Zone::TopRight),
        HitBottomLeft = int(FrameGrip::Zone::BottomLeft),
        HitBottomRight = int(FrameGrip::Zone::BottomRight),
    };

    VellChatWebBroswer_impl(QWidget *parent, bool maxed);
    // Our own widgets described to assistive technology; before any is made.
    static void installAccessibility();

    int hitTest(int x, int y) { return int(grip->zoneAt(x, y)); }
    void setParentPos(QPoint pos);
    void setParentGeometry(QRect rect);
    void showBG();
    void hideBG();
    int roundRadius() const { return radius; }
    void setRoundRadius(int r) { radius = r; }
    void updateShareToFriend();
    void updateStoreToVell();
    void updateOpenOutside();
    void updateCheckChannel();
    void setUrl(QString url);
    // Shows what the configuration holds now: captions, logo, title bar
    // height and colour, the panel's texts; all of it repainted together.
    void applyConfig();
    // The page alone over the whole frame, for a page that fills the screen.
    void setPageOnly(bool on);

    void showInfo(QString text);
    void postToPage(const QString &text) { jsBridge.deliverToPage(text); }
    void iqCurrentUserInfo(QByteArray json);
    void webfileListResponse(QByteArray json);
    void webfileDownloadOffsetResponse(QByteArray json);
    void webfileRestartDownloadResponse(QByteArray json);
    void webfileRemoveHistoryResponse(QByteArray json);
    void webfileRemoveAllHistoryResponse(QByteArray json);

    // A page may sit in the bridge's bounded wait for the user information;
    // the window must not be deleted under it.
    bool bridgeWaiting() const { return jsBridge.isWaiting(); }
    void cancelBridgeWait() { jsBridge.cancelWait(); }
    void runAfterBridgeWait(std::function<void()> fn) { jsBridge.runAfterWait(std::move(fn)); }

    // The frame's parts, for whoever acts on one of them. The panel is made
    // only when the user first opens it: no answer is for it before that.
    VellChatWebView *view() const { return webView; }
    DownloadFileTree *panel() const { return downloadTree; }
    VellJsBridge *bridge() { return &jsBridge; }
    TitleBar &bar() { return titleBar; }
    FrameGrip *frameGrip() const { return grip; }

signals:
    void closeClicked();
    void miniSizeClicked();
    void maxSizeClicked();
    void restoreClicked();
    void clearWindowState();
    void refresh();
    void storeToVell();
    void shareToFriend();
    void channel();
    void openOutside();
    void hideInfoBox();
    void receiveLog(QString msg);
    void downloadRequested(WebDownload *download);
    void requestFileList(QString key);
    void requestFileDownloadOffset(QString key, QStringList fileList);
    void openFileFoler(QString fileKey);
    void redownloadFile(QString key, QString fileKey);
    void removeDownloadFile(QString key, QString fileKey);
    void removeAllDownloadFile(QString key);

public slots:
    void onWebFile();
    void onWebFileBack();
    void onRemoveDownloadFile(QString key, QString fileKey);
    void onRemoveAllDownloadFile(QString key);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    static QWidget *describedToAssistiveTechnology(QWidget *frame);
    void makePage();
    void connectTitleButtons();
    void makeGrip();
    void makeOverlay();
    void relayout() { resizeEvent(nullptr); }
    void loadUrlNow(const QString &url);
    void makePanel();
    // pageRaised: a page asked for it, and it holds input back at first.
    void openBox(const QString &text, const QString &confirmText, std::function<void()> onConfirm,
                 const QString &cancelText, bool pageRaised = false);

    VellJsBridge jsBridge;
    TitleBar titleBar;
    FrameGrip *grip = nullptr;
    VellChatWebView *webView = nullptr;
    VellWebEnginePage *webPage = nullptr;   // the view's, for all its life
    PageRecovery *recovery = nullptr;       // the page's
    PageSwitch *pages = nullptr;
    PageCommands *commands = nullptr;   // find, zoom, print, side buttons
    DownloadFileTree *downloadTree = nullptr;
    int radius = 0;
    QWidget *overlay = nullptr;
    bool pageOnly = false;
};
