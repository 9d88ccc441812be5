#pragma once

#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineProfile;

// The page the window shows. Pages of the host's own services often sit behind
// internal or self-signed certificates, and the window has no place to ask the
// user about them, so every certificate error is overridden - unless the host
// asked for strict certificates, and then the engine's error page shows.
// A redirect never takes the access token to a host off the host's list.
class VellWebEnginePage : public QWebEnginePage
{
    Q_OBJECT
public:
    VellWebEnginePage(QWebEngineProfile *profile, QObject *parent);
    explicit VellWebEnginePage(QObject *parent);
    void setStrictCertificates(bool on) { strict = on; }
    // The hosts the interceptor gives the token to (HostMatch); empty: every
    // host, or no token at all, and then redirects need no care.
    void setTokenHosts(const QStringList &hosts) { tokenHosts = hosts; }
signals:
    // A load stopped at a certificate error; one line for the host's log.
    void certificateRefused(QString line);
    // A navigation the page was not let make; one line for the host's log.
    void navigationRefused(QString line);
protected:
    bool certificateError(const QWebEngineCertificateError &error) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
private:
    bool acceptRedirect(const QUrl &url, bool isMainFrame);

    bool strict = false;
    QStringList tokenHosts;
    int freshLoads = 0;   // redirects of the page loaded afresh in a row
    QUrl freshUrl;        // the last of them
};
