// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class VellWebEnginePage;

// Keeps the page showing through what the engine does to it. A renderer that
// dies takes the page with it, so the page is loaded again - but not when the
// renderer dies again right after, or the window would never stop reloading.
// And the engine commits the error page of a refused certificate after the
// refusal; that commit cancels a page asked for in between, which would then
// never show, so such a page waits here until the error page has arrived.
class PageRecovery : public QObject
{
    Q_OBJECT
public:
    explicit PageRecovery(VellWebEnginePage *page);
    // Told of every address the host asks for, which wins over a reload
    // the failure page's button asked for a moment before. True when url has
    // to wait for a refused page to settle; it comes back through urlReady()
    // then. The latest url asked for is the one that loads.
    bool holdBack(const QString &url);
signals:
    void urlReady(const QString &url);
    void receiveLog(const QString &line);
private:
    void onRenderProcessTerminated(int status, int exitCode);
    void onCertificateRefused(const QString &line);
    void settleRefusal();
    void showFailure(const QUrl &failed);
    void onUrlChanged(const QUrl &url);

    VellWebEnginePage *page;            // our parent
    qint64 lastRendererRecovery = 0;   // ms since the epoch; 0: never
    bool refusalSettling = false;      // a refused page's error page is on its way
    QString urlAfterRefusal;            // asked for while it was
    QUrl failedUrl;                     // while the failure page shows
    QUrl reloadDue;                     // its button was pressed, the load not yet started
};
