// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "wire/vocabulary.h"

#include <QDateTime>

// A download record as the store and the downloader write it: the members
// the browser reads, the download's "url", and "path", which is ours alone.
namespace hostrecord {
using wire::field::kKey;
using wire::field::kName;
using wire::field::kUrl;
using wire::field::kStatus;
using wire::field::kCreateTime;
using wire::field::kUpdateTime;
using wire::field::kFileSize;
using wire::field::kDownloadOffset;
// The member holding the file's place on disk; ours alone.
inline const QString kPath = QStringLiteral("path");

// The browser reads a record's times as milliseconds since the epoch in a
// JSON number.
inline double now()
{
    return double(QDateTime::currentMSecsSinceEpoch());
}
}
