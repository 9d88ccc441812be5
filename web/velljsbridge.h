// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

class QWebEnginePage;

// The object pages reach as "jsbridge" through the web channel. Every signal
// and slot is published to pages, in declaration order, so the order and the
// set of them are part of what pages see; the helpers for the window are plain
// members and stay hidden.
class VellJsBridge : public QObject
{
    Q_OBJECT
public:
    explicit VellJsBridge(QObject *parent);

    // The host's answer to a user-information request: a JSON object with the
    // request's "key" and an "info" string.
    void onCurrentUserInfo(const QByteArray &json);

    // A user-information wait is in progress.
    bool isWaiting() const;
    // The running wait gives up at its next round and hands the page "".
    void cancelWait();
    // Runs fn from the event loop once no wait is in progress any more, so that
    // fn may delete the bridge.
    void runAfterWait(std::function<void()> fn);

    // Only pages of these origins (HostMatch) get anything from the bridge;
    // empty: every page. page tells the origin of the caller.
    void setAllowedOrigins(const QStringList &origins) { allowedOrigins = origins; }
    void setPage(QWebEnginePage *shown);
signals:
    void receiveLog(QString log);
    void receiveMessage(QString msg);
    void getWebMessage(QString msg);
    void currentUserInfo(QString requestID);
public slots:
    void postLog(QString log);
    bool postMessage(QString msg);
    QString getCurrentUserInfo();
private:
    bool callerAllowed() const;

    QStringList allowedOrigins;
    QPointer<QWebEnginePage> page;
    QSemaphore replySignal;
    mutable QMutex lock;   // guards requestID, userInfo and afterWait
    QString requestID;
    QString userInfo;
    std::atomic<bool> cancelled{false};
    std::vector<std::function<void()>> afterWait;
};
