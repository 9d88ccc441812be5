// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlink/hostcommands.h"

// What the host asks, handed straight to the part of the window that acts on
// it: the window itself, the frame's title bar, the page's bridge or the
// download panel. Nothing happens while no window shows.
class WindowHostCommands : public HostCommands
{
public:
    void showUrl(const QString &url) override;
    void active() override;
    void showInfo(const QString &text) override;
    void postToPage(const QString &text) override;
    void updateOpenOutside() override;
    void updateCheckChannel() override;
    void updateStoreToVell() override;
    void updateShareToFriend() override;
    void configChanged() override;
    void currentUserInfo(const QByteArray &json) override;
    void webfileList(const QByteArray &json) override;
    void webfileDownloadOffset(const QByteArray &json) override;
    void startDownload(const QByteArray &json) override;
    void restartDownload(const QByteArray &json) override;
    void removeHistory(const QByteArray &json) override;
    void removeAllHistory(const QByteArray &json) override;
    void permissionAnswer(const QByteArray &json) override;
    void linkEnded() override;
};
