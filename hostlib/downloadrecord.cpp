#include "hostlib/downloadrecord.h"

namespace ChannelWebBrowser {

QJsonObject DownloadRecord::toJson() const
{
    QJsonObject object = progressJson();
    object.insert(QStringLiteral("name"), name);
    object.insert(QStringLiteral("createTime"), createTime);
    return object;
}

QJsonObject DownloadRecord::progressJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("key"), key);
    object.insert(QStringLiteral("downloadOffset"), downloadOffset);
    object.insert(QStringLiteral("fileSize"), fileSize);
    object.insert(QStringLiteral("status"), int(status));
    object.insert(QStringLiteral("updateTime"), updateTime);
    object.insert(QStringLiteral("fileExists"), fileExists);
    return object;
}

}
