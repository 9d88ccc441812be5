// SPDX-License-Identifier: Apache-2.0
#include "window/vellchatwebbroswer.h"

#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"
#include "web/vellchatwebview.h"
#include "window/vellchatwebbroswer_impl.h"


// The window's side of the host link. What the user does in the frame leaves
// through the window's slots, each one host message; what the host says
// reaches the window through the static entry points, which do nothing while
// there is no window, and the frame through the _impl side.

void VellChatWebBroswer::connectFrame()
{
    connect(frame, &VellChatWebBroswer_impl::closeClicked, this, &VellChatWebBroswer::onClosed);
    connect(frame, &VellChatWebBroswer_impl::miniSizeClicked, this, &VellChatWebBroswer::onMiniSize);
    connect(frame, &VellChatWebBroswer_impl::maxSizeClicked, this, &VellChatWebBroswer::onMaxSize);
    connect(frame, &VellChatWebBroswer_impl::restoreClicked, this, &VellChatWebBroswer::onRestore);
    connect(frame, &VellChatWebBroswer_impl::clearWindowState, this, &VellChatWebBroswer::onClearWindowState);
    connect(frame, &VellChatWebBroswer_impl::refresh, this, &VellChatWebBroswer::onRefresh);
    connect(frame, &VellChatWebBroswer_impl::storeToVell, this, &VellChatWebBroswer::onStoreToVell);
    connect(frame, &VellChatWebBroswer_impl::shareToFriend, this, &VellChatWebBroswer::onShareToFriend);
    connect(frame, &VellChatWebBroswer_impl::channel, this, &VellChatWebBroswer::onChannel);
    connect(frame, &VellChatWebBroswer_impl::goToChannel, this, &VellChatWebBroswer::onGoToChannel);
    connect(frame, &VellChatWebBroswer_impl::openOutside, this, &VellChatWebBroswer::onOpenOutside);
    connect(frame, &VellChatWebBroswer_impl::receiveLog, this, &VellChatWebBroswer::onReceiveLog);
    connect(frame, &VellChatWebBroswer_impl::currentUserInfo, this, &VellChatWebBroswer::onCurrentUserInfo);
    connect(frame, &VellChatWebBroswer_impl::downloadRequested, this, &VellChatWebBroswer::onDownloadRequested);
    connect(frame, &VellChatWebBroswer_impl::requestFileList, this, &VellChatWebBroswer::onRequestFileList);
    connect(frame, &VellChatWebBroswer_impl::requestFileDownloadOffset, this, &VellChatWebBroswer::onRequestFileDownloadOffset);
    connect(frame, &VellChatWebBroswer_impl::openFileFoler, this, &VellChatWebBroswer::onOpenFileFoler);
    connect(frame, &VellChatWebBroswer_impl::redownloadFile, this, &VellChatWebBroswer::onRedownloadFile);
    connect(frame, &VellChatWebBroswer_impl::removeDownloadFile, this, &VellChatWebBroswer::onRemoveDownloadFile);
    connect(frame, &VellChatWebBroswer_impl::removeAllDownloadFile, this, &VellChatWebBroswer::onRemoveAllDownloadFile);
    // The view's own signals follow whichever page it holds, also the one a
    // link opened in place of the first.
    VellChatWebView *view = frame->view();
    connect(view, &QWebEngineView::urlChanged, this, &VellChatWebBroswer::reportPage);
    connect(view, &QWebEngineView::titleChanged, this, &VellChatWebBroswer::reportPage);
    connect(view, &QWebEngineView::loadFinished, this, [this, view](bool ok) {
        if (VellChatWBConfigure::ReportNavigation())
            transport::shareInstance()->loadFinished(view->url().toString(QUrl::FullyEncoded), ok);
    });
}

QString VellChatWebBroswer::pageAddress() const
{
    // Without the key the buttons' messages stay as they always were: empty.
    if (!VellChatWBConfigure::ReportNavigation())
        return QString();
    return frame->view()->url().toString(QUrl::FullyEncoded);
}

void VellChatWebBroswer::reportPage()
{
    if (!VellChatWBConfigure::ReportNavigation())
        return;
    const QString url = frame->view()->url().toString(QUrl::FullyEncoded);
    const QString title = frame->view()->title();
    // A new address and its title come as two signals, and the engine repeats
    // either at times: the host hears each pair once.
    if (url == reportedUrl && title == reportedTitle)
        return;
    reportedUrl = url;
    reportedTitle = title;
    transport::shareInstance()->navigated(url, title);
}

