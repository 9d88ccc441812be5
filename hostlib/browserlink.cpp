#include "hostlib/browserlink.h"

#include <QJsonDocument>
#include <QRegularExpression>

namespace ChannelWebBrowser {

namespace {

const QString kConfig = QStringLiteral("config");
const QString kEvent = QStringLiteral("event");
const QString kFeedback = QStringLiteral("feedback");
const QString kWebfile = QStringLiteral("webfile");
const QString kIQ = QStringLiteral("iq");
const QString kKey = QStringLiteral("key");
const QString kFileKey = QStringLiteral("fileKey");
const QString kInfo = QStringLiteral("info");
const QString kData = QStringLiteral("data");

// A payload that is not a JSON object reads as an empty one, which then
// lacks the key every request needs.
QJsonObject jsonObject(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

QString word(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

QString numberList(std::initializer_list<int> numbers)
{
    QStringList pieces;
    for (int n : numbers)
        pieces << QString::number(n);
    return pieces.join(QLatin1Char(','));
}

QJsonArray recordArray(const QList<DownloadRecord> &records, QJsonObject (DownloadRecord::*member)() const)
{
    QJsonArray array;
    for (const DownloadRecord &record : records)
        array.append((record.*member)());
    return array;
}

}

BrowserLink::BrowserLink(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<HostMessage>();
}

void BrowserLink::sendBytes(const QString &category, const QString &subcommand, const QByteArray &payload)
{
    emit outgoing(HostFramer::encodeBytes(category, subcommand, payload));
}

void BrowserLink::send(const QString &category, const QString &subcommand, const QString &payload)
{
    sendBytes(category, subcommand, payload.toUtf8());
}

void BrowserLink::sendJson(const QString &category, const QString &subcommand, const QJsonObject &object)
{
    // Compact, members in name order: the form the browser itself writes.
    sendBytes(category, subcommand, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void BrowserLink::sendConfig(const QString &key, const QByteArray &value)
{
    sendBytes(kConfig, key, value);
}

void BrowserLink::setTitle(const QString &text) { send(kConfig, QStringLiteral("title"), text); }
void BrowserLink::setRefreshText(const QString &text) { send(kConfig, QStringLiteral("refreshText"), text); }
void BrowserLink::setCollectText(const QString &text) { send(kConfig, QStringLiteral("collectText"), text); }
void BrowserLink::setShareText(const QString &text) { send(kConfig, QStringLiteral("shareText"), text); }
void BrowserLink::setChannelText(const QString &text) { send(kConfig, QStringLiteral("channelText"), text); }
void BrowserLink::setOpenoutsideText(const QString &text) { send(kConfig, QStringLiteral("openoutsideText"), text); }
void BrowserLink::setWebFileText(const QString &text) { send(kConfig, QStringLiteral("webFileText"), text); }
void BrowserLink::setWebFileEmptyText(const QString &text) { send(kConfig, QStringLiteral("webFileEmptyText"), text); }
void BrowserLink::setWebFileLoadingText(const QString &text) { send(kConfig, QStringLiteral("webFileLoadingText"), text); }
void BrowserLink::setWebFileSuccessText(const QString &text) { send(kConfig, QStringLiteral("webFileSuccessText"), text); }
void BrowserLink::setWebFileFailedText(const QString &text) { send(kConfig, QStringLiteral("webFileFailedText"), text); }
void BrowserLink::setWebFileOpenInFolderText(const QString &text) { send(kConfig, QStringLiteral("webFileOpenInFolderText"), text); }
void BrowserLink::setWebFileBackText(const QString &text) { send(kConfig, QStringLiteral("webFileBackText"), text); }
void BrowserLink::setWebFileRedownloadText(const QString &text) { send(kConfig, QStringLiteral("webFileRedownloadText"), text); }
void BrowserLink::setWebFileMissedText(const QString &text) { send(kConfig, QStringLiteral("webFileMissedText"), text); }
void BrowserLink::setWebFileRemoveAllText(const QString &text) { send(kConfig, QStringLiteral("webFileRemoveAllText"), text); }
void BrowserLink::setWebFileRemoveTipsText(const QString &text) { send(kConfig, QStringLiteral("webFileRemoveTipsText"), text); }
void BrowserLink::setWebFileRemoveAllTipsText(const QString &text) { send(kConfig, QStringLiteral("webFileRemoveAllTipsText"), text); }
void BrowserLink::setInfoBoxOk(const QString &text) { send(kConfig, QStringLiteral("infoBoxOk"), text); }
void BrowserLink::setInfoBoxCancel(const QString &text) { send(kConfig, QStringLiteral("infoBoxCancel"), text); }
void BrowserLink::setInfoBoxDelete(const QString &text) { send(kConfig, QStringLiteral("infoBoxDelete"), text); }
void BrowserLink::setInfoBoxClean(const QString &text) { send(kConfig, QStringLiteral("infoBoxClean"), text); }

void BrowserLink::setTitleHeight(int pixels) { send(kConfig, QStringLiteral("titleHeight"), QString::number(pixels)); }
void BrowserLink::setTitleLeft(int pixels) { send(kConfig, QStringLiteral("titleLeft"), QString::number(pixels)); }
void BrowserLink::setTitleRight(int pixels) { send(kConfig, QStringLiteral("titleRight"), QString::number(pixels)); }
void BrowserLink::setTitleSkip(int pixels) { send(kConfig, QStringLiteral("titleSkip"), QString::number(pixels)); }
void BrowserLink::setMiniWidth(int pixels) { send(kConfig, QStringLiteral("miniWidth"), QString::number(pixels)); }

void BrowserLink::setInfoBoxSize(const QSize &size)
{
    send(kConfig, QStringLiteral("infoBoxSize"), numberList({size.width(), size.height()}));
}

void BrowserLink::setInfoBoxMargin(const QMargins &margins)
{
    send(kConfig, QStringLiteral("infoBoxMargin"), numberList({margins.left(), margins.top(), margins.right(), margins.bottom()}));
}

void BrowserLink::setWindowsRect(const QRect &rect, bool maximized)
{
    setWindowsRect(numberList({rect.x(), rect.y(), rect.width(), rect.height(), maximized ? 1 : 0}));
}

void BrowserLink::setWindowsRect(const QString &position)
{
    send(kConfig, QStringLiteral("windowsRect"), position);
}

void BrowserLink::setTitleBackgroundColor(int red, int green, int blue, int alpha)
{
    send(kConfig, QStringLiteral("titleBackgroundColor"), numberList({red, green, blue, alpha}));
}

void BrowserLink::setShadowColor(int red, int green, int blue, int alpha)
{
    send(kConfig, QStringLiteral("shadowColor"), numberList({red, green, blue, alpha}));
}

void BrowserLink::setContainerBackgroundColor(quint32 rgb)
{
    send(kConfig, QStringLiteral("containerBackgroundColor"), QString::number(rgb & 0xffffffu));
}

void BrowserLink::setIcon(const QByteArray &imageFile) { sendConfig(QStringLiteral("Icon"), imageFile); }
void BrowserLink::setTitleLogoData(const QByteArray &imageFile) { sendConfig(QStringLiteral("titleLogoData"), imageFile); }
void BrowserLink::setTitleMinisizeIconData(const QByteArray &imageFile) { sendConfig(QStringLiteral("titleMinisizeIconData"), imageFile); }
void BrowserLink::setTitleMaxsizeIconData(const QByteArray &imageFile) { sendConfig(QStringLiteral("titleMaxsizeIconData"), imageFile); }
void BrowserLink::setTitleRestoreIconData(const QByteArray &imageFile) { sendConfig(QStringLiteral("titleRestoreIconData"), imageFile); }
void BrowserLink::setTitleCloseIconData(const QByteArray &imageFile) { sendConfig(QStringLiteral("titleCloseIconData"), imageFile); }

void BrowserLink::setAccessToken(const QString &token) { send(kConfig, QStringLiteral("accessToken"), token); }
void BrowserLink::setAccessTokenHosts(const QStringList &hosts) { send(kConfig, QStringLiteral("accessTokenHosts"), hosts.join(QLatin1Char(','))); }
void BrowserLink::setStrictCertificates(bool strict) { send(kConfig, QStringLiteral("strictCertificates"), strict ? QStringLiteral("1") : QStringLiteral("0")); }
void BrowserLink::setBridgeOrigins(const QStringList &origins) { send(kConfig, QStringLiteral("bridgeOrigins"), origins.join(QLatin1Char(','))); }
void BrowserLink::setExternalSchemes(const QStringList &schemes) { send(kConfig, QStringLiteral("externalSchemes"), schemes.join(QLatin1Char(','))); }

void BrowserLink::showUrl(const QUrl &url) { send(kEvent, QStringLiteral("showUrl"), url.toString(QUrl::FullyEncoded)); }
void BrowserLink::active() { send(kEvent, QStringLiteral("active"), QString()); }
void BrowserLink::updateOpenOutside(bool shown) { send(kEvent, QStringLiteral("updateOpenOutside"), word(shown)); }
void BrowserLink::updateCheckChannel(bool shown) { send(kEvent, QStringLiteral("updateCheckChannel"), word(shown)); }
void BrowserLink::updateStoreToVell(bool shown) { send(kEvent, QStringLiteral("updateStoreToVell"), word(shown)); }
void BrowserLink::updateShareToFriend(bool shown) { send(kEvent, QStringLiteral("updateShareToFriend"), word(shown)); }
void BrowserLink::showBoxMessage(const QString &text) { send(kEvent, QStringLiteral("showBoxMessage"), text); }

void BrowserLink::answerCurrentUserInfo(const QString &key, const QString &info)
{
    sendJson(kIQ, QStringLiteral("currentuserinfoRes"), {{kInfo, info}, {kKey, key}});
}

void BrowserLink::answerFileList(const QString &key, const QList<DownloadRecord> &records)
{
    answerFileList(key, recordArray(records, &DownloadRecord::toJson));
}

void BrowserLink::answerFileList(const QString &key, const QJsonArray &records)
{
    sendJson(kWebfile, QStringLiteral("getFileListRes"), {{kData, records}, {kKey, key}});
}

void BrowserLink::answerDownloadOffset(const QString &key, const QList<DownloadRecord> &records)
{
    answerDownloadOffset(key, recordArray(records, &DownloadRecord::progressJson));
}

void BrowserLink::answerDownloadOffset(const QString &key, const QJsonArray &records)
{
    sendJson(kWebfile, QStringLiteral("getDownloadOffsetRes"), {{kData, records}, {kKey, key}});
}

void BrowserLink::answerStartDownload(const QString &key, const QString &info)
{
    sendJson(kWebfile, QStringLiteral("startDownloadRes"), {{kInfo, info}, {kKey, key}});
}

void BrowserLink::answerRestartDownload(const QString &key, const QString &fileKey)
{
    sendJson(kWebfile, QStringLiteral("restartDownloadRes"), {{kFileKey, fileKey}, {kKey, key}});
}

void BrowserLink::answerRemoveHistory(const QString &key, const QString &fileKey)
{
    sendJson(kWebfile, QStringLiteral("removeHistoryRes"), {{kFileKey, fileKey}, {kKey, key}});
}

void BrowserLink::answerRemoveAllHistory(const QString &key)
{
    sendJson(kWebfile, QStringLiteral("removeAllHistoryRes"), {{kKey, key}});
}

void BrowserLink::receive(const QByteArray &bytes)
{
    const QList<HostMessage> messages = framer.feed(bytes);
    if (framer.discarded() != discardedSeen) {
        emit messageIgnored(HostMessage(), QStringLiteral("%1 bytes without a ';'").arg(framer.discarded() - discardedSeen));
        discardedSeen = framer.discarded();
    }
    for (const HostMessage &message : messages) {
        emit messageReceived(message);
        dispatch(message);
    }
}

void BrowserLink::dispatch(const HostMessage &message)
{
    if (message.fieldCount < 3) {
        emit messageIgnored(message, QStringLiteral("fewer than three fields"));
        return;
    }
    if (message.category == kFeedback) {
        dispatchFeedback(message);
    } else if (message.category == kWebfile) {
        dispatchWebfile(message);
    } else if (message.category == kIQ && message.subcommand == QLatin1String("currentuserinfo")) {
        const QString key = QString::fromUtf8(message.payload).trimmed();
        if (key.isEmpty())
            emit messageIgnored(message, QStringLiteral("no request key"));
        else
            emit currentUserInfoRequested(key);
    } else {
        emit messageIgnored(message, QStringLiteral("unknown message"));
    }
}

void BrowserLink::dispatchFeedback(const HostMessage &message)
{
    const QString &sub = message.subcommand;
    const QString text = QString::fromUtf8(message.payload);
    if (sub == QLatin1String("refresh")) {
        emit refreshClicked();
    } else if (sub == QLatin1String("storeToVell")) {
        emit collectClicked();
    } else if (sub == QLatin1String("share")) {
        emit shareClicked();
    } else if (sub == QLatin1String("channel")) {
        emit channelClicked();
    } else if (sub == QLatin1String("openOutside")) {
        emit openOutsideClicked();
    } else if (sub == QLatin1String("receiveLog")) {
        emit logReceived(text);
    } else if (sub == QLatin1String("gotoChannel")) {
        if (text.isEmpty())
            emit messageIgnored(message, QStringLiteral("no channel"));
        else
            emit gotoChannelRequested(text);
    } else if (sub == QLatin1String("savePosition")) {
        // x,y,width,height and the maximized flag; anything else would go back
        // to the browser as a broken window rectangle on the next start.
        static const QRegularExpression form(QStringLiteral("^(-?\\d+),(-?\\d+),(\\d+),(\\d+)(?:,(-?\\d+))?$"));
        const QString position = text.trimmed();
        const QRegularExpressionMatch match = form.match(position);
        if (!match.hasMatch()) {
            emit messageIgnored(message, QStringLiteral("not a window position"));
            return;
        }
        const QRect rect(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(), match.captured(4).toInt());
        emit positionSaved(position, rect, match.captured(5) == QLatin1String("1"));
    } else {
        emit messageIgnored(message, QStringLiteral("unknown message"));
    }
}

void BrowserLink::dispatchWebfile(const HostMessage &message)
{
    const QString &sub = message.subcommand;
    if (sub == QLatin1String("getFileList") || sub == QLatin1String("openFileFolder")) {
        // Plain text payloads: the request key, or the file key.
        const QString key = QString::fromUtf8(message.payload).trimmed();
        if (key.isEmpty())
            emit messageIgnored(message, sub == QLatin1String("getFileList") ? QStringLiteral("no request key") : QStringLiteral("no file key"));
        else if (sub == QLatin1String("getFileList"))
            emit fileListRequested(key);
        else
            emit openFileFolderRequested(key);
        return;
    }
    static const QStringList jsonRequests = {QStringLiteral("getDownloadOffset"), QStringLiteral("startDownload"),
                                             QStringLiteral("restartDownload"), QStringLiteral("removeHistory"),
                                             QStringLiteral("removeAllHistory")};
    if (!jsonRequests.contains(sub)) {
        emit messageIgnored(message, QStringLiteral("unknown message"));
        return;
    }
    const QJsonObject request = jsonObject(message.payload);
    const QString key = request.value(kKey).toString();
    const QString fileKey = request.value(kFileKey).toString();
    const bool needsFileKey = sub == QLatin1String("restartDownload") || sub == QLatin1String("removeHistory");
    if (key.isEmpty() || (needsFileKey && fileKey.isEmpty())) {
        emit messageIgnored(message, needsFileKey ? QStringLiteral("no request key or file key") : QStringLiteral("no request key"));
        return;
    }
    if (sub == QLatin1String("getDownloadOffset")) {
        QStringList fileKeys;
        for (const QJsonValue &value : request.value(QStringLiteral("fileList")).toArray())
            if (!value.toString().isEmpty())
                fileKeys << value.toString();
        emit downloadOffsetRequested(key, fileKeys);
    } else if (sub == QLatin1String("startDownload")) {
        emit startDownloadRequested(key, QUrl(request.value(QStringLiteral("url")).toString()), request.value(QStringLiteral("name")).toString());
    } else if (sub == QLatin1String("restartDownload")) {
        emit restartDownloadRequested(key, fileKey);
    } else if (sub == QLatin1String("removeHistory")) {
        emit removeHistoryRequested(key, fileKey);
    } else {
        emit removeAllHistoryRequested(key);
    }
}

}
