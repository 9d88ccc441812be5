// SPDX-License-Identifier: Apache-2.0
#include "web/pagepermissions.h"

#include "config/permissionpolicy.h"
#include "config/vellchatwbconfigure.h"
#include "wire/vocabulary.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

using Config = VellChatWBConfigure;
using Feature = QWebEnginePage::Feature;

PagePermissions::PagePermissions(QObject *parent)
    : QObject(parent)
{
}

PagePermissions *PagePermissions::instance()
{
    static PagePermissions *permissions = new PagePermissions(QCoreApplication::instance());
    return permissions;
}

void PagePermissions::watch(QWebEnginePage *page)
{
    connect(page, &QWebEnginePage::featurePermissionRequested, this,
            [this, page](const QUrl &origin, Feature feature) { onRequested(page, origin, feature); });
    connect(page, &QWebEnginePage::featurePermissionRequestCanceled, this,
            [this, page](const QUrl &origin, Feature feature) { onCanceled(page, origin, feature); });
    // A page that goes takes its questions with it.
    connect(page, &QObject::destroyed, this, [this] { onCanceled(nullptr, QUrl(), Feature()); });
}

QStringList PagePermissions::featureWords(Feature feature)
{
    switch (feature) {
    case QWebEnginePage::MediaVideoCapture: return {QStringLiteral("camera")};
    case QWebEnginePage::MediaAudioCapture: return {QStringLiteral("microphone")};
    case QWebEnginePage::MediaAudioVideoCapture: return {QStringLiteral("camera"), QStringLiteral("microphone")};
    case QWebEnginePage::DesktopVideoCapture:
    case QWebEnginePage::DesktopAudioVideoCapture: return {QStringLiteral("screen")};
    case QWebEnginePage::Notifications: return {QStringLiteral("notifications")};
    case QWebEnginePage::Geolocation: return {QStringLiteral("geolocation")};
    case QWebEnginePage::MouseLock: return {QStringLiteral("mouselock")};
    }
    return {};
}

QString PagePermissions::questionText(const QUrl &origin, Feature feature)
{
    QString text;
    switch (feature) {
    case QWebEnginePage::MediaVideoCapture: text = Config::PermissionCameraText(); break;
    case QWebEnginePage::MediaAudioCapture: text = Config::PermissionMicrophoneText(); break;
    case QWebEnginePage::MediaAudioVideoCapture: text = Config::PermissionCameraMicrophoneText(); break;
    case QWebEnginePage::DesktopVideoCapture:
    case QWebEnginePage::DesktopAudioVideoCapture: text = Config::PermissionScreenText(); break;
    case QWebEnginePage::Notifications: text = Config::PermissionNotificationsText(); break;
    case QWebEnginePage::Geolocation: text = Config::PermissionGeolocationText(); break;
    case QWebEnginePage::MouseLock: text = Config::PermissionMouseLockText(); break;
    }
    // A host's text without "%1" is shown as it is.
    const QString who = origin.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::StripTrailingSlash);
    return text.contains(QLatin1String("%1")) ? text.arg(who) : text;
}

QString PagePermissions::memoryKey(const QUrl &origin, Feature feature)
{
    return QString::number(int(feature)) + QLatin1Char(' ') + origin.toString();
}

void PagePermissions::grant(const Request &request, bool allow)
{
    if (!request.page)
        return;
    request.page->setFeaturePermission(request.origin, request.feature,
                                       allow ? QWebEnginePage::PermissionGrantedByUser
                                             : QWebEnginePage::PermissionDeniedByUser);
}

void PagePermissions::onRequested(QWebEnginePage *page, const QUrl &origin, Feature feature)
{
    Request request{page, origin, feature, nextId++};
    using Rule = PermissionPolicy::Rule;
    const Rule rule = PermissionPolicy::rule(Config::PermissionRules(), featureWords(feature));
    if (rule == Rule::Allow || rule == Rule::Deny) {
        grant(request, rule == Rule::Allow);
        return;
    }
    if (rule == Rule::Host) {
        const QString key = wire::newRequestKey();
        hostWaiting.insert(key, request);
        QTimer::singleShot(hostWaitMs, this, [this, key] {
            if (hostWaiting.contains(key))
                grant(hostWaiting.take(key), false);
        });
        emit hostQuestion(key, origin.toString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::StripTrailingSlash),
                          featureWords(feature).join(QLatin1Char(',')));
        return;
    }
    const auto known = remembered.constFind(memoryKey(origin, feature));
    if (known != remembered.constEnd()) {
        grant(request, known.value());
        return;
    }
    userQueue.append(request);
    askNextUser();
}

void PagePermissions::askNextUser()
{
    while (!userAsking && !userQueue.isEmpty()) {
        const Request &next = userQueue.first();
        const auto known = remembered.constFind(memoryKey(next.origin, next.feature));
        if (!next.page || known != remembered.constEnd()) {
            // Answered while it waited in line (the same question before it), or its page is gone.
            grant(userQueue.takeFirst(), known != remembered.constEnd() && known.value());
            continue;
        }
        userAsking = true;
        emit userQuestion(next.id, questionText(next.origin, next.feature));
    }
}

void PagePermissions::answerUser(int id, bool allow)
{
    settleUser(id, allow, true);
}

void PagePermissions::dismissUser(int id)
{
    settleUser(id, false, false);
}

void PagePermissions::settleUser(int id, bool allow, bool remember)
{
    if (!userAsking || userQueue.isEmpty() || userQueue.first().id != id)
        return;
    const Request request = userQueue.takeFirst();
    userAsking = false;
    if (remember)
        remembered.insert(memoryKey(request.origin, request.feature), allow);
    grant(request, allow);
    askNextUser();
}

void PagePermissions::answerHost(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    const QString key = object.value(wire::field::kKey).toString();
    if (!hostWaiting.contains(key))
        return;
    // Anything but a plain "allow" is a no.
    grant(hostWaiting.take(key), object.value(wire::field::kAnswer).toString() == wire::field::kAllow);
}

void PagePermissions::onCanceled(QWebEnginePage *page, const QUrl &origin, Feature feature)
{
    for (int i = userQueue.size() - 1; i >= 0; --i) {
        const Request &r = userQueue.at(i);
        const bool gone = !r.page || (r.page == page && r.origin == origin && r.feature == feature);
        if (!gone)
            continue;
        if (i == 0 && userAsking) {
            userAsking = false;
            emit userQuestionWithdrawn(r.id);
        }
        userQueue.removeAt(i);
    }
    askNextUser();
}
