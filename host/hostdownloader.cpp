// SPDX-License-Identifier: Apache-2.0
#include "host/hostdownloader.h"

#include "config/hostmatch.h"
#include "host/hostrecord.h"
#include "host/hoststore.h"
#include "hostlib/browserhost.h"
#include "wire/vocabulary.h"

#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QUuid>
#include <unistd.h>

using namespace hostrecord;

HostDownloader::HostDownloader(HostStore *store, const QString &downloadDir, QObject *parent)
    : QObject(parent)
    , store(store)
    , dir(downloadDir)
{
}

HostDownloader::~HostDownloader()
{
    cancelAll();
}

QString HostDownloader::safeFileName(const QString &suggested, const QUrl &url)
{
    QString name = suggested;
    if (name.trimmed().isEmpty())
        name = url.fileName();
    // Separators would reach outside the folder, control characters only confuse.
    name.replace(QRegularExpression(QStringLiteral("[/\\\\\\x00-\\x1f\\x7f]")), QStringLiteral("_"));
    name = name.trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("download");
    if (name.size() > 200)
        name = name.right(200);
    return name;
}

QString HostDownloader::uniqueFileName(const QDir &folder, const QString &name)
{
    const auto taken = [&folder](const QString &candidate) {
        return folder.exists(candidate) || folder.exists(HostStore::partPath(candidate));
    };
    if (!taken(name))
        return name;
    // "archive.tar.gz" reads better as "archive (1).tar.gz" than "archive.tar (1).gz".
    static const QRegularExpression suffix(QStringLiteral("(\\.tar)?\\.[^.\\s]{1,8}$"));
    const QRegularExpressionMatch match = suffix.match(name);
    const bool hasSuffix = match.hasMatch() && match.capturedStart() > 0;
    const QString base = hasSuffix ? name.left(match.capturedStart()) : name;
    const QString ext = hasSuffix ? match.captured() : QString();
    for (int i = 1;; ++i) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(i).arg(ext);
        if (!taken(candidate))
            return candidate;
    }
}

QString HostDownloader::start(const QString &name, const QUrl &url)
{
    QJsonObject record;
    record.insert(kKey, QUuid::createUuid().toString(QUuid::Id128));
    record.insert(kName, safeFileName(name, url));
    record.insert(kUrl, url.toString(QUrl::FullyEncoded));
    record.insert(kCreateTime, now());
    begin(record);
    return record.value(kKey).toString();
}

bool HostDownloader::restart(const QString &fileKey)
{
    QJsonObject record = store->record(fileKey);
    if (record.isEmpty())
        return false;
    cancel(fileKey);
    begin(record);
    return true;
}

void HostDownloader::fail(QJsonObject record, const QString &reason)
{
    const QString name = record.value(kName).toString();
    emit warning(QStringLiteral("download failed: %1: %2").arg(name, reason));
    record.insert(kStatus, HostStore::StatusFailed);
    record.insert(kUpdateTime, now());
    if (!store->put(record))
        emit warning(QStringLiteral("cannot save the download history: %1").arg(store->lastError()));
    emit finished(record.value(kKey).toString(), HostStore::StatusFailed);
}

