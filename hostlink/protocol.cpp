#include "hostlink/protocol.h"

#include <QUuid>

namespace protocol {

const QString kSeparator = QStringLiteral(";");

const QString kConfig = QStringLiteral("config");
const QString kEvent = QStringLiteral("event");
const QString kFeedback = QStringLiteral("feedback");
const QString kWebfile = QStringLiteral("webfile");
const QString kIQ = QStringLiteral("iq");

const QString kActive = QStringLiteral("active");
const QString kShowUrl = QStringLiteral("showUrl");
const QString kUpdateOpenOutside = QStringLiteral("updateOpenOutside");
const QString kUpdateCheckChannel = QStringLiteral("updateCheckChannel");
const QString kUpdateStoreToVell = QStringLiteral("updateStoreToVell");
const QString kUpdateShareToFriend = QStringLiteral("updateShareToFriend");
const QString kShowBoxMessage = QStringLiteral("showBoxMessage");

const QString kStoreToVell = QStringLiteral("storeToVell");
const QString kShare = QStringLiteral("share");
const QString kChannel = QStringLiteral("channel");
const QString kRefresh = QStringLiteral("refresh");
const QString kSavePosition = QStringLiteral("savePosition");
const QString kOpenOutside = QStringLiteral("openOutside");
const QString kGotoChannel = QStringLiteral("gotoChannel");
const QString kReceiveLog = QStringLiteral("receiveLog");

const QString kGetFileListRes = QStringLiteral("getFileListRes");
const QString kGetDownloadOffsetRes = QStringLiteral("getDownloadOffsetRes");
const QString kStartDownloadRes = QStringLiteral("startDownloadRes");
const QString kRestartDownloadRes = QStringLiteral("restartDownloadRes");
const QString kRemoveHistoryRes = QStringLiteral("removeHistoryRes");
const QString kRemoveAllHistoryRes = QStringLiteral("removeAllHistoryRes");
const QString kGetFileList = QStringLiteral("getFileList");
const QString kGetDownloadOffset = QStringLiteral("getDownloadOffset");
const QString kOpenFileFolder = QStringLiteral("openFileFolder");
const QString kStartDownload = QStringLiteral("startDownload");
const QString kRestartDownload = QStringLiteral("restartDownload");
const QString kRemoveHistory = QStringLiteral("removeHistory");
const QString kRemoveAllHistory = QStringLiteral("removeAllHistory");

const QString kCurrentUserInfoRes = QStringLiteral("currentuserinfoRes");
const QString kCurrentUserInfo = QStringLiteral("currentuserinfo");

QByteArray encodeMessage(const QString &category, const QString &subcommand, const QString &payload)
{
    const QString text = category + QLatin1Char(':') + subcommand + QLatin1Char(':')
        + QString::fromLatin1(payload.toUtf8().toBase64()) + kSeparator;
    return text.toLocal8Bit();
}

QByteArray decodePayload(const QString &field)
{
    // fromBase64 skips characters outside the alphabet, which is the leniency we want.
    return QByteArray::fromBase64(field.toLocal8Bit());
}

bool booleanWord(const QString &text)
{
    return text.trimmed().toLower() == QLatin1String("true");
}

QString newRequestKey()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

}
