// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "wire/vocabulary.h"

// The host link's words under the names the browser has always used for
// them; wire/vocabulary.h spells each one, for the host library as well.
namespace protocol {

using wire::kSeparator;

using wire::kConfig;
using wire::kEvent;
using wire::kFeedback;
using wire::kWebfile;
using wire::kIQ;

using wire::event::kActive;
using wire::event::kShowUrl;
using wire::event::kUpdateOpenOutside;
using wire::event::kUpdateCheckChannel;
using wire::event::kUpdateStoreToVell;
using wire::event::kUpdateShareToFriend;
using wire::event::kShowBoxMessage;

using wire::feedback::kStoreToVell;
using wire::feedback::kShare;
using wire::feedback::kChannel;
using wire::feedback::kRefresh;
using wire::feedback::kSavePosition;
using wire::feedback::kOpenOutside;
using wire::feedback::kGotoChannel;
using wire::feedback::kReceiveLog;

using wire::webfile::kGetFileListRes;
using wire::webfile::kGetDownloadOffsetRes;
using wire::webfile::kStartDownloadRes;
using wire::webfile::kRestartDownloadRes;
using wire::webfile::kRemoveHistoryRes;
using wire::webfile::kRemoveAllHistoryRes;
using wire::webfile::kGetFileList;
using wire::webfile::kGetDownloadOffset;
using wire::webfile::kOpenFileFolder;
using wire::webfile::kStartDownload;
using wire::webfile::kRestartDownload;
using wire::webfile::kRemoveHistory;
using wire::webfile::kRemoveAllHistory;

using wire::iq::kCurrentUserInfoRes;
using wire::iq::kCurrentUserInfo;

using wire::newRequestKey;

}