void HostDownloader::begin(QJsonObject record)
{
    record.insert(kStatus, HostStore::StatusDownloading);
    record.insert(kDownloadOffset, 0);
    record.insert(kFileSize, 0);
    record.insert(kUpdateTime, now());
    record.remove(kPath);

    const QUrl url(record.value(kUrl).toString());
    if (!url.isValid() || url.scheme().isEmpty()) {
        fail(record, QStringLiteral("not a download address: \"%1\"").arg(url.toString()));
        return;
    }
    if (url.isLocalFile() && !ChannelWebBrowser::BrowserHost::isBrowserScratchFile(url.toLocalFile())) {
        fail(record, QStringLiteral("refused to copy a local file the browser did not write: \"%1\"").arg(url.toLocalFile()));
        return;
    }
    QDir folder(dir);
    if (!folder.mkpath(QStringLiteral("."))) {
        fail(record, QStringLiteral("cannot create the download folder %1").arg(dir));
        return;
    }

    auto job = std::make_unique<Job>();
    job->key = record.value(kKey).toString();
    // NewOnly keeps us from overwriting a file that appeared since we looked.
    QString name = record.value(kName).toString();
    for (int attempt = 0; attempt < 5; ++attempt) {
        name = uniqueFileName(folder, record.value(kName).toString());
        job->finalPath = folder.absoluteFilePath(name);
        job->file.setFileName(HostStore::partPath(job->finalPath));
        if (job->file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !job->file.exists())
            break;
    }
    if (!job->file.isOpen()) {
        fail(record, QStringLiteral("cannot write to the download folder %1: %2").arg(folder.absolutePath(), job->file.errorString()));
        return;
    }
    record.insert(kName, name);
    record.insert(kPath, job->finalPath);
    if (!store->put(record))
        emit warning(QStringLiteral("cannot save the download history: %1").arg(store->lastError()));

    Job *raw = job.get();
    request(raw, url);
    jobs[raw->key] = std::move(job);
    emit note(QStringLiteral("downloading %1 from %2").arg(name, url.toDisplayString()));
}

void HostDownloader::request(Job *job, const QUrl &url)
{
    QNetworkRequest request(url);
    // Redirects are followed here, hop by hop, each asked afresh: a
    // redirected request would keep the token for whichever host comes next.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (!accessToken.isEmpty() && (tokenHosts.isEmpty() || HostMatch::hostListed(tokenHosts, url)))
        request.setRawHeader("X-Access-Token", accessToken);
    job->reply = network.get(request);
    job->expected = -1;
    job->refused = false;
    connect(job->reply, &QNetworkReply::metaDataChanged, this, [this, job] { onMetaData(job); });
    connect(job->reply, &QNetworkReply::readyRead, this, [this, job] { onReadyRead(job); });
    connect(job->reply, &QNetworkReply::finished, this, [this, job] { onFinished(job); });
}

// Where a finished reply sends us next, or nowhere: an empty address.
QUrl HostDownloader::redirectTarget(Job *job) const
{
    QNetworkReply *reply = job->reply;
    const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl to = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (code < 300 || code >= 400 || to.isEmpty() || reply->error() != QNetworkReply::NoError)
        return QUrl();
    return reply->url().resolved(to);
}

void HostDownloader::onMetaData(Job *job)
{
    const QVariant code = job->reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    job->refused = code.isValid() && code.toInt() >= 400;
    // A redirect's body and length are not the file's.
    job->refused = job->refused || (code.toInt() >= 300 && code.toInt() < 400);
    if (job->refused)
        return;
    const QVariant length = job->reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid())
        job->expected = length.toLongLong();
    store->setProgress(job->key, job->received, qMax<qint64>(job->expected, job->received));
}

void HostDownloader::onReadyRead(Job *job)
{
    const QByteArray data = job->reply->readAll();
    if (!job->writeError.isEmpty() || job->refused)
        return;
    if (job->file.write(data) != data.size()) {
        job->writeError = job->file.errorString();
        // Not from inside the reply's own signal: abort() finishes it at once.
        QMetaObject::invokeMethod(job->reply, &QNetworkReply::abort, Qt::QueuedConnection);
        return;
    }
    job->received += data.size();
    store->setProgress(job->key, job->received, qMax<qint64>(job->expected, job->received));
}

