// SPDX-License-Identifier: Apache-2.0
#include "web/pagedownloads.h"

#include "web/pageprofile.h"
#include "wire/vocabulary.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QVariant>

// Downloads this close together come from one gesture, a link clicked twice.
static constexpr qint64 downloadGuardMs = 300;
// A file a page made is data the page held in memory as a whole: an export,
// a report, a picture, an archive of a few documents. Half a gigabyte is
// well past those, and below what fills a small disk or the temporary
// folder kept in memory, where the host then copies it once more.
static constexpr qint64 pageFileLimit = 512LL * 1024 * 1024;
// A page that saves a few files at once (a table and its chart) needs no
// click for each; one that keeps going without the user is not exporting
// anything the user asked for. A box per extra download would put the same
// question before the user for as long as the page liked, so the extra
// ones are refused with a line for the host's log, and the user's next
// click or key in the browser lets the page start its next few again.
static constexpr int unpromptedLimit = 3;

PageDownloads::PageDownloads(QObject *parent)
    : QObject(parent)
{
    // Only the window system's input is the user's: a page's script makes
    // no event of the toolkit, let alone a spontaneous one.
    QCoreApplication::instance()->installEventFilter(this);
}

bool PageDownloads::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (event->spontaneous()
        && (type == QEvent::MouseButtonPress || type == QEvent::KeyPress || type == QEvent::TouchBegin))
        unprompted = 0;
    return QObject::eventFilter(watched, event);
}

static QString tooLarge()
{
    return QStringLiteral("cancelled a download made by the page: larger than %1 MiB").arg(pageFileLimit >> 20);
}

static bool unsafeInName(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f)   // C0 with line breaks and NUL, DEL, C1
        || c == 0x2028 || c == 0x2029              // line and paragraph separators
        || (c >= 0x202a && c <= 0x202e)            // embeddings and overrides
        || (c >= 0x2066 && c <= 0x2069)            // isolates
        || c == 0x200e || c == 0x200f || c == 0x061c;   // direction marks
}

QString PageDownloads::cleanName(const QString &name)
{
    QString clean;
    clean.reserve(name.size());
    for (const char32_t c : name.toUcs4()) {
        if (!unsafeInName(c))
            clean += QString::fromUcs4(&c, 1);
    }
    return clean;
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
    if (++unprompted > unpromptedLimit) {
        emit receiveLog(QStringLiteral("refused a download: the page started more than %1 without a click").arg(unpromptedLimit));
        return;
    }
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
    emit ready(url.toString(), cleanName(QFileInfo(download->downloadFileName()).fileName()));
}

bool PageDownloads::keep(WebDownload *download)
{
    if (download->totalBytes() > pageFileLimit) {
        emit receiveLog(tooLarge());
        return true;
    }
    const QString scratch = PageProfile::scratchPath();
    if (scratch.isEmpty())
        return false;
    // A folder of its own for each download keeps the name the page chose,
    // however many files of that name the page makes.
    const QString folder = QDir(scratch).filePath(QStringLiteral("%1/%2").arg(wire::scratch::kPageDownloads).arg(++count));
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QString name = cleanName(QFileInfo(download->downloadFileName()).fileName());
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("download");
    download->setDownloadDirectory(folder);
    download->setDownloadFileName(name);
    EngineCompat::whenFinished(download, this, [this, download] { onFinished(download); });
    EngineCompat::whenProgress(download, this, [this, download](qint64 received, qint64 total) {
        onProgress(download, received, total);
    });
    download->accept();
    return true;
}

// A length the page did not say up front stops the file where it passes the limit.
void PageDownloads::onProgress(WebDownload *download, qint64 received, qint64 total)
{
    if ((received <= pageFileLimit && total <= pageFileLimit) || overLimit.contains(download))
        return;
    overLimit.insert(download);
    emit receiveLog(tooLarge());
    download->cancel();
}

void PageDownloads::onFinished(WebDownload *download)
{
    // One file, one hand-over, should the engine say "finished" twice.
    if (download->property("cwbFinished").toBool())
        return;
    download->setProperty("cwbFinished", true);
    const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    const bool said = overLimit.remove(download);
    if (said || download->state() != WebDownload::DownloadCompleted) {
        if (!said)
            emit receiveLog(QStringLiteral("a download made by the page failed: %1").arg(download->interruptReasonString()));
        QFile::remove(path);
        return;
    }
    emit ready(QUrl::fromLocalFile(path).toString(), download->downloadFileName());
}
