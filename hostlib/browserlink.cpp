// SPDX-License-Identifier: Apache-2.0
#include "hostlib/browserlink.h"

#include "wire/vocabulary.h"

#include <QJsonDocument>
#include <QRegularExpression>

namespace ChannelWebBrowser {

namespace {

using wire::kConfig;
using wire::kEvent;
using wire::kFeedback;
using wire::kWebfile;
using wire::kIQ;
using wire::field::kKey;
using wire::field::kFileKey;
using wire::field::kInfo;
using wire::field::kData;
namespace config = wire::config;
namespace event = wire::event;
namespace feedback = wire::feedback;
namespace webfile = wire::webfile;

// A payload that is not a JSON object reads as an empty one, which then
// lacks the key every request needs.
QJsonObject jsonObject(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

QString word(bool on)
{
    return on ? wire::kTrue : wire::kFalse;
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

class BrowserLink::Private
{
public:
    HostFramer framer;
    qint64 discardedSeen = 0;
};

BrowserLink::BrowserLink(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    qRegisterMetaType<HostMessage>();
}

BrowserLink::~BrowserLink() = default;

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

namespace {
QString encoded(const QString &text) { return text; }
QString encoded(int number) { return QString::number(number); }
QString encoded(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
QString encoded(const QStringList &items) { return items.join(QLatin1Char(',')); }
}

// One setter per key of wire/configlist.h whose value has a plain form.
#define CWB_LINK_DEFINE(Name, key, Kind, ...) CWB_LINK_SETTER_##Kind( \
    void BrowserLink::set##Name(CWB_LINK_VALUE_##Kind value) { CWB_LINK_SEND_##Kind(config::k##Name, value); })
#define CWB_LINK_SEND_Text(key, value) send(kConfig, key, encoded(value))
#define CWB_LINK_SEND_Token CWB_LINK_SEND_Text
#define CWB_LINK_SEND_Number CWB_LINK_SEND_Text
#define CWB_LINK_SEND_SwitchOn CWB_LINK_SEND_Text
#define CWB_LINK_SEND_SwitchOff CWB_LINK_SEND_Text
#define CWB_LINK_SEND_HostList CWB_LINK_SEND_Text
#define CWB_LINK_SEND_OriginList CWB_LINK_SEND_Text
#define CWB_LINK_SEND_PolicyList CWB_LINK_SEND_Text
#define CWB_LINK_SEND_SchemeList CWB_LINK_SEND_Text
#define CWB_LINK_SEND_Picture(key, value) sendConfig(key, value)
CWB_CONFIG_KEYS(CWB_LINK_DEFINE)
#undef CWB_LINK_DEFINE

void BrowserLink::setInfoBoxSize(const QSize &size)
{
    send(kConfig, config::kInfoBoxSize, numberList({size.width(), size.height()}));
}

void BrowserLink::setInfoBoxMargin(const QMargins &margins)
{
    send(kConfig, config::kInfoBoxMargin, numberList({margins.left(), margins.top(), margins.right(), margins.bottom()}));
}

void BrowserLink::setWindowsRect(const QRect &rect, bool maximized)
{
    setWindowsRect(numberList({rect.x(), rect.y(), rect.width(), rect.height(), maximized ? 1 : 0}));
}

void BrowserLink::setWindowsRect(const QString &position)
{
    send(kConfig, config::kWindowsRect, position);
}

void BrowserLink::setTitleBackgroundColor(int red, int green, int blue, int alpha)
{
    send(kConfig, config::kTitleBackgroundColor, numberList({red, green, blue, alpha}));
}

void BrowserLink::setShadowColor(int red, int green, int blue, int alpha)
{
    send(kConfig, config::kShadowColor, numberList({red, green, blue, alpha}));
}

void BrowserLink::setTitleTextColor(int red, int green, int blue, int alpha)
{
    send(kConfig, config::kTitleTextColor, numberList({red, green, blue, alpha}));
}

void BrowserLink::setTitleTextHoverColor(int red, int green, int blue, int alpha)
{
    send(kConfig, config::kTitleTextHoverColor, numberList({red, green, blue, alpha}));
}

void BrowserLink::setContainerBackgroundColor(quint32 rgb)
{
    send(kConfig, config::kContainerBackgroundColor, QString::number(rgb & 0xffffffu));
}

void BrowserLink::showUrl(const QUrl &url) { send(kEvent, event::kShowUrl, url.toString(QUrl::FullyEncoded)); }
void BrowserLink::active() { send(kEvent, event::kActive, QString()); }
void BrowserLink::updateOpenOutside(bool shown) { send(kEvent, event::kUpdateOpenOutside, word(shown)); }
void BrowserLink::updateCheckChannel(bool shown) { send(kEvent, event::kUpdateCheckChannel, word(shown)); }
void BrowserLink::updateStoreToVell(bool shown) { send(kEvent, event::kUpdateStoreToVell, word(shown)); }
void BrowserLink::updateShareToFriend(bool shown) { send(kEvent, event::kUpdateShareToFriend, word(shown)); }
void BrowserLink::showBoxMessage(const QString &text) { send(kEvent, event::kShowBoxMessage, text); }
void BrowserLink::postToPage(const QString &text) { send(kEvent, event::kPostToPage, text); }

void BrowserLink::answerCurrentUserInfo(const QString &key, const QString &info)
{
    sendJson(kIQ, wire::iq::kCurrentUserInfoRes, {{kInfo, info}, {kKey, key}});
}

void BrowserLink::answerPermission(const QString &key, bool allow)
{
    sendJson(kIQ, wire::iq::kPermissionRes,
             {{wire::field::kAnswer, allow ? wire::field::kAllow : wire::field::kDeny}, {kKey, key}});
}

void BrowserLink::answerFileList(const QString &key, const QList<DownloadRecord> &records)
{
    answerFileList(key, recordArray(records, &DownloadRecord::toJson));
}

void BrowserLink::answerFileList(const QString &key, const QJsonArray &records)
{
    sendJson(kWebfile, webfile::kGetFileListRes, {{kData, records}, {kKey, key}});
}

void BrowserLink::answerDownloadOffset(const QString &key, const QList<DownloadRecord> &records)
{
    answerDownloadOffset(key, recordArray(records, &DownloadRecord::progressJson));
}

void BrowserLink::answerDownloadOffset(const QString &key, const QJsonArray &records)
{
    sendJson(kWebfile, webfile::kGetDownloadOffsetRes, {{kData, records}, {kKey, key}});
}

void BrowserLink::answerStartDownload(const QString &key, const QString &info)
{
    sendJson(kWebfile, webfile::kStartDownloadRes, {{kInfo, info}, {kKey, key}});
}

void BrowserLink::answerRestartDownload(const QString &key, const QString &fileKey)
{
    sendJson(kWebfile, webfile::kRestartDownloadRes, {{kFileKey, fileKey}, {kKey, key}});
}

void BrowserLink::answerRemoveHistory(const QString &key, const QString &fileKey)
{
    sendJson(kWebfile, webfile::kRemoveHistoryRes, {{kFileKey, fileKey}, {kKey, key}});
}

void BrowserLink::answerRemoveAllHistory(const QString &key)
{
    sendJson(kWebfile, webfile::kRemoveAllHistoryRes, {{kKey, key}});
}

void BrowserLink::receive(const QByteArray &bytes)
{
    const QList<HostMessage> messages = d->framer.feed(bytes);
    if (d->framer.discarded() != d->discardedSeen) {
        emit messageIgnored(HostMessage(), QStringLiteral("%1 bytes without a ';'").arg(d->framer.discarded() - d->discardedSeen));
        d->discardedSeen = d->framer.discarded();
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
    } else if (message.category == kIQ && message.subcommand == wire::iq::kPermission) {
        const QJsonObject request = QJsonDocument::fromJson(message.payload).object();
        const QString key = request.value(wire::field::kKey).toString();
        if (key.isEmpty())
            emit messageIgnored(message, QStringLiteral("no request key"));
        else
            emit permissionRequested(key, request.value(wire::field::kOrigin).toString(),
                                     request.value(wire::field::kFeature).toString().split(QLatin1Char(','), Qt::SkipEmptyParts));
    } else if (message.category == kIQ && message.subcommand == wire::iq::kCurrentUserInfo) {
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
    // The page a title button was pressed on, when the browser reports pages.
    const QUrl page(text.trimmed(), QUrl::StrictMode);
    if (sub == feedback::kRefresh) {
        emit refreshClicked(page);
    } else if (sub == feedback::kStoreToVell) {
        emit collectClicked(page);
    } else if (sub == feedback::kShare) {
        emit shareClicked(page);
    } else if (sub == feedback::kChannel) {
        emit channelClicked(page);
    } else if (sub == feedback::kOpenOutside) {
        emit openOutsideClicked(page);
    } else if (sub == feedback::kNavigated || sub == feedback::kLoadFinished) {
        const QJsonObject report = jsonObject(message.payload);
        const QUrl url(report.value(wire::field::kUrl).toString(), QUrl::StrictMode);
        const QJsonValue ok = report.value(wire::field::kOk);
        if (url.isEmpty() || !url.isValid())
            emit messageIgnored(message, QStringLiteral("no page address"));
        else if (sub == feedback::kNavigated)
            emit navigated(url, report.value(wire::field::kTitle).toString());
        else if (!ok.isBool())
            emit messageIgnored(message, QStringLiteral("no load outcome"));
        else
            emit loadFinished(url, ok.toBool());
    } else if (sub == feedback::kReceiveLog) {
        emit logReceived(text);
    } else if (sub == feedback::kGotoChannel) {
        if (text.isEmpty())
            emit messageIgnored(message, QStringLiteral("no channel"));
        else
            emit gotoChannelRequested(text);
    } else if (sub == feedback::kSavePosition) {
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
    if (sub == webfile::kGetFileList || sub == webfile::kOpenFileFolder) {
        // Plain text payloads: the request key, or the file key.
        const QString key = QString::fromUtf8(message.payload).trimmed();
        if (key.isEmpty())
            emit messageIgnored(message, sub == webfile::kGetFileList ? QStringLiteral("no request key") : QStringLiteral("no file key"));
        else if (sub == webfile::kGetFileList)
            emit fileListRequested(key);
        else
            emit openFileFolderRequested(key);
        return;
    }
    static const QStringList jsonRequests = {webfile::kGetDownloadOffset, webfile::kStartDownload,
                                             webfile::kRestartDownload, webfile::kRemoveHistory,
                                             webfile::kRemoveAllHistory};
    if (!jsonRequests.contains(sub)) {
        emit messageIgnored(message, QStringLiteral("unknown message"));
        return;
    }
    const QJsonObject request = jsonObject(message.payload);
    const QString key = request.value(kKey).toString();
    const QString fileKey = request.value(kFileKey).toString();
    const bool needsFileKey = sub == webfile::kRestartDownload || sub == webfile::kRemoveHistory;
    if (key.isEmpty() || (needsFileKey && fileKey.isEmpty())) {
        emit messageIgnored(message, needsFileKey ? QStringLiteral("no request key or file key") : QStringLiteral("no request key"));
        return;
    }
    if (sub == webfile::kGetDownloadOffset) {
        QStringList fileKeys;
        for (const QJsonValue &value : request.value(wire::field::kFileList).toArray())
            if (!value.toString().isEmpty())
                fileKeys << value.toString();
        emit downloadOffsetRequested(key, fileKeys);
    } else if (sub == webfile::kStartDownload) {
        emit startDownloadRequested(key, QUrl(request.value(wire::field::kUrl).toString()), request.value(wire::field::kName).toString());
    } else if (sub == webfile::kRestartDownload) {
        emit restartDownloadRequested(key, fileKey);
    } else if (sub == webfile::kRemoveHistory) {
        emit removeHistoryRequested(key, fileKey);
    } else {
        emit removeAllHistoryRequested(key);
    }
}

}