void HostDownloader::onFinished(Job *job)
{
    const QUrl next = redirectTarget(job);
    if (next.isValid() && !next.isEmpty()) {
        QString refusal;
        if (++job->redirects > kMaxRedirects)
            refusal = QStringLiteral("too many redirects");
        else if (job->reply->url().scheme() == QLatin1String("https") && next.scheme() != QLatin1String("https"))
            refusal = QStringLiteral("redirected from an encrypted address to a plain one: %1").arg(next.toDisplayString());
        else if (next.scheme() != QLatin1String("https") && next.scheme() != QLatin1String("http"))
            refusal = QStringLiteral("redirected to %1").arg(next.toDisplayString());
        if (refusal.isEmpty()) {
            job->reply->disconnect(this);
            job->reply->deleteLater();
            request(job, next);
            return;
        }
        job->redirectError = refusal;
    }
    if (job->writeError.isEmpty() && job->reply->bytesAvailable() > 0)
        onReadyRead(job);
    job->file.close();

    QJsonObject record = store->record(job->key);
    QString reason;
    if (!job->redirectError.isEmpty())
        reason = job->redirectError;
    else if (!job->writeError.isEmpty())
        reason = QStringLiteral("cannot write %1: %2").arg(job->file.fileName(), job->writeError);
    else if (job->reply->error() != QNetworkReply::NoError)
        reason = job->reply->errorString();
    if (job->writeError.isEmpty() && !job->refused && job->expected >= 0 && job->received != job->expected) {
        const QString count = QStringLiteral("the server sent %1 of %2 bytes").arg(job->received).arg(job->expected);
        reason = reason.isEmpty() ? count : reason + QStringLiteral(" (") + count + QLatin1Char(')');
    }

    const QString key = job->key;
    job->reply->deleteLater();
    if (record.isEmpty()) {
        // Forgotten while it ran: nobody wants the file either.
        job->file.remove();
        jobs.erase(key);
        return;
    }
    if (!reason.isEmpty()) {
        // A partial file is of no use to anybody.
        job->file.remove();
        jobs.erase(key);
        fail(record, reason);
        return;
    }
    QString renameError;
    const QString path = complete(job, &renameError);
    if (path.isEmpty()) {
        job->file.remove();
        jobs.erase(key);
        fail(record, renameError);
        return;
    }
    const qint64 size = job->received;
    jobs.erase(key);
    record.insert(kName, QFileInfo(path).fileName());
    record.insert(kPath, path);
    record.insert(kStatus, HostStore::StatusSuccess);
    record.insert(kDownloadOffset, double(size));
    record.insert(kFileSize, double(size));
    record.insert(kUpdateTime, now());
    if (!store->put(record))
        emit warning(QStringLiteral("cannot save the download history: %1").arg(store->lastError()));
    emit note(QStringLiteral("downloaded %1 (%2 bytes) to %3").arg(record.value(kName).toString()).arg(size).arg(path));
    emit finished(key, HostStore::StatusSuccess);
}

QString HostDownloader::complete(Job *job, QString *error)
{
    const QFileInfo wanted(job->finalPath);
    QString target = job->finalPath;
    // rename() never overwrites: a file that took the name meanwhile stays.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (job->file.rename(target))
            return target;
        target = wanted.dir().absoluteFilePath(uniqueFileName(wanted.dir(), wanted.fileName()));
    }
    *error = QStringLiteral("cannot name the complete file %1: %2").arg(job->finalPath, job->file.errorString());
    return QString();
}

void HostDownloader::cancel(const QString &fileKey)
{
    auto it = jobs.find(fileKey);
    if (it == jobs.end())
        return;
    std::unique_ptr<Job> job = std::move(it->second);
    jobs.erase(it);
    disconnect(job->reply, nullptr, this, nullptr);
    job->reply->abort();
    job->reply->deleteLater();
    job->file.close();
    job->file.remove();
}

void HostDownloader::cancelAll()
{
    while (!jobs.empty())
        cancel(jobs.begin()->first);
}

void HostDownloader::abandonAll(const QString &reason)
{
    while (!jobs.empty()) {
        const QString key = jobs.begin()->first;
        cancel(key);
        const QJsonObject record = store->record(key);
        if (!record.isEmpty())
            fail(record, reason);
    }
}
