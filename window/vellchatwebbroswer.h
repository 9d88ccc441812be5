// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "web/enginecompat.h"

#include <QByteArray>
#include <QRect>
#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>

class FullScreen;
class PageLeave;
class PageDownloads;
class VellChatWebBroswer_impl;
class VellWebEngineUrlRequestInterceptor;
class QWebEngineView;

// The one top-level browser window. The host link reaches it only through
// the static entry points, which do nothing while there is no window; every
// user action leaves through the host link from the slots below.
class VellChatWebBroswer : public QWidget
{
    Q_OBJECT
public:
    VellChatWebBroswer(QWidget *parent, bool maxed);
    ~VellChatWebBroswer() override;

    static void newVellChatWebBroswer(QString url, QWidget *parent);
    static void destory();
    static void activeWnd();
    static void showInfo(QString text);
    static void postToPage(QString text);
    static void updateShareToFriend();
    static void updateStoreToVell();
    static void updateOpenOutside();
    static void updateCheckChannel();
    static void iqCurrentUserInfo(QByteArray json);
    static void webfileListResponse(QByteArray json);
    static void webfileDownloadOffsetResponse(QByteArray json);
    static void startDownloadResponse(QByteArray json);
    static void restartDownloadResponse(QByteArray json);
    static void removeHistoryResponse(QByteArray json);
    static void removeAllHistoryResponse(QByteArray json);
    // The host changed a configuration value; the window shows it whole.
    static void configChanged();

    // The window that exists now, if any.
    static VellChatWebBroswer *instance();

    void setUrl(QString url);
    void DrawBorder(QPainter &painter);
    void showInfo_impl(QString text);
    void updateShareToFriend_impl();
    void updateStoreToVell_impl();
    void updateOpenOutside_impl();
    void updateCheckChannel_impl();
    void iqCurrentUserInfo_impl(QByteArray json);
    void webfileListResponse_impl(QByteArray json);
    void webfileDownloadOffsetResponse_impl(QByteArray json);
    void startDownloadResponse_impl(QByteArray json);
    void restartDownloadResponse_impl(QByteArray json);
    void removeHistoryResponse_impl(QByteArray json);
    void removeAllHistoryResponse_impl(QByteArray json);
    void configChanged_impl();

    VellChatWebBroswer_impl *impl() const { return frame; }
    VellWebEngineUrlRequestInterceptor *requestInterceptor() const { return interceptor; }
    static QString positionText(const QRect &rect, bool maximized);
    // Where the window is when it is neither maximised nor minimised: the
    // frame's top-left corner and the client size, as the position text has them.
    QRect normalPlacement() const { return normalRect; }

public slots:
    void onClosed();
    void onMiniSize();
    void onMaxSize();
    void onRestore();
    void onClearWindowState();
    void onRefresh();
    void onStoreToVell();
    void onShareToFriend();
    void onChannel();
    void onOpenOutside();
    void onReceiveLog(QString msg);
    void onSavePos();
    void onDownloadRequested(WebDownload *download);
    void onRequestFileList(QString key);
    void onRequestFileDownloadOffset(QString key, QStringList fileList);
    void onOpenFileFoler(QString fileKey);
    void onRedownloadFile(QString requestid, QString key);
    void onRemoveDownloadFile(QString requestid, QString key);
    void onRemoveAllDownloadFile(QString requestid);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    static void dispose(VellChatWebBroswer *window);
    // Every frame signal to the slot that hands it to the host link.
    void connectFrame();
    QRect currentPlacement() const;
    bool inNormalState() const;
    void noteNormalPlacement();
    void applyConfig();
    void showTitleAndIcon();
    void handOverDownload(const QString &url, const QString &name);
    // The page the user is on, for the host that asked to hear of it.
    QString pageAddress() const;
    static QString shownAddress(QWebEngineView *view);
    void reportPage();

    VellChatWebBroswer_impl *frame = nullptr;
    VellWebEngineUrlRequestInterceptor *interceptor = nullptr;
    PageDownloads *pageDownloads = nullptr;
    FullScreen *fullScreen = nullptr;
    PageLeave *leave = nullptr;
    bool maximizedFlag = false;
    QString lastFailure;   // the page of the last loadFinished that failed, until another loads
    QTimer savePosTimer;
    QString lastPosition;
    QString pendingDownloadKey;
    QRect normalRect;
    // Window managers report a new state and the geometry that goes with it
    // as two events, in either order; the normal placement is taken only once
    // both have arrived, so that a maximised rectangle is never taken for it.
    QTimer normalSettle;
    QColor borderColour;   // as configured when last applied
    // The host sends its configuration as many messages in a row; they are
    // shown together once the read pass that carried them is over.
    bool configPending = false;
    QString reportedUrl;     // the page the host heard of last
    QString reportedTitle;
};
