// SPDX-License-Identifier: Apache-2.0
#include "host/hostsession.h"

#include "host/hostdownloader.h"
#include "host/hoststore.h"
#include "wire/vocabulary.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <utility>

using ChannelWebBrowser::BrowserLink;
using ChannelWebBrowser::HostMessage;
namespace feedback = wire::feedback;
namespace field = wire::field;

// The texts of the window, in the order they are sent.
static const std::pair<void (BrowserLink::*)(const QString &), const char *> kTexts[] = {
    {&BrowserLink::setRefreshText, "Refresh"},
    {&BrowserLink::setCollectText, "Collect"},
    {&BrowserLink::setShareText, "Share"},
    {&BrowserLink::setChannelText, "Channel"},
    {&BrowserLink::setOpenoutsideText, "Open Outside"},
    {&BrowserLink::setWebFileText, "Download History"},
    {&BrowserLink::setWebFileEmptyText, "Nothing downloaded yet"},
    {&BrowserLink::setWebFileLoadingText, "Asking for the download history..."},
    {&BrowserLink::setWebFileSuccessText, "Done"},
    {&BrowserLink::setWebFileFailedText, "Failed"},
    {&BrowserLink::setWebFileOpenInFolderText, "Show in folder"},
    {&BrowserLink::setWebFileBackText, "Back"},
    {&BrowserLink::setWebFileRedownloadText, "Download again"},
    {&BrowserLink::setWebFileMissedText, "File was moved or deleted"},
    {&BrowserLink::setWebFileRemoveAllText, "Clean all"},
    {&BrowserLink::setWebFileRemoveTipsText, "Remove this file from the history?"},
    {&BrowserLink::setWebFileRemoveAllTipsText, "Remove all files from the history?"},
    {&BrowserLink::setInfoBoxOk, "OK"},
    {&BrowserLink::setInfoBoxCancel, "Cancel"},
    {&BrowserLink::setInfoBoxDelete, "Remove"},
    {&BrowserLink::setInfoBoxClean, "Clean"},
};

static QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Keeps both ends of a long file name, so the message box still shows the extension.
static QString shortName(const QString &name)
{
    const int max = 26;
    return name.size() <= max ? name : name.left(13) + QChar(0x2026) + name.right(max - 14);
}

// A clipboard only the host itself could read is no clipboard.
static bool desktopClipboard(const QString &text)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()) || QGuiApplication::platformName() == QLatin1String("offscreen"))
        return false;
    QClipboard *board = QGuiApplication::clipboard();
    if (!board)
        return false;
    board->setText(text);
    return true;
}

HostSession::HostSession(BrowserLink *link, HostStore *store, HostDownloader *downloader, const HostSettings &settings, QObject *parent)
    : QObject(parent)
    , link(link)
    , store(store)
    , downloader(downloader)
    , settings(settings)
    , urlOpener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
    , clipboard(desktopClipboard)
{
    connect(link, &BrowserLink::refreshClicked, this, [this](const QUrl &page) { onButton(feedback::kRefresh, page); });
    connect(link, &BrowserLink::collectClicked, this, [this](const QUrl &page) { onButton(feedback::kStoreToVell, page); });
    connect(link, &BrowserLink::shareClicked, this, [this](const QUrl &page) { onButton(feedback::kShare, page); });
    connect(link, &BrowserLink::channelClicked, this, [this](const QUrl &page) { onButton(feedback::kChannel, page); });
    connect(link, &BrowserLink::openOutsideClicked, this, [this](const QUrl &page) { onButton(feedback::kOpenOutside, page); });
    connect(link, &BrowserLink::gotoChannelRequested, this, [this](const QString &channel) {
        emit note(QStringLiteral("button: gotoChannel ") + channel);
    });
    connect(link, &BrowserLink::logReceived, this, [this](const QString &line) { emit note(QStringLiteral("browser log: ") + line); });
    connect(link, &BrowserLink::positionSaved, this, &HostSession::onSavePosition);
    connect(link, &BrowserLink::currentUserInfoRequested, this, &HostSession::onCurrentUserInfo);
    connect(link, &BrowserLink::fileListRequested, this, &HostSession::onGetFileList);
    connect(link, &BrowserLink::downloadOffsetRequested, this, &HostSession::onGetDownloadOffset);
    connect(link, &BrowserLink::startDownloadRequested, this, &HostSession::onStartDownload);
    connect(link, &BrowserLink::restartDownloadRequested, this, &HostSession::onRestartDownload);
    connect(link, &BrowserLink::removeHistoryRequested, this, &HostSession::onRemoveHistory);
    connect(link, &BrowserLink::removeAllHistoryRequested, this, &HostSession::onRemoveAllHistory);
    connect(link, &BrowserLink::openFileFolderRequested, this, &HostSession::onOpenFileFolder);
    connect(link, &BrowserLink::messageIgnored, this, &HostSession::onIgnored);
    connect(link, &BrowserLink::permissionRequested, this, &HostSession::onPermission);
}

