// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QString>

// What the host asks of the browser, one call per message the decoder
// understands. The host link sits below the window, so it calls this and the
// window's side implements it; with no receiver the calls are dropped, as
// they are when no window shows. Answers are handed over as the host's JSON.
class HostCommands
{
public:
    virtual ~HostCommands() = default;

    // event:
    virtual void showUrl(const QString &url) = 0;
    virtual void active() = 0;
    virtual void showInfo(const QString &text) = 0;   // never empty
    // The new visibility is already in the configuration store.
    virtual void updateOpenOutside() = 0;
    virtual void updateCheckChannel() = 0;
    virtual void updateStoreToVell() = 0;
    virtual void updateShareToFriend() = 0;
    // config: one value has been applied to the store.
    virtual void configChanged() = 0;

    // Answers to our requests; never empty.
    virtual void currentUserInfo(const QByteArray &json) = 0;
    virtual void webfileList(const QByteArray &json) = 0;
    virtual void webfileDownloadOffset(const QByteArray &json) = 0;
    virtual void startDownload(const QByteArray &json) = 0;
    virtual void restartDownload(const QByteArray &json) = 0;
    virtual void removeHistory(const QByteArray &json) = 0;
    virtual void removeAllHistory(const QByteArray &json) = 0;
    virtual void permissionAnswer(const QByteArray &json) = 0;

    // The host hung up or never was ours: the process ends shortly.
    virtual void linkEnded() = 0;
};
