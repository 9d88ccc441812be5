// SPDX-License-Identifier: Apache-2.0
#include "window/windowhostcommands.h"

#include "downloads/downloadfiletree.h"
#include "web/pagepermissions.h"
#include "web/velljsbridge.h"
#include "window/titlebar.h"
#include "window/vellchatwebbroswer.h"
#include "window/vellchatwebbroswer_impl.h"

namespace {

// The parts of the one window that act on what the host says; none while no
// window shows, and no panel until the user first opens it.
VellChatWebBroswer_impl *frame()
{
    VellChatWebBroswer *w = VellChatWebBroswer::instance();
    return w ? w->impl() : nullptr;
}

DownloadFileTree *panel()
{
    VellChatWebBroswer_impl *f = frame();
    return f ? f->panel() : nullptr;
}

void showConfigured(TitleBar::Optional which)
{
    if (VellChatWebBroswer_impl *f = frame())
        f->bar().showConfigured(which);
}

}

// The window has no parent: it is the browser's one top-level window.
void WindowHostCommands::showUrl(const QString &url) { VellChatWebBroswer::newVellChatWebBroswer(url, nullptr); }
void WindowHostCommands::active() { VellChatWebBroswer::activeWnd(); }
void WindowHostCommands::showInfo(const QString &text) { if (VellChatWebBroswer_impl *f = frame()) f->showInfo(text); }
void WindowHostCommands::postToPage(const QString &text) { if (VellChatWebBroswer_impl *f = frame()) f->bridge()->deliverToPage(text); }
void WindowHostCommands::updateOpenOutside() { showConfigured(TitleBar::Optional::OpenOutside); }
void WindowHostCommands::updateCheckChannel() { showConfigured(TitleBar::Optional::Channel); }
void WindowHostCommands::updateStoreToVell() { showConfigured(TitleBar::Optional::Collect); }
void WindowHostCommands::updateShareToFriend() { showConfigured(TitleBar::Optional::Share); }
void WindowHostCommands::configChanged() { if (VellChatWebBroswer *w = VellChatWebBroswer::instance()) w->configChanged_impl(); }
void WindowHostCommands::currentUserInfo(const QByteArray &json) { if (VellChatWebBroswer_impl *f = frame()) f->bridge()->onCurrentUserInfo(json); }
void WindowHostCommands::webfileList(const QByteArray &json) { if (DownloadFileTree *p = panel()) p->onRequestFileList(json); }
void WindowHostCommands::webfileDownloadOffset(const QByteArray &json) { if (DownloadFileTree *p = panel()) p->onRequestFileDownloadOffset(json); }
void WindowHostCommands::startDownload(const QByteArray &json) { if (VellChatWebBroswer *w = VellChatWebBroswer::instance()) w->startDownloadResponse_impl(json); }
void WindowHostCommands::restartDownload(const QByteArray &json) { if (DownloadFileTree *p = panel()) p->onRestartDownloadResponse(json); }
void WindowHostCommands::removeHistory(const QByteArray &json) { if (DownloadFileTree *p = panel()) p->onRemoveHistoryResponse(json); }
void WindowHostCommands::removeAllHistory(const QByteArray &json) { if (DownloadFileTree *p = panel()) p->onRemoveAllHistoryResponse(json); }
void WindowHostCommands::linkEnded() { VellChatWebBroswer::destory(); }
void WindowHostCommands::permissionAnswer(const QByteArray &json) { PagePermissions::instance()->answerHost(json); }
