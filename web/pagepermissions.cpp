// SPDX-License-Identifier: Apache-2.0
#include "web/pagepermissions.h"

#include "config/hostmatch.h"
#include "config/permissionpolicy.h"
#include "config/vellchatwbconfigure.h"
#include "web/vellwebenginepage.h"
#include "wire/vocabulary.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

using Config = VellChatWBConfigure;

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
    PermissionCompat::watch(
        page, this, [this](const PermissionRequest &asked) { onRequested(asked); },
        [this](const PermissionRequest &asked) { onCanceled(&asked); });
    // A page that goes takes its questions with it.
    connect(page, &QObject::destroyed, this, [this] { onCanceled(nullptr); });
}

QStringList PagePermissions::featureWords(PageFeature feature)
{
    switch (feature) {
#define CWB_WORDS(Feature, word, ...) \
    case PageFeature::Feature: return {QStringLiteral(word)};
    CWB_PERMISSION_FEATURES(CWB_WORDS)
#undef CWB_WORDS
    case PageFeature::CameraAndMicrophone: return featureWords(PageFeature::Camera) + featureWords(PageFeature::Microphone);
    case PageFeature::ScreenWithAudio: return featureWords(PageFeature::Screen);
    case PageFeature::Clipboard:
    case PageFeature::Unknown: break;
    }
    return {};
}

QStringList PagePermissions::frameDelegation(PageFeature feature)
{
    QString token;
    switch (feature) {
#define CWB_FRAME(Feature, word, Question, Default, frame) \
    case PageFeature::Feature: token = QStringLiteral(frame); break;
    CWB_PERMISSION_FEATURES(CWB_FRAME)
#undef CWB_FRAME
    case PageFeature::CameraAndMicrophone: return frameDelegation(PageFeature::Camera) + frameDelegation(PageFeature::Microphone);
    case PageFeature::ScreenWithAudio: return frameDelegation(PageFeature::Screen);
    case PageFeature::Clipboard:
    case PageFeature::Unknown: break;
    }
    return token.isEmpty() ? QStringList() : QStringList{token};
}

QString PagePermissions::questionText(const QUrl &origin, PageFeature feature)
{
    QString text;
    switch (feature) {
#define CWB_QUESTION(Feature, word, Question, ...) \
    case PageFeature::Feature: text = Config::Question(); break;
    CWB_PERMISSION_FEATURES(CWB_QUESTION)
#undef CWB_QUESTION
    case PageFeature::CameraAndMicrophone: text = Config::PermissionCameraMicrophoneText(); break;
    case PageFeature::ScreenWithAudio: text = Config::PermissionScreenText(); break;
    case PageFeature::Clipboard:
    case PageFeature::Unknown: break;
    }
    // A host's text without "%1" is shown as it is.
    const QString who = origin.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::StripTrailingSlash);
    return text.contains(QLatin1String("%1")) ? text.arg(who) : text;
}

QString PagePermissions::memoryKey(const PermissionRequest &asked)
{
    return QString::number(int(asked.feature())) + QLatin1Char(' ') + asked.origin().toString();
}

QStringList PagePermissions::quietKeys(const PermissionRequest &asked)
{
    const QString page = HostMatch::originOf(VellWebEnginePage::shownUrl(asked.page()));
    QStringList keys;
    for (const QString &word : featureWords(asked.feature()))
        keys << page + QLatin1Char(' ') + word;
    return keys;
}

