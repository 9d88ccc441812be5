#include "host/hostsession.h"

#include "host/hostdownloader.h"
#include "host/hoststore.h"

#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <utility>

static const QString kConfig = QStringLiteral("config");
static const QString kEvent = QStringLiteral("event");
static const QString kFeedback = QStringLiteral("feedback");
static const QString kWebfile = QStringLiteral("webfile");
static const QString kIQ = QStringLiteral("iq");
static const QString kKey = QStringLiteral("key");
static const QString kFileKey = QStringLiteral("fileKey");

// The texts of the window, in the order they are sent.
static const std::pair<const char *, const char *> kTexts[] = {
    {"refreshText", "Refresh"},
    {"collectText", "Collect"},
    {"shareText", "Share"},
    {"channelText", "Channel"},
    {"openoutsideText", "Open Outside"},
    {"webFileText", "Download History"},
    {"webFileEmptyText", "Nothing downloaded yet"},
    {"webFileSuccessText", "Done"},
    {"webFileFailedText", "Failed"},
    {"webFileOpenInFolderText", "Show in folder"},
    {"webFileBackText", "Back"},
    {"webFileRedownloadText", "Download again"},
    {"webFileMissedText", "File was moved or deleted"},
    {"webFileRemoveAllText", "Clean all"},
    {"webFileRemoveTipsText", "Remove this file from the history?"},
    {"webFileRemoveAllTipsText", "Remove all files from the history?"},
    {"infoBoxOk", "OK"},
    {"infoBoxCancel", "Cancel"},
    {"infoBoxDelete", "Remove"},
    {"infoBoxClean", "Clean"},
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

static QJsonObject parseObject(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

HostSession::HostSession(HostStore *store, HostDownloader *downloader, const HostSettings &settings, QObject *parent)
    : QObject(parent)
    , store(store)
    , downloader(downloader)
    , settings(settings)
    , urlOpener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
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

void HostSession::send(const QString &category, const QString &subcommand, const QString &payload)
{
    emit outgoing(HostFramer::encode(category, subcommand, payload));
}

void HostSession::sendStartup()
{
    send(kConfig, QStringLiteral("title"), settings.title);
    send(kConfig, QStringLiteral("accessToken"), settings.accessToken);
    const std::pair<const char *, QString> hardening[] = {
        {"accessTokenHosts", settings.accessTokenHosts},
        {"strictCertificates", settings.strictCertificates},
        {"bridgeOrigins", settings.bridgeOrigins},
    };
    for (const auto &key : hardening)
        if (!key.second.isEmpty())
            send(kConfig, QLatin1String(key.first), key.second);
    for (const auto &text : kTexts)
        send(kConfig, QLatin1String(text.first), QLatin1String(text.second));
    // Darker than the default so the white captions stay readable.
    send(kConfig, QStringLiteral("titleBackgroundColor"), QStringLiteral("38,110,190,255"));
    send(kConfig, QStringLiteral("shadowColor"), QStringLiteral("20,60,110,255"));
    // The box never wraps its message; make room for "Downloading <name> - see ...".
    send(kConfig, QStringLiteral("infoBoxSize"), QStringLiteral("460,110"));
    const QString rect = store->position().isEmpty() ? settings.firstWindowRect : store->position();
    if (!rect.isEmpty())
        send(kConfig, QStringLiteral("windowsRect"), rect);
    const auto flag = [](bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); };
    send(kEvent, QStringLiteral("updateOpenOutside"), flag(settings.showOpenOutside));
    send(kEvent, QStringLiteral("updateCheckChannel"), flag(settings.showChannel));
    send(kEvent, QStringLiteral("updateStoreToVell"), flag(settings.showCollect));
    send(kEvent, QStringLiteral("updateShareToFriend"), flag(settings.showShare));
    showUrl(settings.pageUrl);
}

void HostSession::showUrl(const QUrl &url)
{
    send(kEvent, QStringLiteral("showUrl"), url.toString(QUrl::FullyEncoded));
}

void HostSession::receive(const QByteArray &bytes)
{
    const QList<HostMessage> messages = framer.feed(bytes);
    if (framer.discarded() != discardedSeen) {
        emit warning(QStringLiteral("ignored %1 bytes without a ';' from the browser").arg(framer.discarded() - discardedSeen));
        discardedSeen = framer.discarded();
    }
    for (const HostMessage &message : messages)
        handle(message);
}

void HostSession::ignore(const HostMessage &message, const QString &why)
{
    QString head = message.category;
    if (message.fieldCount > 1)
        head += QLatin1Char(':') + message.subcommand;
    emit warning(QStringLiteral("ignored message \"%1\": %2").arg(head.left(80), why));
}

void HostSession::handle(const HostMessage &message)
{
    if (message.fieldCount < 3) {
        ignore(message, QStringLiteral("fewer than three fields"));
        return;
    }
    const QString text = QString::fromUtf8(message.payload);
    if (message.category == kWebfile)
        onWebfile(message.subcommand, message.payload);
    else if (message.category == kFeedback)
        onFeedback(message.subcommand, text);
    else if (message.category == kIQ && message.subcommand == QLatin1String("currentuserinfo"))
        onCurrentUserInfo(text.trimmed());
    else
        ignore(message, QStringLiteral("unknown message"));
}

void HostSession::onWebfile(const QString &subcommand, const QByteArray &payload)
{
    const QString text = QString::fromUtf8(payload).trimmed();
    if (subcommand == QLatin1String("getFileList"))
        onGetFileList(text);
    else if (subcommand == QLatin1String("getDownloadOffset"))
        onGetDownloadOffset(payload);
    else if (subcommand == QLatin1String("startDownload"))
        onStartDownload(payload);
    else if (subcommand == QLatin1String("restartDownload"))
        onRestartDownload(payload);
    else if (subcommand == QLatin1String("removeHistory"))
        onRemoveHistory(payload);
    else if (subcommand == QLatin1String("removeAllHistory"))
        onRemoveAllHistory(payload);
    else if (subcommand == QLatin1String("openFileFolder"))
        onOpenFileFolder(text);
    else
        ignore({kWebfile, subcommand, payload, 3}, QStringLiteral("unknown message"));
}

void HostSession::onFeedback(const QString &subcommand, const QString &text)
{
    static const QStringList buttons = {QStringLiteral("refresh"), QStringLiteral("storeToVell"), QStringLiteral("share"),
                                        QStringLiteral("channel"), QStringLiteral("openOutside")};
    if (subcommand == QLatin1String("receiveLog")) {
        emit note(QStringLiteral("browser log: ") + text);
    } else if (subcommand == QLatin1String("savePosition")) {
        onSavePosition(text.trimmed());
    } else if (subcommand == QLatin1String("gotoChannel")) {
        emit note(QStringLiteral("button: gotoChannel ") + text);
    } else if (buttons.contains(subcommand)) {
        emit note(QStringLiteral("button: ") + subcommand);
        if (subcommand == QLatin1String("openOutside"))
            openUrl(settings.pageUrl);
    } else {
        ignore({kFeedback, subcommand, text.toUtf8(), 3}, QStringLiteral("unknown message"));
    }
}

void HostSession::answer(const QString &subcommand, const QJsonObject &object)
{
    send(subcommand.endsWith(QLatin1String("currentuserinfoRes")) ? kIQ : kWebfile, subcommand, QString::fromUtf8(compact(object)));
}

void HostSession::answerData(const QString &subcommand, const QJsonArray &data, const QString &key)
{
    QJsonObject object;
    object.insert(QStringLiteral("data"), data);
    object.insert(kKey, key);
    answer(subcommand, object);
}

void HostSession::onCurrentUserInfo(const QString &key)
{
    if (key.isEmpty()) {
        ignore({kIQ, QStringLiteral("currentuserinfo"), {}, 3}, QStringLiteral("no request key"));
        return;
    }
    QJsonObject object;
    object.insert(QStringLiteral("info"), userInfo(settings.userName));
    object.insert(kKey, key);
    answer(QStringLiteral("currentuserinfoRes"), object);
}

void HostSession::onGetFileList(const QString &key)
{
    if (key.isEmpty()) {
        ignore({kWebfile, QStringLiteral("getFileList"), {}, 3}, QStringLiteral("no request key"));
        return;
    }
    QJsonArray data;
    for (const QJsonObject &record : store->records())
        data.append(HostStore::answerRecord(record));
    answerData(QStringLiteral("getFileListRes"), data, key);
}

void HostSession::onGetDownloadOffset(const QByteArray &json)
{
    const QJsonObject request = parseObject(json);
    const QString key = request.value(kKey).toString();
    if (key.isEmpty()) {
        ignore({kWebfile, QStringLiteral("getDownloadOffset"), {}, 3}, QStringLiteral("no request key"));
        return;
    }
    static const QStringList progress = {kKey, QStringLiteral("downloadOffset"), QStringLiteral("fileSize"),
                                         QStringLiteral("status"), QStringLiteral("updateTime"), QStringLiteral("fileExists")};
    QJsonArray data;
    for (const QJsonValue &fileKey : request.value(QStringLiteral("fileList")).toArray()) {
        const QJsonObject record = store->record(fileKey.toString());
        if (record.isEmpty())
            continue;
        const QJsonObject full = HostStore::answerRecord(record);
        QJsonObject part;
        for (const QString &member : progress)
            part.insert(member, full.value(member));
        data.append(part);
    }
    answerData(QStringLiteral("getDownloadOffsetRes"), data, key);
}

void HostSession::onStartDownload(const QByteArray &json)
{
    const QJsonObject request = parseObject(json);
    const QString key = request.value(kKey).toString();
    if (key.isEmpty()) {
        ignore({kWebfile, QStringLiteral("startDownload"), {}, 3}, QStringLiteral("no request key"));
        return;
    }
    const QUrl url(request.value(QStringLiteral("url")).toString());
    QString info;
    if (url.isEmpty()) {
        emit warning(QStringLiteral("startDownload without an address"));
        info = QStringLiteral("Nothing to download: the page gave no address");
    } else {
        const QString fileKey = downloader->start(request.value(QStringLiteral("name")).toString(), url);
        const QJsonObject record = store->record(fileKey);
        const QString name = shortName(record.value(QStringLiteral("name")).toString());
        if (record.value(QStringLiteral("status")).toInt() == HostStore::StatusFailed)
            info = QStringLiteral("Could not download %1 - see Download History").arg(name);
        else
            info = QStringLiteral("Downloading %1 - see Download History").arg(name);
    }
    QJsonObject object;
    object.insert(QStringLiteral("info"), info);
    object.insert(kKey, key);
    answer(QStringLiteral("startDownloadRes"), object);
}

void HostSession::onRestartDownload(const QByteArray &json)
{
    const QJsonObject request = parseObject(json);
    const QString key = request.value(kKey).toString();
    const QString fileKey = request.value(kFileKey).toString();
    if (key.isEmpty() || fileKey.isEmpty()) {
        ignore({kWebfile, QStringLiteral("restartDownload"), {}, 3}, QStringLiteral("no request key or file key"));
        return;
    }
    if (!downloader->restart(fileKey))
        emit warning(QStringLiteral("restartDownload: no download %1 in the history").arg(fileKey));
    QJsonObject object;
    object.insert(kFileKey, fileKey);
    object.insert(kKey, key);
    answer(QStringLiteral("restartDownloadRes"), object);
}

void HostSession::onRemoveHistory(const QByteArray &json)
{
    const QJsonObject request = parseObject(json);
    const QString key = request.value(kKey).toString();
    const QString fileKey = request.value(kFileKey).toString();
    if (key.isEmpty() || fileKey.isEmpty()) {
        ignore({kWebfile, QStringLiteral("removeHistory"), {}, 3}, QStringLiteral("no request key or file key"));
        return;
    }
    // A download that is still running has nothing worth keeping.
    downloader->cancel(fileKey);
    const QString name = store->record(fileKey).value(QStringLiteral("name")).toString();
    if (store->remove(fileKey))
        emit note(QStringLiteral("removed %1 from the download history").arg(name));
    QJsonObject object;
    object.insert(kFileKey, fileKey);
    object.insert(kKey, key);
    answer(QStringLiteral("removeHistoryRes"), object);
}

void HostSession::onRemoveAllHistory(const QByteArray &json)
{
    const QString key = parseObject(json).value(kKey).toString();
    if (key.isEmpty()) {
        ignore({kWebfile, QStringLiteral("removeAllHistory"), {}, 3}, QStringLiteral("no request key"));
        return;
    }
    downloader->cancelAll();
    store->clear();
    emit note(QStringLiteral("cleared the download history"));
    QJsonObject object;
    object.insert(kKey, key);
    answer(QStringLiteral("removeAllHistoryRes"), object);
}

void HostSession::onOpenFileFolder(const QString &fileKey)
{
    const QString path = store->record(fileKey).value(QStringLiteral("path")).toString();
    const QString folder = path.isEmpty() ? downloader->downloadDir() : QFileInfo(path).absolutePath();
    if (!QDir(folder).exists()) {
        emit warning(QStringLiteral("cannot open folder %1: it does not exist").arg(folder));
        return;
    }
    emit note(QStringLiteral("opening folder ") + folder);
    openUrl(QUrl::fromLocalFile(folder));
}

void HostSession::onSavePosition(const QString &text)
{
    // x,y,width,height and the maximized flag; anything else would come back
    // to the browser as a broken window rectangle on the next start.
    static const QRegularExpression form(QStringLiteral("^-?\\d+,-?\\d+,\\d+,\\d+(,-?\\d+)?$"));
    if (!form.match(text).hasMatch()) {
        ignore({kFeedback, QStringLiteral("savePosition"), text.toUtf8(), 3}, QStringLiteral("not a window position"));
        return;
    }
    store->setPosition(text);
    emit note(QStringLiteral("window position: ") + text);
    emit positionSaved(text);
}

void HostSession::openUrl(const QUrl &url)
{
    if (!url.isValid() || !urlOpener(url))
        emit warning(QStringLiteral("could not open %1").arg(url.toDisplayString()));
}