QString HostSession::userInfo(const QString &name)
{
    // A stable id per name, so a page sees the same user on every start.
    const QByteArray digest = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Md5).toHex().left(8);
    QJsonObject user;
    user.insert(QStringLiteral("userId"), QStringLiteral("user-") + QString::fromLatin1(digest));
    user.insert(QStringLiteral("name"), name);
    user.insert(QStringLiteral("channel"), QStringLiteral("demo-channel"));
    return QString::fromUtf8(compact(user));
}

void HostSession::sendStartup()
{
    link->setTitle(settings.title);
    link->setAccessToken(settings.accessToken);
    // Sent only when set: a browser that never hears of them stays as it was.
    if (!settings.accessTokenHosts.isEmpty())
        link->setAccessTokenHosts(settings.accessTokenHosts);
    if (settings.strictCertificates)
        link->setStrictCertificates(true);
    if (!settings.bridgeOrigins.isEmpty())
        link->setBridgeOrigins(settings.bridgeOrigins);
    if (!settings.externalSchemes.isEmpty())
        link->setExternalSchemes(settings.externalSchemes);
    // The page features a browser offers only when asked: the full
    // right-click menu, PDFs in the window and popup windows. Printing is on by default.
    link->setPageMenu(true);
    link->setPdfViewer(true);
    // Refresh, Collect, Share and Open Outside act on the page the user is
    // on, which may be far from the one we showed.
    link->setReportNavigation(true);
    // Sign-in pages of the mini-apps open their login in a popup.
    link->setAllowPopups(true);
    // Sharing the screen is ours to decide; the user's box answers the rest.
    link->setPermissionPolicy({QStringLiteral("screen=host")});
    for (const auto &text : kTexts)
        (link->*text.first)(QLatin1String(text.second));
    // Darker than the default so the white captions stay readable.
    link->setTitleBackgroundColor(38, 110, 190);
    link->setShadowColor(20, 60, 110);
    // A warm caption under the pointer; the captions themselves stay white.
    link->setTitleTextHoverColor(255, 214, 102, 255);
    const QString rect = store->position().isEmpty() ? settings.firstWindowRect : store->position();
    if (!rect.isEmpty())
        link->setWindowsRect(rect);
    link->updateOpenOutside(settings.showOpenOutside);
    link->updateCheckChannel(settings.showChannel);
    link->updateStoreToVell(settings.showCollect);
    link->updateShareToFriend(settings.showShare);
    showUrl(settings.pageUrl);
}

void HostSession::showUrl(const QUrl &url)
{
    lastShown = url;
    link->showUrl(url);
}

void HostSession::tell(const QString &text)
{
    link->showBoxMessage(text);
}

void HostSession::onIgnored(const HostMessage &message, const QString &why)
{
    if (message.fieldCount == 0) {
        emit warning(QStringLiteral("ignored %1 from the browser").arg(why));
        return;
    }
    QString head = message.category;
    if (message.fieldCount > 1)
        head += QLatin1Char(':') + message.subcommand;
    emit warning(QStringLiteral("ignored message \"%1\": %2").arg(head.left(80), why));
}

void HostSession::onButton(const QString &name, const QUrl &page)
{
    emit note(QStringLiteral("button: ") + name);
    // The browser only reports these clicks; carrying them out is ours. It
    // names the page the user is on (we ask for that in sendStartup()); a
    // browser that does not falls back to the page we showed last.
    const QUrl target = page.isEmpty() ? lastShown : page;
    if (target.isEmpty())
        return;
    if (name == feedback::kRefresh) {
        showUrl(target);
    } else if (name == feedback::kStoreToVell) {
        onCollect(target);
    } else if (name == feedback::kShare) {
        onShare(target);
    } else if (name == feedback::kOpenOutside) {
        if (!openUrl(target))
            tell(QStringLiteral("Could not open %1 in a web browser: none is set up on this desktop").arg(target.toDisplayString()));
    }
}

void HostSession::onCollect(const QUrl &page)
{
    const QString url = page.toString(QUrl::FullyEncoded);
    if (store->collect(url)) {
        emit note(QStringLiteral("collected ") + url);
        tell(QStringLiteral("Added to your collection: %1").arg(page.toDisplayString()));
    } else {
        tell(QStringLiteral("Already in your collection: %1").arg(page.toDisplayString()));
    }
}

