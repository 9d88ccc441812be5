// SPDX-License-Identifier: Apache-2.0
#include "downloads/modelitemfile.h"

#include "resources/resource.h"
#include "wire/vocabulary.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <QVariant>

QString formatSize(quint64 bytes)
{
    static const QStringList units = {QStringLiteral("B"), QStringLiteral("KB"),
                                      QStringLiteral("MB"), QStringLiteral("GB")};
    // Ten times the size keeps one decimal; in 128 bits it cannot wrap for any
    // size a host may send.
    const unsigned __int128 tenfold = static_cast<unsigned __int128>(bytes) * 10;
    unsigned __int128 v = tenfold;
    int unit = 0;
    while (v > 10239 && unit < 3) {
        ++unit;
        v = tenfold >> (10 * unit);
    }
    return QStringLiteral("%1.%2 %3")
        .arg(static_cast<quint64>(v / 10))
        .arg(static_cast<quint64>(v % 10))
        .arg(units.at(unit));
}

namespace {

using IconGetter = QPixmap *(Resource::*)();

struct IconRule
{
    const char *ending;
    IconGetter normal;
    IconGetter gray;
};

// Matching order matters only in principle: no ending here is a tail of another
// row's ending, so the first match is the only one.
const IconRule iconRules[] = {
    {".ppt", &Resource::pptIcon, &Resource::pptGrayIcon},
    {".pptx", &Resource::pptIcon, &Resource::pptGrayIcon},
    {".doc", &Resource::docIcon, &Resource::docGrayIcon},
    {".docx", &Resource::docIcon, &Resource::docGrayIcon},
    {".xls", &Resource::xlsIcon, &Resource::xlsGrayIcon},
    {".xlsx", &Resource::xlsIcon, &Resource::xlsGrayIcon},
    {".pdf", &Resource::pdfIcon, &Resource::pdfGrayIcon},
    {".rar", &Resource::rarIcon, &Resource::rarGrayIcon},
    {".zip", &Resource::rarIcon, &Resource::rarGrayIcon},
    {".7z", &Resource::rarIcon, &Resource::rarGrayIcon},
    {".tar", &Resource::rarIcon, &Resource::rarGrayIcon},
    {".tar.gz", &Resource::rarIcon, &Resource::rarGrayIcon},
    {".xz", &Resource::rarIcon, &Resource::rarGrayIcon},
    {".mp3", &Resource::audioIcon, &Resource::audioGrayIcon},
    {".wav", &Resource::audioIcon, &Resource::audioGrayIcon},
    {".img", &Resource::imgIcon, &Resource::imgGrayIcon},
    {".png", &Resource::imgIcon, &Resource::imgGrayIcon},
    {".gif", &Resource::imgIcon, &Resource::imgGrayIcon},
    {".jpg", &Resource::imgIcon, &Resource::imgGrayIcon},
    {".mp4", &Resource::videoIcon, &Resource::videoGrayIcon},
    {".txt", &Resource::txtIcon, &Resource::txtGrayIcon},
    {".log", &Resource::txtIcon, &Resource::txtGrayIcon},
};

QPixmap *iconFor(const QString &name, bool gray)
{
    Resource *resource = Resource::ShareInstance();
    for (const IconRule &rule : iconRules) {
        if (name.endsWith(QLatin1String(rule.ending), Qt::CaseSensitive))
            return (resource->*(gray ? rule.gray : rule.normal))();
    }
    return gray ? resource->otherGrayIcon() : resource->otherIcon();
}

quint64 readUnsigned(const QJsonValue &value)
{
    return value.toVariant().toULongLong();
}

} // namespace

ModelItemFile::ModelItemFile(const QString &key)
    : m_key(key)
    , cacheMetrics(QFont())
{
}

void ModelItemFile::setName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    elidedName.clear();
    m_icon = iconFor(m_name, false);
}

void ModelItemFile::setFileSize(quint64 size)
{
    if (size == m_fileSize)
        return;
    m_fileSize = size;
    m_fileSizeText = formatSize(size);
}

void ModelItemFile::setDownloadOffset(quint64 offset)
{
    if (offset == m_downloadOffset)
        return;
    m_downloadOffset = offset;
    if (m_fileSize == 0)
        return;
    // In 128 bits the product cannot wrap, whatever offset the host reports.
    const unsigned __int128 permille128 = static_cast<unsigned __int128>(offset) * 1000 / m_fileSize;
    const quint64 permille = permille128 > 1000 ? 1000 : static_cast<quint64>(permille128);
    m_downloadPercent = permille * 0.1f;
    m_downloadOffsetText = QStringLiteral("%1 %").arg(QString::number(double(m_downloadPercent), 'g', 6));
}

void ModelItemFile::setFileExists(bool exists)
{
    if (exists == m_fileExists)
        return;
    m_fileExists = exists;
    if (!exists && m_status == StatusSuccess)
        m_icon = iconFor(m_name, true);
}

void ModelItemFile::fromJson(const QJsonObject &record)
{
    if (record.value(wire::field::kKey).toString() != m_key)
        return;
    // Size before offset so the percentage uses the new size; status and name
    // before fileExists so the grey icon sees them.
    auto it = record.constFind(wire::field::kName);
    if (it != record.constEnd())
        setName(it->toString());
    it = record.constFind(wire::field::kCreateTime);
    if (it != record.constEnd())
        setCreateTime(readUnsigned(*it));
    it = record.constFind(wire::field::kUpdateTime);
    if (it != record.constEnd())
        setUpdateTime(readUnsigned(*it));
    it = record.constFind(wire::field::kFileSize);
    if (it != record.constEnd())
        setFileSize(readUnsigned(*it));
    it = record.constFind(wire::field::kStatus);
    if (it != record.constEnd())
        setStatus(static_cast<ModelItemStatus>(it->toInt()));
    it = record.constFind(wire::field::kDownloadOffset);
    if (it != record.constEnd())
        setDownloadOffset(readUnsigned(*it));
    it = record.constFind(wire::field::kFileExists);
    if (it != record.constEnd())
        setFileExists(it->toBool());
}

QString ModelItemFile::nameText(int width, const QFontMetrics &metrics)
{
    if (m_name.size() <= 4)
        return m_name;
    if (!elidedName.isEmpty() && cacheWidth == width && cacheMetrics == metrics)
        return elidedName;
    cacheWidth = width;
    cacheMetrics = metrics;
    if (metrics.horizontalAdvance(m_name) <= width) {
        elidedName = m_name;
        return elidedName;
    }

    // The probe starts with the eight characters every shortened text carries
    // ("..." and the tail), so whatever else fits of it is the head's length.
    const QString tail = m_name.right(5);
    const QString probe = tail + QStringLiteral("...") + m_name.left(m_name.size() - 5);
    int lo = 0;
    int hi = probe.size() - 1;
    int result = 0;
    for (;;) {
        const int mid = (lo + hi) / 2;
        const int w = metrics.horizontalAdvance(probe.left(mid));
        if (w < width) {
            lo = mid + 1;
            if (lo > hi) {
                result = mid;
                break;
            }
        } else if (w == width) {
            result = mid;
            break;
        } else {
            hi = mid - 1;
            if (hi < lo) {
                result = mid - 1;
                break;
            }
        }
    }
    elidedName = m_name.left(qMax(result - 8, 0)) + QStringLiteral("...") + tail;
    return elidedName;
}
