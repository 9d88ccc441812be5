#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>

class QWebEngineDownloadItem;
class VellChatWebBroswer_impl;
class VellWebEngineUrlRequestInterceptor;

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

public slots:
    void stateChanged(Qt::WindowState state);
    void onClosed();
    void onMiniSize();
    void onMaxSize();
    void onRestore();
    void onClearWindowState();
    void onRefresh();
    void onStoreToVell();
    void onShareToFriend();
    void onChannel();
    void onGoToChannel(QString channelId);
    void onOpenOutside();
    void onReceiveLog(QString msg);
    void onCurrentUserInfo(QString requestID);
    void onSavePos();
    void onDownloadRequested(QWebEngineDownloadItem *download);
    void onRequestFileList(QString key);
    void onRequestFileDownloadOffset(QString key, QStringList fileList);
    void onOpenFileFoler(QString fileKey);
    void onRedownloadFile(QString requestid, QString key);
    void onRemoveDownloadFile(QString requestid, QString key);
    void onRemoveAllDownloadFile(QString requestid);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static void dispose(VellChatWebBroswer *window);
    void applyConfig();
    void showTitleAndIcon();

    VellChatWebBroswer_impl *frame = nullptr;
    VellWebEngineUrlRequestInterceptor *interceptor = nullptr;
    bool maximizedFlag = false;
    QTimer savePosTimer;
    QString lastPosition;
    QString pendingDownloadKey;
    qint64 lastDownloadTime = 0;
    QColor borderColour;   // as configured when last applied
    // The host sends its configuration as many messages in a row; they are
    // shown together once the read pass that carried them is over.
    bool configPending = false;
};
