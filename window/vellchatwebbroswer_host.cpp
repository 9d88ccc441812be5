// SPDX-License-Identifier: Apache-2.0
#include "window/vellchatwebbroswer.h"

#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfiletree.h"
#include "hostlink/transport.h"
#include "web/pagedownloads.h"
#include "web/vellchatwebview.h"
#include "web/vellwebenginepage.h"
#include "window/vellchatwebbroswer_impl.h"
#include "wire/vocabulary.h"

#include <QJsonDocument>
#include <QJsonObject>

// The window's side of the host link. What the user does in the frame leaves
// through the window's slots, each one host message. What the host says goes
// from the link straight to the part that acts on it (window/windowhostcommands.cpp);
// the static entry points and the _impl side below reach the same parts at
// once, for callers holding no link, and do nothing while there is no window.

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
    connect(frame, &VellChatWebBroswer_impl::openOutside, this, &VellChatWebBroswer::onOpenOutside);
    connect(frame, &VellChatWebBroswer_impl::receiveLog, this, &VellChatWebBroswer::onReceiveLog);
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
    connect(view, &QWebEngineView::urlChanged, this, [this] {
        lastFailure.clear();
        reportPage();
    });
    connect(view, &QWebEngineView::titleChanged, this, &VellChatWebBroswer::reportPage);
    connect(view, &QWebEngineView::loadFinished, this, [this, view](bool ok) {
        // A committed page's title may come before its address is reported.
        reportPage();
        // One click may start link after refused link (fifty on a timer),
        // each ending without a page: the page shown did not change, and
        // the host hears of it once until something else happens.
        const QString shown = shownAddress(view);
        if (!ok && shown == lastFailure)
            return;
        lastFailure = ok ? QString() : shown;
        if (VellChatWBConfigure::ReportNavigation())
            transport::shareInstance()->loadFinished(shown, ok);
    });
}

QString VellChatWebBroswer::pageAddress() const
{
    // Without the key the buttons' messages stay as they always were: empty.
    if (!VellChatWBConfigure::ReportNavigation())
        return QString();
    return shownAddress(frame->view());
}

// What the user sees: the committed document's address (a page still on
// its way is not on screen), without user name and password.
QString VellChatWebBroswer::shownAddress(QWebEngineView *view)
{
    return VellWebEnginePage::shownUrl(view->page()).toString(QUrl::FullyEncoded);
}

