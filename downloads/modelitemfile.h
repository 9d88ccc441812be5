// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "downloads/modelitembase.h"

#include <QFontMetrics>
#include <QString>

class QJsonObject;
class QPixmap;

// "1.4 KB": one truncated decimal, binary units up to GB.
QString formatSize(quint64 bytes);

// One download as the host describes it in a download record.
class ModelItemFile : public ModelItemBase
{
    Q_OBJECT
public:
    enum ModelItemStatus : int {
        StatusNone = 0,
        StatusDownloading = 1,
        StatusSuccess = 2,
        StatusFailed = 3,
    };

    explicit ModelItemFile(const QString &key);

    int itemType() override { return FileItem; }
    quint64 compareValue() override { return m_createTime; }

    QString key() const { return m_key; }
    QString name() const { return m_name; }
    quint64 createTime() const { return m_createTime; }
    quint64 updateTime() const { return m_updateTime; }
    quint64 fileSize() const { return m_fileSize; }
    ModelItemStatus status() const { return m_status; }
    quint64 downloadOffset() const { return m_downloadOffset; }
    bool fileExists() const { return m_fileExists; }
    QPixmap *icon() const { return m_icon; }
    QString fileSizeText() const { return m_fileSizeText; }
    float downloadPercent() const { return m_downloadPercent; }
    QString downloadOffsetText() const { return m_downloadOffsetText; }

    void setName(const QString &name);
    void setCreateTime(quint64 time) { m_createTime = time; }
    void setUpdateTime(quint64 time) { m_updateTime = time; }
    void setFileSize(quint64 size);
    void setStatus(ModelItemStatus status) { m_status = status; }
    void setDownloadOffset(quint64 offset);
    void setFileExists(bool exists);

    void fromJson(const QJsonObject &record);

    // The name shortened to fit the width, always keeping its last five
    // characters so that the extension stays readable.
    QString nameText(int width, const QFontMetrics &metrics);

private:
    const QString m_key;
    QString m_name;
    QString elidedName;
    int cacheWidth = 0;
    QFontMetrics cacheMetrics;
    quint64 m_createTime = 0;
    quint64 m_updateTime = 0;
    quint64 m_fileSize = 0;
    ModelItemStatus m_status = StatusNone;
    quint64 m_downloadOffset = 0;
    bool m_fileExists = true;
    QPixmap *m_icon = nullptr;
    QString m_fileSizeText;
    float m_downloadPercent = 0.0f;
    QString m_downloadOffsetText;
};