void VellChatWebBroswer::onRefresh() { transport::shareInstance()->refresh(pageAddress()); }
void VellChatWebBroswer::onStoreToVell() { transport::shareInstance()->storeToVell(pageAddress()); }
void VellChatWebBroswer::onShareToFriend() { transport::shareInstance()->shareArtile(pageAddress()); }
void VellChatWebBroswer::onChannel() { transport::shareInstance()->showChannel(pageAddress()); }
void VellChatWebBroswer::onGoToChannel(QString channelId) { transport::shareInstance()->goToChannel(channelId); }
void VellChatWebBroswer::onOpenOutside() { transport::shareInstance()->openOutside(pageAddress()); }
void VellChatWebBroswer::onReceiveLog(QString msg) { transport::shareInstance()->onReceiveLog(msg); }
void VellChatWebBroswer::onCurrentUserInfo(QString requestID) { transport::shareInstance()->currentUserInfo(requestID); }
void VellChatWebBroswer::onRequestFileList(QString key) { transport::shareInstance()->getWebfileList(key); }
void VellChatWebBroswer::onRequestFileDownloadOffset(QString key, QStringList fileList) { transport::shareInstance()->getWebfileDownloadOffset(key, fileList); }
void VellChatWebBroswer::onOpenFileFoler(QString fileKey) { transport::shareInstance()->openFileFoler(fileKey); }
void VellChatWebBroswer::onRedownloadFile(QString requestid, QString key) { transport::shareInstance()->redownloadFile(requestid, key); }
void VellChatWebBroswer::onRemoveDownloadFile(QString requestid, QString key) { transport::shareInstance()->removeDownloadFile(requestid, key); }
void VellChatWebBroswer::onRemoveAllDownloadFile(QString requestid) { transport::shareInstance()->removeAllDownloadFile(requestid); }

void VellChatWebBroswer::showInfo_impl(QString text) { frame->showInfo(text); }
void VellChatWebBroswer::updateShareToFriend_impl() { frame->updateShareToFriend(); }
void VellChatWebBroswer::updateStoreToVell_impl() { frame->updateStoreToVell(); }
void VellChatWebBroswer::updateOpenOutside_impl() { frame->updateOpenOutside(); }
void VellChatWebBroswer::updateCheckChannel_impl() { frame->updateCheckChannel(); }
void VellChatWebBroswer::iqCurrentUserInfo_impl(QByteArray json) { frame->iqCurrentUserInfo(json); }
void VellChatWebBroswer::webfileListResponse_impl(QByteArray json) { frame->webfileListResponse(json); }
void VellChatWebBroswer::webfileDownloadOffsetResponse_impl(QByteArray json) { frame->webfileDownloadOffsetResponse(json); }
void VellChatWebBroswer::restartDownloadResponse_impl(QByteArray json) { frame->webfileRestartDownloadResponse(json); }
void VellChatWebBroswer::removeHistoryResponse_impl(QByteArray json) { frame->webfileRemoveHistoryResponse(json); }
void VellChatWebBroswer::removeAllHistoryResponse_impl(QByteArray json) { frame->webfileRemoveAllHistoryResponse(json); }

void VellChatWebBroswer::showInfo(QString text) { if (VellChatWebBroswer *w = instance()) w->showInfo_impl(text); }
void VellChatWebBroswer::postToPage(QString text) { if (VellChatWebBroswer *w = instance()) w->impl()->postToPage(text); }
void VellChatWebBroswer::updateShareToFriend() { if (VellChatWebBroswer *w = instance()) w->updateShareToFriend_impl(); }
void VellChatWebBroswer::updateStoreToVell() { if (VellChatWebBroswer *w = instance()) w->updateStoreToVell_impl(); }
void VellChatWebBroswer::updateOpenOutside() { if (VellChatWebBroswer *w = instance()) w->updateOpenOutside_impl(); }
void VellChatWebBroswer::updateCheckChannel() { if (VellChatWebBroswer *w = instance()) w->updateCheckChannel_impl(); }
void VellChatWebBroswer::iqCurrentUserInfo(QByteArray json) { if (VellChatWebBroswer *w = instance()) w->iqCurrentUserInfo_impl(json); }
void VellChatWebBroswer::webfileListResponse(QByteArray json) { if (VellChatWebBroswer *w = instance()) w->webfileListResponse_impl(json); }
void VellChatWebBroswer::webfileDownloadOffsetResponse(QByteArray json) { if (VellChatWebBroswer *w = instance()) w->webfileDownloadOffsetResponse_impl(json); }
void VellChatWebBroswer::startDownloadResponse(QByteArray json) { if (VellChatWebBroswer *w = instance()) w->startDownloadResponse_impl(json); }
void VellChatWebBroswer::restartDownloadResponse(QByteArray json) { if (VellChatWebBroswer *w = instance()) w->restartDownloadResponse_impl(json); }
void VellChatWebBroswer::removeHistoryResponse(QByteArray json) { if (VellChatWebBroswer *w = instance()) w->removeHistoryResponse_impl(json); }
void VellChatWebBroswer::removeAllHistoryResponse(QByteArray json) { if (VellChatWebBroswer *w = instance()) w->removeAllHistoryResponse_impl(json); }
void VellChatWebBroswer::configChanged() { if (VellChatWebBroswer *w = instance()) w->configChanged_impl(); }
