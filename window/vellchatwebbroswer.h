#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

// The one top-level browser window. The host link reaches it only through
// the static entry points, which do nothing while there is no window.
class VellChatWebBroswer : public QWidget
{
    Q_OBJECT
public:
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

    static VellChatWebBroswer *instance();
};
