// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// What the host remembers between runs: the download history, the pages the
// user collected and the last window position the browser reported. Kept as
// one small JSON file in the host's data folder.
//
// A record is the download record the browser reads ("key", "name",
// "createTime", "updateTime", "fileSize", "status", "downloadOffset") plus two
// members of our own, "path" and "url", that never leave the host. "fileExists"
// is not stored: it is looked up on disk each time a record is answered.
class HostStore
{
public:
    enum Status { StatusDownloading = 1, StatusSuccess = 2, StatusFailed = 3 };

    explicit HostStore(const QString &dataDir);

    // Reads the file back; downloads that were still running when the host
    // stopped cannot resume, so they come back as failed and what they had
    // written so far goes. False when the file exists but could not be read
    // (the history then starts empty).
    bool load();
    bool save();
    QString filePath() const;
    QString lastError() const { return error; }

    QList<QJsonObject> records() const;   // newest first
    QJsonObject record(const QString &key) const;
    bool contains(const QString &key) const;
    // Adds the record or replaces the one with the same key, and saves;
    // false when the file could not be written (see lastError).
    bool put(const QJsonObject &record);
    // Progress changes many times a second: kept in memory only.
    void setProgress(const QString &key, qint64 offset, qint64 size);
    bool remove(const QString &key);
    void clear();

    QString position() const { return savedPosition; }
    void setPosition(const QString &text);

    // Pages the user collected, in the order collected; false when the page
    // is in the collection already.
    bool collect(const QString &url);
    QStringList collected() const { return collection; }

    // Where a download is written until it is complete.
    static QString partPath(const QString &path) { return path + QStringLiteral(".part"); }

    // The record as the browser sees it: our own members dropped and
    // "fileExists" checked on disk now.
    static QJsonObject answerRecord(const QJsonObject &record);

private:
    int indexOf(const QString &key) const;

    QString dir;
    QList<QJsonObject> list;   // in the order they were added
    QString savedPosition;
    QStringList collection;
    QString error;
};
