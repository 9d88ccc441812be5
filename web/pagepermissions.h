// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "web/permissioncompat.h"

#include <QHash>
#include <QList>
#include <QObject>

class QWebEnginePage;

// Answers every permission request a page raises - camera, microphone,
// screen, notifications, location, pointer lock - so that no page's promise
// waits forever. The host's policy (see PermissionPolicy) says who decides:
// the rule itself, the user in the window's box, or the host by a message.
// What the user decides holds for that origin and feature for the rest of the
// run, in memory only; one process-wide instance keeps it for every page.
class PagePermissions : public QObject
{
    Q_OBJECT
public:
    // A host that does not answer within this has said no.
    static constexpr int hostWaitMs = 10000;
    // Questions the host may have open at once; a page asking past that gets
    // a no at once, so that no page can flood the host with questions (the
    // host answers a handful, each within hostWaitMs).
    static constexpr int hostOpenLimit = 16;
    // Refusals of one feature within one page after which its page is not
    // asked again for it, whichever of its frames asks: a page that asks on
    // and on is refused as a browser would quiet it.
    static constexpr int refusalsBeforeQuiet = 3;

    static PagePermissions *instance();
    void watch(QWebEnginePage *page);

    // The features of a request as the policy names them ("camera", ...);
    // empty for one this program does not know.
    static QStringList featureWords(PageFeature feature);
    // What a frame of another origin needs in its iframe's allow attribute
    // to ask for it; empty when such a frame never asks.
    static QStringList frameDelegation(PageFeature feature);
    // The box's question, from the configured texts.
    static QString questionText(const QUrl &origin, PageFeature feature);

public slots:
    void answerUser(int id, bool allow);
    // The question went unanswered: a no for this request, remembered for none.
    void dismissUser(int id);
    // The host's {answer, key}; a stale or unreadable one changes nothing.
    void answerHost(const QByteArray &json);

signals:
    // One question at a time; the next comes once this one is answered or withdrawn.
    void userQuestion(int id, const QString &text);
    void userQuestionWithdrawn(int id);
    void hostQuestion(const QString &key, const QString &origin, const QString &feature);

private:
    struct Request {
        PermissionRequest asked;
        int id = 0;
    };
    explicit PagePermissions(QObject *parent);
    void onRequested(const PermissionRequest &asked);
    // By the host's policy, the user's memory and box, or the host.
    void decide(const PermissionRequest &asked);
    // asked withdrawn by its page; with none, whatever has lost its page
    void onCanceled(const PermissionRequest *asked);
    static QString memoryKey(const PermissionRequest &asked);
    void askNextUser();
    void settleUser(int id, bool allow, bool remember);

    // The page's own origin and the feature word, for the refusal count.
    static QStringList quietKeys(const PermissionRequest &asked);
    QHash<QString, bool> remembered;   // memoryKey -> the user's answer
    QHash<QString, int> refusals;      // quietKeys -> the user's refusals
    QList<Request> userQueue;          // the first one is on screen once asked
    bool userAsking = false;
    int nextId = 1;
    QHash<QString, Request> hostWaiting;   // by request key
};
