// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlib/hostexport.h"

#include <QJsonObject>
#include <QString>

namespace ChannelWebBrowser {

// One download as the browser's Download History shows it. The host keeps
// these (the browser keeps nothing) and hands them over in its answers to the
// list and progress requests.
struct CWB_HOST_EXPORT DownloadRecord
{
    enum Status {
        None = 0,          // shown with its size only
        Downloading = 1,   // shown with a percentage; the browser polls its progress
        Success = 2,       // offers "open in folder" while fileExists
        Failed = 3         // offers "download again"
    };

    QString key;             // the host's identifier of this download (the file key)
    QString name;            // file name with its extension, which picks the icon
    qint64 createTime = 0;   // ms since 1970-01-01 UTC; orders the list and picks the day
    qint64 updateTime = 0;   // ms since 1970-01-01 UTC
    qint64 fileSize = 0;     // bytes
    Status status = None;
    qint64 downloadOffset = 0;   // bytes received so far
    bool fileExists = true;      // false greys out a finished download

    // All eight members, for the list answer.
    QJsonObject toJson() const;
    // The members that change while a download runs ("key", "downloadOffset",
    // "fileSize", "status", "updateTime", "fileExists"), for the progress answer.
    QJsonObject progressJson() const;
};

}
