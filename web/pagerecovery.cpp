// SPDX-License-Identifier: Apache-2.0
#include "web/pagerecovery.h"

#include "config/vellchatwbconfigure.h"
#include "web/vellwebenginepage.h"

#include <QDateTime>
#include <QTimer>
#include <utility>

// The engine reports the error page well within this; should it never, what
// waits loads anyway.
static constexpr int refusalSettleLimitMs = 1000;
// A renderer that dies again this soon after its reload dies of the page itself.
static constexpr qint64 rendererRetryQuietMs = 10000;
// Where the failure page's Reload button leads, within the page.
static const QString reloadFragment = QStringLiteral("reload");

PageRecovery::PageRecovery(VellWebEnginePage *page)
    : QObject(page)
    , page(page)
{
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                onRenderProcessTerminated(int(status), exitCode);
            });
    connect(page, &VellWebEnginePage::certificateRefused, this, &PageRecovery::onCertificateRefused);
    connect(page, &QWebEnginePage::loadFinished, this, &PageRecovery::settleRefusal);
    connect(page, &QWebEnginePage::urlChanged, this, &PageRecovery::onUrlChanged);
}

bool PageRecovery::holdBack(const QString &url)
{
    reloadDue.clear();
    if (!refusalSettling)
        return false;
    urlAfterRefusal = url;
    return true;
}

void PageRecovery::onCertificateRefused(const QString &line)
{
    emit receiveLog(line);
    refusalSettling = true;
    QTimer::singleShot(refusalSettleLimitMs, this, &PageRecovery::settleRefusal);
}

void PageRecovery::settleRefusal()
{
    if (!refusalSettling)
        return;
    refusalSettling = false;
    const QString next = std::exchange(urlAfterRefusal, QString());
    if (!next.isEmpty())
        emit urlReady(next);
}

void PageRecovery::onRenderProcessTerminated(int status, int exitCode)
{
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QString url = page->url().toString();
    if (lastRendererRecovery != 0 && now - lastRendererRecovery < rendererRetryQuietMs) {
        emit receiveLog(QStringLiteral("page renderer ended again (status %1, code %2) right after a reload; not reloading %3")
                            .arg(status).arg(exitCode).arg(url));
        // A page set from within the engine's report of the death looks
        // shown, but the engine has not taken the dead page down yet and
        // drops all that the new one asks for: a click on its link went
        // nowhere. Set once the report is over, it works.
        const QUrl failed = page->url();
        QMetaObject::invokeMethod(this, [this, failed] { showFailure(failed); }, Qt::QueuedConnection);
        return;
    }
    lastRendererRecovery = now;
    emit receiveLog(QStringLiteral("page renderer ended (status %1, code %2); reloading %3").arg(status).arg(exitCode).arg(url));
    // Not from within the report either: the newer engine drops a reload
    // asked for there, and the window stayed blank.
    QMetaObject::invokeMethod(page, [page = page] { page->triggerAction(QWebEnginePage::Reload); }, Qt::QueuedConnection);
}

// Rather than a blank window, a page that says what happened, with one
// button - focused, so Enter works at once and a screen reader lands on it -
// that loads the failed page again. Only our own texts go into it. The
// button only moves within the page, and the load starts here: a load the
// page started itself, from its data: address to the failed one, could
// swallow an address the host sent right after it.
void PageRecovery::showFailure(const QUrl &failed)
{
    failedUrl = failed;
    const QString text = VellChatWBConfigure::PageCrashedText().toHtmlEscaped();
    const QString button = VellChatWBConfigure::PageReloadText().toHtmlEscaped();
    const QString target = QStringLiteral("#") + reloadFragment;
    const QString html = QStringLiteral(
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
        "<body style=\"font-family:sans-serif;text-align:center;margin-top:20vh\">"
        "<p role=\"alert\">%1</p>"
        "<p><a id=\"reload\" role=\"button\" href=\"%3\" autofocus "
        "style=\"display:inline-block;padding:6px 18px;border:1px solid #888;border-radius:4px;color:#000;text-decoration:none\">%2</a></p>"
        "<script>document.getElementById('reload').focus();</script>"
        "</body></html>").arg(text, button, target);
    page->setHtml(html);
}

void PageRecovery::onUrlChanged(const QUrl &url)
{
    if (url.scheme() != QLatin1String("data")) {
        failedUrl.clear();
        return;
    }
    if (url.fragment() != reloadFragment || failedUrl.isEmpty())
        return;
    reloadDue = std::exchange(failedUrl, QUrl());
    // Loaded once the engine's report of the move within the page is over:
    // a load started from inside it could leave the engine deaf to the
    // host's next address.
    QMetaObject::invokeMethod(this, [this] {
        if (!reloadDue.isEmpty())
            page->load(std::exchange(reloadDue, QUrl()));
    }, Qt::QueuedConnection);
}
