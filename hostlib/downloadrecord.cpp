// SPDX-License-Identifier: Apache-2.0
#include "hostlib/downloadrecord.h"

#include "wire/vocabulary.h"

namespace ChannelWebBrowser {

namespace field = wire::field;

QJsonObject DownloadRecord::toJson() const
{
    QJsonObject object = progressJson();
    object.insert(field::kName, name);
    object.insert(field::kCreateTime, createTime);
    return object;
}

QJsonObject DownloadRecord::progressJson() const
{
    QJsonObject object;
    object.insert(field::kKey, key);
    object.insert(field::kDownloadOffset, downloadOffset);
    object.insert(field::kFileSize, fileSize);
    object.insert(field::kStatus, int(status));
    object.insert(field::kUpdateTime, updateTime);
    object.insert(field::kFileExists, fileExists);
    return object;
}

}
