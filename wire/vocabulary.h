// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "wire/configlist.h"

#include <QLatin1String>
#include <QString>
#include <QUuid>

// Every word of the host link, spelled once for the browser, the host library
// and the reference host. A message is category:subcommand:base64(payload);
// the payload is plain text or a compact JSON object with the members below.
// Constants, not objects: no start-up order to get wrong, and a comparison
// with a QString reads the Latin-1 bytes in place.
namespace wire {

// A literal's own length, so no word is counted by hand.
template <int N>
constexpr QLatin1String word(const char (&text)[N])
{
    return QLatin1String(text, N - 1);
}

constexpr QLatin1String kSeparator = word(";");

// Categories.
constexpr QLatin1String kConfig = word("config");       // host -> browser: one stored value
constexpr QLatin1String kEvent = word("event");         // host -> browser: act on the window
constexpr QLatin1String kFeedback = word("feedback");   // browser -> host: the user did something
constexpr QLatin1String kWebfile = word("webfile");     // downloads, both ways
constexpr QLatin1String kIQ = word("iq");               // the user information, both ways

// The plain-text payload of the update* events.
constexpr QLatin1String kTrue = word("true");
constexpr QLatin1String kFalse = word("false");

namespace event {
constexpr QLatin1String kShowUrl = word("showUrl");
constexpr QLatin1String kActive = word("active");
constexpr QLatin1String kUpdateOpenOutside = word("updateOpenOutside");
constexpr QLatin1String kUpdateCheckChannel = word("updateCheckChannel");
constexpr QLatin1String kUpdateStoreToVell = word("updateStoreToVell");
constexpr QLatin1String kUpdateShareToFriend = word("updateShareToFriend");
constexpr QLatin1String kShowBoxMessage = word("showBoxMessage");
// A text for the page, handed to its script through jsbridge's receiveMessage.
constexpr QLatin1String kPostToPage = word("postToPage");
}

namespace feedback {
constexpr QLatin1String kRefresh = word("refresh");
constexpr QLatin1String kStoreToVell = word("storeToVell");
constexpr QLatin1String kShare = word("share");
constexpr QLatin1String kChannel = word("channel");
constexpr QLatin1String kOpenOutside = word("openOutside");
constexpr QLatin1String kReceiveLog = word("receiveLog");
constexpr QLatin1String kGotoChannel = word("gotoChannel");
constexpr QLatin1String kSavePosition = word("savePosition");
// With "reportNavigation" on: the page the user is on, {title, url}, each time
// its address or its title changes, and how its loading ended, {ok, url}.
constexpr QLatin1String kNavigated = word("navigated");
constexpr QLatin1String kLoadFinished = word("loadFinished");
}

namespace iq {
constexpr QLatin1String kCurrentUserInfo = word("currentuserinfo");         // payload: the request key
constexpr QLatin1String kCurrentUserInfoRes = word("currentuserinfoRes");   // {info, key}
constexpr QLatin1String kPermission = word("permission");         // {feature, key, origin}
constexpr QLatin1String kPermissionRes = word("permissionRes");   // {answer: allow|deny, key}
}

// Requests travel browser -> host, their answers (...Res) host -> browser.
namespace webfile {
constexpr QLatin1String kGetFileList = word("getFileList");           // payload: the request key
constexpr QLatin1String kGetDownloadOffset = word("getDownloadOffset");   // {fileList, key}
constexpr QLatin1String kOpenFileFolder = word("openFileFolder");     // payload: the file key
constexpr QLatin1String kStartDownload = word("startDownload");       // {key, name, url}
constexpr QLatin1String kRestartDownload = word("restartDownload");   // {fileKey, key}
constexpr QLatin1String kRemoveHistory = word("removeHistory");       // {fileKey, key}
constexpr QLatin1String kRemoveAllHistory = word("removeAllHistory");   // {key}
constexpr QLatin1String kGetFileListRes = word("getFileListRes");               // {data: records, key}
constexpr QLatin1String kGetDownloadOffsetRes = word("getDownloadOffsetRes");   // {data: progress, key}
constexpr QLatin1String kStartDownloadRes = word("startDownloadRes");           // {info, key}
constexpr QLatin1String kRestartDownloadRes = word("restartDownloadRes");       // {fileKey, key}
constexpr QLatin1String kRemoveHistoryRes = word("removeHistoryRes");           // {fileKey, key}
constexpr QLatin1String kRemoveAllHistoryRes = word("removeAllHistoryRes");     // {key}
}

// The JSON members of requests, answers and download records.
namespace field {
constexpr QLatin1String kKey = word("key");   // the request key; in a record, the file key
constexpr QLatin1String kFileKey = word("fileKey");
constexpr QLatin1String kFileList = word("fileList");
constexpr QLatin1String kUrl = word("url");
constexpr QLatin1String kName = word("name");
constexpr QLatin1String kInfo = word("info");
constexpr QLatin1String kData = word("data");
// A download record: all of them in the list answer, the ones that change
// while a download runs (key and the last five) in the progress answer.
constexpr QLatin1String kCreateTime = word("createTime");
constexpr QLatin1String kDownloadOffset = word("downloadOffset");
constexpr QLatin1String kFileSize = word("fileSize");
constexpr QLatin1String kStatus = word("status");
constexpr QLatin1String kUpdateTime = word("updateTime");
constexpr QLatin1String kFileExists = word("fileExists");
// A permission question and its answer.
constexpr QLatin1String kFeature = word("feature");
constexpr QLatin1String kOrigin = word("origin");
constexpr QLatin1String kAnswer = word("answer");
constexpr QLatin1String kAllow = word("allow");
constexpr QLatin1String kDeny = word("deny");
// The page the user is on.
constexpr QLatin1String kTitle = word("title");
constexpr QLatin1String kOk = word("ok");
}

// The subcommands of "config": one stored value each, as wire/configlist.h lists them.
namespace config {
#define CWB_CONFIG_WORD(Name, key, ...) constexpr QLatin1String k##Name = word(key);
CWB_CONFIG_KEYS(CWB_CONFIG_WORD)
#undef CWB_CONFIG_WORD
}

// Files the browser made itself for a page (a Blob, a data: URL) reach the
// host as file: URLs inside the browser's private scratch folder:
// <temporary folder>/<kScratchPrefix>XXXXXX/<kPageDownloads>/<n>/<name>. The
// host copies a local file only from there, so no page can name another.
namespace scratch {
constexpr QLatin1String kScratchPrefix = word("channel-web-browser-");
constexpr QLatin1String kPageDownloads = word("page-downloads");
}

// A request key: 32 lower-case hexadecimal digits of a fresh random UUID.
// The answer carries it back, so the asker can tell its answer from a stale one.
inline QString newRequestKey()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

}
