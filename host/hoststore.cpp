// SPDX-License-Identifier: Apache-2.0
#include "host/hoststore.h"

#include "host/hostrecord.h"
#include "wire/vocabulary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <algorithm>

using namespace hostrecord;

HostStore::HostStore(const QString &dataDir)
    : dir(dataDir)
{
}

QString HostStore::filePath() const
{
    return QDir(dir).filePath(QStringLiteral("history.json"));
}

bool HostStore::load()
{
    list.clear();
    savedPosition.clear();
    collection.clear();
    error.clear();
    QFile file(filePath());
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    file.close();
    if (!doc.isObject()) {
        error = parseError.errorString();
        // Keep the unreadable file for whoever wants to look at it instead of
        // overwriting it with the next save.
        const QString aside = filePath() + QStringLiteral(".bad");
        QFile::remove(aside);
        QFile::rename(filePath(), aside);
        return false;
    }
    const QJsonObject root = doc.object();
    savedPosition = root.value(QStringLiteral("windowsRect")).toString();
    for (const QJsonValue &url : root.value(QStringLiteral("collected")).toArray())
        collection.append(url.toString());
    bool interrupted = false;
    for (const QJsonValue &value : root.value(QStringLiteral("downloads")).toArray()) {
        QJsonObject record = value.toObject();
        if (record.value(kKey).toString().isEmpty())
            continue;
        if (record.value(kStatus).toInt() == StatusDownloading) {
            record.insert(kStatus, StatusFailed);
            interrupted = true;
            const QString path = record.value(kPath).toString();
            if (!path.isEmpty())
                QFile::remove(partPath(path));
        }
        list.append(record);
    }
    if (interrupted)
        save();
    return true;
}

bool HostStore::save()
{
    if (!QDir().mkpath(dir)) {
        error = QStringLiteral("cannot create %1").arg(dir);
        return false;
    }
    QJsonArray downloads;
    for (const QJsonObject &record : list)
        downloads.append(record);
    QJsonObject root;
    root.insert(QStringLiteral("downloads"), downloads);
    if (!savedPosition.isEmpty())
        root.insert(QStringLiteral("windowsRect"), savedPosition);
    if (!collection.isEmpty())
        root.insert(QStringLiteral("collected"), QJsonArray::fromStringList(collection));
    // Written aside and renamed, so a crash mid-write leaves the old history.
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

int HostStore::indexOf(const QString &key) const
{
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i).value(kKey).toString() == key)
            return i;
    return -1;
}

QList<QJsonObject> HostStore::records() const
{
    QList<QJsonObject> sorted = list;
    // Stable, so downloads started in the same millisecond keep the later one first.
    std::reverse(sorted.begin(), sorted.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return a.value(kCreateTime).toDouble() > b.value(kCreateTime).toDouble();
    });
    return sorted;
}

QJsonObject HostStore::record(const QString &key) const
{
    const int i = indexOf(key);
    return i < 0 ? QJsonObject() : list.at(i);
}

bool HostStore::contains(const QString &key) const
{
    return indexOf(key) >= 0;
}

bool HostStore::put(const QJsonObject &record)
{
    const int i = indexOf(record.value(kKey).toString());
    if (i < 0)
        list.append(record);
    else
        list[i] = record;
    return save();
}

void HostStore::setProgress(const QString &key, qint64 offset, qint64 size)
{
    const int i = indexOf(key);
    if (i < 0)
        return;
    QJsonObject &record = list[i];
    record.insert(kDownloadOffset, double(offset));
    record.insert(kFileSize, double(size));
    record.insert(kUpdateTime, now());
}

bool HostStore::remove(const QString &key)
{
    const int i = indexOf(key);
    if (i < 0)
        return false;
    list.removeAt(i);
    save();
    return true;
}

void HostStore::clear()
{
    list.clear();
    save();
}

void HostStore::setPosition(const QString &text)
{
    if (text == savedPosition)
        return;
    savedPosition = text;
    save();
}

bool HostStore::collect(const QString &url)
{
    if (collection.contains(url))
        return false;
    collection.append(url);
    save();
    return true;
}

QJsonObject HostStore::answerRecord(const QJsonObject &record)
{
    QJsonObject out = record;
    const QString path = out.take(kPath).toString();
    out.remove(kUrl);
    out.insert(wire::field::kFileExists, !path.isEmpty() && QFileInfo(path).isFile());
    return out;
}
