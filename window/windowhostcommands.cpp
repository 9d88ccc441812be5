// SPDX-License-Identifier: Apache-2.0
#include "window/windowhostcommands.h"

#include "web/pagepermissions.h"
#include "window/vellchatwebbroswer.h"

// The window has no parent: it is the browser's one top-level window.
void WindowHostCommands::showUrl(const QString &url) { VellChatWebBroswer::newVellChatWebBroswer(url, nullptr); }
void WindowHostCommands::active() { VellChatWebBroswer::activeWnd(); }
void WindowHostCommands::showInfo(const QString &text) { VellChatWebBroswer::showInfo(text); }
void WindowHostCommands::updateOpenOutside() { VellChatWebBroswer::updateOpenOutside(); }
void WindowHostCommands::updateCheckChannel() { VellChatWebBroswer::updateCheckChannel(); }
void WindowHostCommands::updateStoreToVell() { VellChatWebBroswer::updateStoreToVell(); }
void WindowHostCommands::updateShareToFriend() { VellChatWebBroswer::updateShareToFriend(); }
void WindowHostCommands::configChanged() { VellChatWebBroswer::configChanged(); }
void WindowHostCommands::currentUserInfo(const QByteArray &json) { VellChatWebBroswer::iqCurrentUserInfo(json); }
void WindowHostCommands::webfileList(const QByteArray &json) { VellChatWebBroswer::webfileListResponse(json); }
void WindowHostCommands::webfileDownloadOffset(const QByteArray &json) { VellChatWebBroswer::webfileDownloadOffsetResponse(json); }
void WindowHostCommands::startDownload(const QByteArray &json) { VellChatWebBroswer::startDownloadResponse(json); }
void WindowHostCommands::restartDownload(const QByteArray &json) { VellChatWebBroswer::restartDownloadResponse(json); }
void WindowHostCommands::removeHistory(const QByteArray &json) { VellChatWebBroswer::removeHistoryResponse(json); }
void WindowHostCommands::removeAllHistory(const QByteArray &json) { VellChatWebBroswer::removeAllHistoryResponse(json); }
void WindowHostCommands::linkEnded() { VellChatWebBroswer::destory(); }
void WindowHostCommands::permissionAnswer(const QByteArray &json) { PagePermissions::instance()->answerHost(json); }
