#pragma once

#include "web/velljsbridge.h"
#include "widgets/imagebutton.h"
#include "widgets/textbutton.h"

#include <QByteArray>
#include <QMargins>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>

class DownloadFileTree;
class PageRecovery;
class QWebEngineDownloadItem;
class VellChatWebView;
class VellWebEnginePage;

// The inner frame of the browser window: the painted title bar, the page (or
// the download history in its place), the dim overlay under information
// boxes, and moving and resizing the window by its uncovered surface.
// Every user action leaves as a signal for the window to pass on.
class VellChatWebBroswer_impl : public QWidget
{
    Q_OBJECT
public:
    enum HitCode {
        HitNone = 0,
        HitMove = 1,
        HitTop = 2,
        HitLeft = 3,
        HitBottom = 4,
        HitRight = 5,
        HitTopLeft = 6,
        HitTopRight = 7,
        HitBottomLeft = 8,
        HitBottomRight = 9,
    };

    VellChatWebBroswer_impl(QWidget *parent, bool maxed);
    // Our own widgets described to assistive technology; before any is made.
    static void installAccessibility();

    int hitTest(int x, int y);
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
    void stateChanged(Qt::WindowState state);
    // Shows what the configuration holds now: captions, logo, title bar
    // height and colour, the panel's texts; all of it repainted together.
    void applyConfig();

    void showInfo(QString text);
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

    VellChatWebView *view() const { return webView; }
    DownloadFileTree *panel() const { return downloadTree; }

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
    void goToChannel(QString channelID);
    void openOutside();
    void hideInfoBox();
    void receiveLog(QString msg);
    void currentUserInfo(QString requestID);
    void downloadRequested(QWebEngineDownloadItem *download);
    void requestFileList(QString key);
    void requestFileListResponse(QByteArray response);
    void requestFileDownloadOffset(QString key, QStringList fileList);
    void requestFileDownloadOffsetResponse(QByteArray response);
    void restartDownloadResponse(QByteArray json);
    void removeHistoryResponse(QByteArray json);
    void removeAllHistoryResponse(QByteArray json);
    void openFileFoler(QString fileKey);
    void redownloadFile(QString key, QString fileKey);
    void removeDownloadFile(QString key, QString fileKey);
    void removeAllDownloadFile(QString key);

public slots:
    void onGetWebMessage(QString msg);
    void onWebFile();
    void onWebFileBack();
    void onRemoveDownloadFile(QString key, QString fileKey);
    void onRemoveAllDownloadFile(QString key);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void relayout() { resizeEvent(nullptr); }
    void nameLogo();
    void fitLogo();
    void loadUrlNow(const QString &url);
    void openBox(const QString &text, const QString &confirmText, std::function<void()> onConfirm,
                 const QString &cancelText);
    static Qt::CursorShape cursorFor(int code);
    bool parentMaximized() const;
    bool handOverDrag();
    void restoreUnderPointer(const QPoint &pointer);

    VellChatWebView *webView = nullptr;
    VellWebEnginePage *webPage = nullptr;   // the view's, for all its life
    PageRecovery *recovery = nullptr;       // the page's
    VellJsBridge jsBridge;
    DownloadFileTree *downloadTree = nullptr;
    qint64 lastListRequestTime = 0;
    ImageButton logoButton;
    TextButton refreshButton;
    TextButton collectButton;
    TextButton shareButton;
    TextButton channelButton;
    TextButton openOutsideButton;
    TextButton webFileButton;
    ImageButton miniButton;
    ImageButton maxButton;
    ImageButton restoreButton;
    ImageButton closeButton;
    TextButton backButton;
    int dragMode = HitNone;
    QPoint pressGlobalPos;
    QRect pressFrameGeometry;
    QMargins pressFrameMargins;   // the decoration around the client area at the press
    int radius = 0;
    QWidget *overlay = nullptr;
    // What the title bar is painted and laid out with, taken from the
    // configuration together, so a change never shows in part of the bar.
    int titleHeight = 0;
    QBrush titleBrush;
    qint64 logoKey = 0;      // the configured logo the button shows, fitted to
    int logoHeight = 0;      // this title bar height
};
