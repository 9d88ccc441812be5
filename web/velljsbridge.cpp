// SPDX-License-Identifier: Apache-2.0
#include "web/velljsbridge.h"

#include "config/hostmatch.h"
#include "web/vellwebenginepage.h"
#include "wire/vocabulary.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QPointer>
#include <QWebEnginePage>
#include <utility>

namespace {

const int waitRounds = 100;
const int roundMs = 30;

void post(const std::function<void()> &fn)
{
    QMetaObject::invokeMethod(qApp, fn, Qt::QueuedConnection);
}

}

VellJsBridge::VellJsBridge(QObject *parent, PageMessage::Sink toHost)
    : QObject(parent)
    , toHost(toHost ? std::move(toHost) : [](const PageMessage &, const QString &) {})
{
}

void VellJsBridge::setPage(QWebEnginePage *shown)
{
    page = shown;
}

bool VellJsBridge::callerAllowed() const
{
    // Only the top document of the page reaches the web channel, so the
    // document the page shows is the caller, also while the next one loads.
    return allowedOrigins.isEmpty() || HostMatch::originListed(allowedOrigins, VellWebEnginePage::shownUrl(page));
}

void VellJsBridge::deliverToPage(const QString &text)
{
    // The channel hands the signal to whatever page is shown now, so that
    // page's origin decides, as it does for the page's own calls.
    if (!callerAllowed())
        return;
    emit receiveMessage(text);
}

void VellJsBridge::postLog(QString log)
{
    if (log.isEmpty() || !callerAllowed())
        return;
    emit receiveLog(log);
    toHost(PageMessage::row(PageMessage::Log), log);
}

bool VellJsBridge::postMessage(QString msg)
{
    if (msg.isEmpty() || !callerAllowed())
        return true;
    emit getWebMessage(msg);
    QString payload;
    if (const PageMessage *message = PageMessage::fromPostMessage(msg, &payload))
        toHost(*message, payload);
    return true;
}

QString VellJsBridge::getCurrentUserInfo()
{
    if (!callerAllowed())
        return QString();
    QString key;
    {
        QMutexLocker locker(&lock);
        // Pages may call again from inside our own event processing below.
        if (!requestID.isEmpty())
            return QString();
        key = wire::newRequestKey();
        requestID = key;
        userInfo.clear();
        cancelled = false;
    }
    emit currentUserInfo(key);
    toHost(PageMessage::row(PageMessage::UserInfo), key);

    // The host answers over the host link, whose events only arrive if we keep
    // the event loop turning; the lock stays free meanwhile so that re-entrant
    // page calls and the answer itself never wait on it.
    QPointer<VellJsBridge> alive(this);
    for (int round = 0; round < waitRounds; ++round) {
        QCoreApplication::processEvents();
        if (!alive)
            return QString();
        if (cancelled)
            break;
        if (replySignal.tryAcquire(1, roundMs))
            break;
    }

    QString result;
    std::vector<std::function<void()>> pending;
    {
        QMutexLocker locker(&lock);
        requestID.clear();
        result = cancelled ? QString() : userInfo;
        userInfo.clear();
        cancelled = false;
        // An answer that came in together with a cancel, or a repeated answer,
        // leaves a permit behind; the next request must not take it for its own.
        while (replySignal.tryAcquire()) {
        }
        pending.swap(afterWait);
    }
    for (const auto &fn : pending)
        post(fn);
    return result;
}

void VellJsBridge::onCurrentUserInfo(const QByteArray &json)
{
    const QJsonObject answer = QJsonDocument::fromJson(json).object();
    const QString key = answer.value(wire::field::kKey).toString();
    const QString info = answer.value(wire::field::kInfo).toString();
    {
        QMutexLocker locker(&lock);
        if (requestID.isEmpty() || key != requestID)
            return;
        userInfo = info;
    }
    replySignal.release();
}

bool VellJsBridge::isWaiting() const
{
    QMutexLocker locker(&lock);
    return !requestID.isEmpty();
}

void VellJsBridge::cancelWait()
{
    QMutexLocker locker(&lock);
    if (!requestID.isEmpty())
        cancelled = true;
}

void VellJsBridge::runAfterWait(std::function<void()> fn)
{
    {
        QMutexLocker locker(&lock);
        if (!requestID.isEmpty()) {
            afterWait.push_back(std::move(fn));
            return;
        }
    }
    post(fn);
}