void VellChatWebBroswer::reportPage()
{
    if (!VellChatWBConfigure::ReportNavigation())
        return;
    const QString url = shownAddress(frame->view());
    const QString title = frame->view()->title();
    if (url.isEmpty())
        return;
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
void VellChatWebBroswer::onOpenOutside() { transport::shareInstance()->openOutside(pageAddress()); }
void VellChatWebBroswer::onReceiveLog(QString msg) { transport::shareInstance()->onReceiveLog(msg); }
void VellChatWebBroswer::onRequestFileList(QString key) { transport::shareInstance()->getWebfileList(key); }
void VellChatWebBroswer::onRequestFileDownloadOffset(QString key, QStringList fileList) { transport::shareInstance()->getWebfileDownloadOffset(key, fileList); }
void VellChatWebBroswer::onOpenFileFoler(QString fileKey) { transport::shareInstance()->openFileFoler(fileKey); }
void VellChatWebBroswer::onRedownloadFile(QString requestid, QString key) { transport::shareInstance()->redownloadFile(requestid, key); }
void VellChatWebBroswer::onRemoveDownloadFile(QString requestid, QString key) { transport::shareInstance()->removeDownloadFile(requestid, key); }
void VellChatWebBroswer::onRemoveAllDownloadFile(QString requestid) { transport::shareInstance()->removeAllDownloadFile(requestid); }

static VellChatWebBroswer_impl *frameOf(VellChatWebBroswer *w) { return w ? w->impl() : nullptr; }
static DownloadFileTree *panelOf(VellChatWebBroswer *w) { return w ? w->impl()->panel() : nullptr; }

void VellChatWebBroswer::showInfo_impl(QString text) { frame->showInfo(text); }
void VellChatWebBroswer::updateShareToFriend_impl() { frame->bar().showConfigured(TitleBar::Optional::Share); }
void VellChatWebBroswer::updateStoreToVell_impl() { frame->bar().showConfigured(TitleBar::Optional::Collect); }
void VellChatWebBroswer::updateOpenOutside_impl() { frame->bar().showConfigured(TitleBar::Optional::OpenOutside); }
void VellChatWebBroswer::updateCheckChannel_impl() { frame->bar().showConfigured(TitleBar::Optional::Channel); }
void VellChatWebBroswer::iqCurrentUserInfo_impl(QByteArray json) { frame->bridge()->onCurrentUserInfo(json); }
void VellChatWebBroswer::webfileListResponse_impl(QByteArray json) { if (DownloadFileTree *p = panelOf(this)) p->onRequestFileList(json); }
void VellChatWebBroswer::webfileDownloadOffsetResponse_impl(QByteArray json) { if (DownloadFileTree *p = panelOf(this)) p->onRequestFileDownloadOffset(json); }
void VellChatWebBroswer::restartDownloadResponse_impl(QByteArray json) { if (DownloadFileTree *p = panelOf(this)) p->onRestartDownloadResponse(json); }
void VellChatWebBroswer::removeHistoryResponse_impl(QByteArray json) { if (DownloadFileTree *p = panelOf(this)) p->onRemoveHistoryResponse(json); }
void VellChatWebBroswer::removeAllHistoryResponse_impl(QByteArray json) { if (DownloadFileTree *p = panelOf(this)) p->onRemoveAllHistoryResponse(json); }

void VellChatWebBroswer::showInfo(QString text) { if (VellChatWebBroswer_impl *f = frameOf(instance())) f->showInfo(text); }
void VellChatWebBroswer::postToPage(QString text) { if (VellChatWebBroswer_impl *f = frameOf(instance())) f->bridge()->deliverToPage(text); }
void VellChatWebBroswer::updateShareToFriend() { if (VellChatWebBroswer_impl *f = frameOf(instance())) f->bar().showConfigured(TitleBar::Optional::Share); }
void VellChatWebBroswer::updateStoreToVell() { if (VellChatWebBroswer_impl *f = frameOf(instance())) f->bar().showConfigured(TitleBar::Optional::Collect); }
void VellChatWebBroswer::updateOpenOutside() { if (VellChatWebBroswer_impl *f = frameOf(instance())) f->bar().showConfigured(TitleBar::Optional::OpenOutside); }
void VellChatWebBroswer::updateCheckChannel() { if (VellChatWebBroswer_impl *f = frameOf(instance())) f->bar().showConfigured(TitleBar::Optional::Channel); }
void VellChatWebBroswer::iqCurrentUserInfo(QByteArray json) { if (VellChatWebBroswer_impl *f = frameOf(instance())) f->bridge()->onCurrentUserInfo(json); }
void VellChatWebBroswer::webfileListResponse(QByteArray json) { if (DownloadFileTree *p = panelOf(instance())) p->onRequestFileList(json); }
void VellChatWebBroswer::webfileDownloadOffsetResponse(QByteArray json) { if (DownloadFileTree *p = panelOf(instance())) p->onRequestFileDownloadOffset(json); }
void VellChatWebBroswer::startDownloadResponse(QByteArray json) { if (VellChatWebBroswer *w = instance()) w->startDownloadResponse_impl(json); }
void VellChatWebBroswer::restartDownloadResponse(QByteArray json) { if (DownloadFileTree *p = panelOf(instance())) p->onRestartDownloadResponse(json); }
void VellChatWebBroswer::removeHistoryResponse(QByteArray json) { if (DownloadFileTree *p = panelOf(instance())) p->onRemoveHistoryResponse(json); }
void VellChatWebBroswer::removeAllHistoryResponse(QByteArray json) { if (DownloadFileTree *p = panelOf(instance())) p->onRemoveAllHistoryResponse(json); }
void VellChatWebBroswer::configChanged() { if (VellChatWebBroswer *w = instance()) w->configChanged_impl(); }

// A download of the page goes to the host, which answers with a line for
// the user when it cannot take it.
void VellChatWebBroswer::onDownloadRequested(WebDownload *download)
{
    if (download)
        pageDownloads->take(download);
}

void VellChatWebBroswer::handOverDownload(const QString &url, const QString &name)
{
    pendingDownloadKey = wire::newRequestKey();
    transport::shareInstance()->downloadFile(pendingDownloadKey, url, name);
}

void VellChatWebBroswer::startDownloadResponse_impl(QByteArray json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    const QString key = object.value(wire::field::kKey).toString();
    const QString info = object.value(wire::field::kInfo).toString();
    if (key != pendingDownloadKey)
        return;
    pendingDownloadKey.clear();
    if (!info.isEmpty())
        showInfo_impl(info);
}
