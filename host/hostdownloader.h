// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <map>
#include <memory>

class HostStore;
class QNetworkReply;

// Carries out the downloads that the browser hands over. Each one gets a
// record in the store the moment it is asked for, so nothing is ever lost
// silently: a download that cannot even start is recorded as failed, with a
// reason on stderr. A running download writes "<name>.part" and takes its
// name only once complete; a failed or cancelled one leaves no file.
class HostDownloader : public QObject
{
    Q_OBJECT
public:
    HostDownloader(HostStore *store, const QString &downloadDir, QObject *parent = nullptr);
    ~HostDownloader() override;

    QString downloadDir() const { return dir; }
    // Sent along with our own requests as the browser sends it with its
    // own: only to the hosts of the list (parsed as "accessTokenHosts";
    // empty: every host), and never on across a redirect off the list.
    void setAccessToken(const QString &token) { accessToken = token.toUtf8(); }
    void setAccessTokenHosts(const QStringList &hosts) { tokenHosts = hosts; }

    // Records a new download and starts it; returns its file key.
    QString start(const QString &name, const QUrl &url);
    // Fetches a recorded download again under the same file key.
    bool restart(const QString &fileKey);
    // Stops a running download and removes its partial file; the record is
    // left to the caller.
    void cancel(const QString &fileKey);
    void cancelAll();
    // For a host that is going away: every running download ends as failed.
    void abandonAll(const QString &reason);
    bool isRunning(const QString &fileKey) const { return jobs.count(fileKey) > 0; }
    int runningCount() const { return int(jobs.size()); }

    // A file name that cannot leave the download folder, whatever the page
    // suggested.
    static QString safeFileName(const QString &suggested, const QUrl &url);
    // name, or "name (1).ext", "name (2).ext", ... whichever neither exists
    // yet nor is being downloaded (as "<name>.part").
    static QString uniqueFileName(const QDir &folder, const QString &name);

signals:
    void finished(const QString &fileKey, int status);
    void note(const QString &line);
    void warning(const QString &line);

private:
    struct Job
    {
        QString key;
        QNetworkReply *reply = nullptr;
        QFile file;             // the ".part" until complete
        QString finalPath;
        qint64 received = 0;
        qint64 expected = -1;   // Content-Length, when the server gave one
        bool refused = false;   // an HTTP error: its body is no part of the file
        int redirects = 0;
        QString redirectError;
        QString writeError;
    };

    void begin(QJsonObject record);
    void fail(QJsonObject record, const QString &reason);
    void onReadyRead(Job *job);
    void onMetaData(Job *job);
    void onFinished(Job *job);
    QUrl redirectTarget(Job *job) const;
    void request(Job *job, const QUrl &url);
    // Gives the complete file its name: the one chosen at the start, or the
    // next free one if something took that meanwhile. Empty on failure.
    QString complete(Job *job, QString *error);

    HostStore *store;
    QString dir;
    QByteArray accessToken;
    QStringList tokenHosts;
    QNetworkAccessManager network;
    static constexpr int kMaxRedirects = 10;
    std::map<QString, std::unique_ptr<Job>> jobs;
};
