#include "web/pagerecovery.h"

#include "web/vellwebenginepage.h"

#include <QDateTime>
#include <QTimer>
#include <utility>

// The engine reports the error page well within this; should it never, what
// waits loads anyway.
static constexpr int refusalSettleLimitMs = 1000;
// A renderer that dies again this soon after its reload dies of the page itself.
static constexpr qint64 rendererRetryQuietMs = 10000;

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
}

bool PageRecovery::holdBack(const QString &url)
{
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
        return;
    }
    lastRendererRecovery = now;
    emit receiveLog(QStringLiteral("page renderer ended (status %1, code %2); reloading %3").arg(status).arg(exitCode).arg(url));
    page->triggerAction(QWebEnginePage::Reload);
}