void HostSession::onShare(const QUrl &page)
{
    // Without a chat to share into, the link goes where the user can paste it.
    const QString url = page.toString(QUrl::FullyEncoded);
    if (clipboard(url)) {
        tell(QStringLiteral("Link copied - paste it to share: %1").arg(page.toDisplayString()));
    } else {
        emit warning(QStringLiteral("share: no clipboard to put %1 on").arg(url));
        tell(QStringLiteral("Could not copy the link: there is no clipboard on this desktop"));
    }
}

void HostSession::onCurrentUserInfo(const QString &key)
{
    link->answerCurrentUserInfo(key, userInfo(settings.userName));
}

void HostSession::onGetFileList(const QString &key)
{
    QJsonArray data;
    for (const QJsonObject &record : store->records())
        data.append(HostStore::answerRecord(record));
    link->answerFileList(key, data);
}

void HostSession::onGetDownloadOffset(const QString &key, const QStringList &fileKeys)
{
    static const QStringList progress = {field::kKey, field::kDownloadOffset, field::kFileSize,
                                         field::kStatus, field::kUpdateTime, field::kFileExists};
    QJsonArray data;
    for (const QString &fileKey : fileKeys) {
        const QJsonObject record = store->record(fileKey);
        if (record.isEmpty())
            continue;
        const QJsonObject full = HostStore::answerRecord(record);
        QJsonObject part;
        for (const QString &member : progress)
            part.insert(member, full.value(member));
        data.append(part);
    }
    link->answerDownloadOffset(key, data);
}

void HostSession::onPermission(const QString &key, const QString &origin, const QStringList &features)
{
    // The demo shares the screen with its own site only; a real host would
    // ask its user, or know which sites may.
    const QUrl site = settings.pageUrl.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
    const bool allow = !origin.isEmpty() && origin == site.toString();
    emit note(QStringLiteral("%1 %2 for %3").arg(allow ? QStringLiteral("allowed") : QStringLiteral("denied"),
                                                 features.join(QLatin1Char(',')), origin));
    link->answerPermission(key, allow);
}

void HostSession::onStartDownload(const QString &key, const QUrl &url, const QString &requestedName)
{
    QString info;
    if (url.isEmpty()) {
        emit warning(QStringLiteral("startDownload without an address"));
        info = QStringLiteral("Nothing to download: the page gave no address");
    } else {
        const QString fileKey = downloader->start(requestedName, url);
        const QJsonObject record = store->record(fileKey);
        const QString name = shortName(record.value(field::kName).toString());
        if (record.value(field::kStatus).toInt() == HostStore::StatusFailed)
            info = QStringLiteral("Could not download %1 - see Download History").arg(name);
        else
            info = QStringLiteral("Downloading %1 - see Download History").arg(name);
    }
    link->answerStartDownload(key, info);
}

void HostSession::onRestartDownload(const QString &key, const QString &fileKey)
{
    if (!downloader->restart(fileKey))
        emit warning(QStringLiteral("restartDownload: no download %1 in the history").arg(fileKey));
    link->answerRestartDownload(key, fileKey);
}

void HostSession::onRemoveHistory(const QString &key, const QString &fileKey)
{
    // A download that is still running has nothing worth keeping.
    downloader->cancel(fileKey);
    const QString name = store->record(fileKey).value(field::kName).toString();
    if (store->remove(fileKey))
        emit note(QStringLiteral("removed %1 from the download history").arg(name));
    link->answerRemoveHistory(key, fileKey);
}

void HostSession::onRemoveAllHistory(const QString &key)
{
    downloader->cancelAll();
    store->clear();
    emit note(QStringLiteral("cleared the download history"));
    link->answerRemoveAllHistory(key);
}

void HostSession::onOpenFileFolder(const QString &fileKey)
{
    const QString path = store->record(fileKey).value(QStringLiteral("path")).toString();
    const QString folder = path.isEmpty() ? downloader->downloadDir() : QFileInfo(path).absolutePath();
    if (!QDir(folder).exists()) {
        emit warning(QStringLiteral("cannot open folder %1: it does not exist").arg(folder));
        tell(QStringLiteral("The folder %1 does not exist any more").arg(folder));
        return;
    }
    emit note(QStringLiteral("opening folder ") + folder);
    if (!openUrl(QUrl::fromLocalFile(folder)))
        tell(QStringLiteral("Could not open %1: no file manager is set up on this desktop").arg(folder));
}

void HostSession::onSavePosition(const QString &text)
{
    store->setPosition(text);
    emit note(QStringLiteral("window position: ") + text);
    emit positionSaved(text);
}

bool HostSession::openUrl(const QUrl &url)
{
    if (url.isValid() && urlOpener(url))
        return true;
    emit warning(QStringLiteral("could not open %1").arg(url.toDisplayString()));
    return false;
}
