#pragma once

#include <QByteArray>
#include <QString>

// The keywords of the host link, created once before main() runs.
namespace protocol {

extern const QString kSeparator;   // ";"

extern const QString kConfig;
extern const QString kEvent;
extern const QString kFeedback;
extern const QString kWebfile;
extern const QString kIQ;

extern const QString kActive;
extern const QString kShowUrl;
extern const QString kUpdateOpenOutside;
extern const QString kUpdateCheckChannel;
extern const QString kUpdateStoreToVell;
extern const QString kUpdateShareToFriend;
extern const QString kShowBoxMessage;

extern const QString kStoreToVell;
extern const QString kShare;
extern const QString kChannel;
extern const QString kRefresh;
extern const QString kSavePosition;
extern const QString kOpenOutside;
extern const QString kGotoChannel;
extern const QString kReceiveLog;

extern const QString kGetFileListRes;
extern const QString kGetDownloadOffsetRes;
extern const QString kStartDownloadRes;
extern const QString kRestartDownloadRes;
extern const QString kRemoveHistoryRes;
extern const QString kRemoveAllHistoryRes;
extern const QString kGetFileList;
extern const QString kGetDownloadOffset;
extern const QString kOpenFileFolder;
extern const QString kStartDownload;
extern const QString kRestartDownload;
extern const QString kRemoveHistory;
extern const QString kRemoveAllHistory;

extern const QString kCurrentUserInfoRes;
extern const QString kCurrentUserInfo;

// One host message: category:subcommand:base64(utf8(payload));
QByteArray encodeMessage(const QString &category, const QString &subcommand, const QString &payload);
// The payload field as the host sent it, decoded leniently.
QByteArray decodePayload(const QString &field);
// True exactly when the trimmed, lower-cased text is "true".
bool booleanWord(const QString &text);
// 32 lower-case hexadecimal digits of a fresh random UUID.
QString newRequestKey();

}
