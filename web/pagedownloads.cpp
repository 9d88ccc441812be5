// SPDX-License-Identifier: Apache-2.0
#include "web/pagedownloads.h"

#include "web/pageprofile.h"
#include "wire/vocabulary.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// Downloads this close together come from one gesture, a link clicked twice.
static constexpr qint64 downloadGuardMs = 300;

PageDownloads::PageDownloads(QObject *parent)
    : QObject(parent)
{
}

bool PageDownloads::madeByPage(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("blob") || scheme == QLatin1String("data") || scheme == QLatin1String("filesystem");
}

bool PageDownloads::fetchable(const QUrl &url)
{
    // A page must never make the host copy a file of this machine: a file:
    // address reaches the host only when the browser wrote the file itself.
    const QString scheme = url.scheme();
    return url.isValid() && !scheme.isEmpty() && !url.isLocalFile() && !madeByPage(url)
        && scheme != QLatin1String("qrc") && scheme != QLatin1String("chrome");
}

void PageDownloads::take(WebDownload *download)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (quint64(now - lastTime) <= quint64(downloadGuardMs))
        return;
    lastTime = now;
    const QUrl url = download->url();
    if (madeByPage(url)) {
        if (!keep(download))
            emit receiveLog(QStringLiteral("no place to write a download made by the page"));
        return;
    }
    // Not accepted, the engine drops the download once this returns.
    if (!fetchable(url))
        return;
    // The engine forgets an item nobody accepted once this signal returns, so
    // read what the host needs now; the host fetches the file itself.
    emit ready(url.toString(), QFileInfo(download->downloadFileName()).fileName());
}

bool PageDownloads::keep(WebDownload *download)
{
    const QString scratch = PageProfile::scratchPath();
    if (scratch.isEmpty())
        return false;
    // A folder of its own for each download keeps the name the page chose,
    // however many files of that name the page makes.
    const QString folder = QDir(scratch).filePath(QStringLiteral("%1/%2").arg(wire::scratch::kPageDownloads).arg(++count));
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QString name = QFileInfo(download->downloadFileName()).fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("download");
    download->setDownloadDirectory(folder);
    download->setDownloadFileName(name);
    EngineCompat::whenFinished(download, this, [this, download] { onFinished(download); });
    download->accept();
    return true;
}

void PageDownloads::onFinished(WebDownload *download)
{
    const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    if (download->state() != WebDownload::DownloadCompleted) {
        emit receiveLog(QStringLiteral("a download made by the page failed: %1").arg(download->interruptReasonString()));
        QFile::remove(path);
        return;
    }
    emit ready(QUrl::fromLocalFile(path).toString(), download->downloadFileName());
}
