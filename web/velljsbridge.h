// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "web/pagemessage.h"

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
// members and stay hidden. What a page sends the host goes to the sink as the
// page message's row (web/pagemessage.h) and its payload; the signals only
// tell pages, which may listen to them, what was sent.
class VellJsBridge : public QObject
{
    Q_OBJECT
public:
    // Without a sink nothing reaches the host.
    explicit VellJsBridge(QObject *parent, PageMessage::Sink toHost = {});

    // The host's answer to a user-information request: a JSON object with the
    // request's "key" and an "info" string.
    void onCurrentUserInfo(const QByteArray &json);

    // A text from the host for the page: receiveMessage(text), which the page's
    // script connects to, for a page the bridge serves; dropped for others.
    void deliverToPage(const QString &text);

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

    PageMessage::Sink toHost;
    QStringList allowedOrigins;
    QPointer<QWebEnginePage> page;
    QSemaphore replySignal;
    mutable QMutex lock;   // guards requestID, userInfo and afterWait
    QString requestID;
    QString userInfo;
    std::atomic<bool> cancelled{false};
    std::vector<std::function<void()>> afterWait;
};