// A frame of another origin than its page's asks only for what the page
// delegated to it (<iframe allow="camera">), as browsers hold frames to;
// without that, nobody is asked. Only the page's own frames are looked at:
// one further down has no say of the page's.
void PagePermissions::onRequested(const PermissionRequest &asked)
{
    QWebEnginePage *page = asked.page();
    const QString origin = HostMatch::originOf(asked.origin());
    if (!page || origin == HostMatch::originOf(VellWebEnginePage::shownUrl(page))) {
        decide(asked);
        return;
    }
    const QStringList needed = frameDelegation(asked.feature());
    if (needed.isEmpty()) {
        asked.answer(false);
        return;
    }
    const QByteArray arguments = QJsonDocument(QJsonArray{origin, QJsonArray::fromStringList(needed)}).toJson(QJsonDocument::Compact);
    const QString script = QStringLiteral(
        "(function (origin, needed) {"
        " return Array.prototype.some.call(document.querySelectorAll('iframe'), function (frame) {"
        "  var from; try { from = new URL(frame.src, location.href).origin; } catch (e) { return false; }"
        "  var allowed = (frame.getAttribute('allow') || '').split(';').map(function (item) {"
        "   return item.trim().split(/\\s+/)[0]; });"
        "  return from === origin && needed.every(function (token) { return allowed.indexOf(token) >= 0; });"
        " }); }).apply(null, %1)").arg(QString::fromUtf8(arguments));
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [this, asked](const QVariant &delegated) {
        if (delegated.toBool())
            decide(asked);
        else
            asked.answer(false);
    });
}

void PagePermissions::decide(const PermissionRequest &asked)
{
    Request request{asked, nextId++};
    using Rule = PermissionPolicy::Rule;
    const QStringList words = featureWords(asked.feature());
    const Rule rule = PermissionPolicy::rule(Config::PermissionRules(), words);
    if (rule == Rule::Allow || rule == Rule::Deny) {
        asked.answer(rule == Rule::Allow);
        return;
    }
    if (rule == Rule::Host) {
        if (hostWaiting.size() >= hostOpenLimit) {
            asked.answer(false);
            return;
        }
        const QString key = wire::newRequestKey();
        hostWaiting.insert(key, request);
        QTimer::singleShot(hostWaitMs, this, [this, key] {
            if (hostWaiting.contains(key))
                hostWaiting.take(key).asked.answer(false);
        });
        emit hostQuestion(key, asked.origin().toString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::StripTrailingSlash),
                          words.join(QLatin1Char(',')));
        return;
    }
    const auto known = remembered.constFind(memoryKey(asked));
    if (known != remembered.constEnd()) {
        asked.answer(known.value());
        return;
    }
    for (const QString &quiet : quietKeys(asked)) {
        if (refusals.value(quiet) >= refusalsBeforeQuiet) {
            asked.answer(false);
            return;
        }
    }
    userQueue.append(request);
    askNextUser();
}

void PagePermissions::askNextUser()
{
    while (!userAsking && !userQueue.isEmpty()) {
        const Request &next = userQueue.first();
        const auto known = remembered.constFind(memoryKey(next.asked));
        if (!next.asked.page() || known != remembered.constEnd()) {
            // Answered while it waited in line (the same question before it), or its page is gone.
            userQueue.takeFirst().asked.answer(known != remembered.constEnd() && known.value());
            continue;
        }
        userAsking = true;
        emit userQuestion(next.id, questionText(next.asked.origin(), next.asked.feature()));
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
        remembered.insert(memoryKey(request.asked), allow);
    if (!allow) {
        for (const QString &quiet : quietKeys(request.asked))
            ++refusals[quiet];
    }
    request.asked.answer(allow);
    askNextUser();
}

void PagePermissions::answerHost(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    const QString key = object.value(wire::field::kKey).toString();
    if (!hostWaiting.contains(key))
        return;
    // Anything but a plain "allow" is a no.
    hostWaiting.take(key).asked.answer(object.value(wire::field::kAnswer).toString() == wire::field::kAllow);
}

void PagePermissions::onCanceled(const PermissionRequest *asked)
{
    for (int i = userQueue.size() - 1; i >= 0; --i) {
        const Request &r = userQueue.at(i);
        const bool gone = !r.asked.page() || (asked && r.asked.sameQuestion(*asked));
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
