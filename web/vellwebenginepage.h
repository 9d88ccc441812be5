// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>

class PageDialogs;
class QWebEngineProfile;

// The page the window shows. Pages of the host's own services often sit behind
// internal or self-signed certificates, and the window has no place to ask the
// user about them, so every certificate error is overridden - unless the host
// asked for strict certificates, and then the engine's error page shows.
// Nothing leaves through the page without the host's or the user's say-so:
// links to other programs wait for the user, only the host opens local files,
// and a redirect never takes the access token to a host off the host's list.
class VellWebEnginePage : public QWebEnginePage
{
    Q_OBJECT
public:
    // The address of the document the page shows: the last one the engine
    // committed, not one still on its way (url() names that as soon as the
    // host asks for it). Without user name and password, which are nobody
    // else's business. Empty before the first page is in.
    static QUrl shownUrl(const QWebEnginePage *page);
    VellWebEnginePage(QWebEngineProfile *profile, QObject *parent);
    explicit VellWebEnginePage(QObject *parent);
    void setStrictCertificates(bool on) { strict = on; }
    // The hosts the interceptor gives the token to (HostMatch); empty: every
    // host, or no token at all, and then redirects need no care.
    void setTokenHosts(const QStringList &hosts) { tokenHosts = hosts; }
    // Schemes that open in other programs without asking (ExternalLinks).
    void setExternalSchemes(const QStringList &schemes) { externalSchemes = schemes; }
    // On: a window.open() with window features that the user's click or key
    // made asks the view for a window (see VellChatWebView), and one without
    // gets null, as every window.open() without the user does then; off:
    // window.open() with features gets null. Takes effect with the next load.
    void setPopups(bool on);
    bool popups() const { return popupsOn; }
    // Whether the page's last ask for a new window came from the user's click
    // or key, as far as the engine tells (EngineCompat::whenWindowRequested);
    // where it cannot, the engine itself let no other ask through.
    bool windowAskedByUser() const { return askedByUser; }
    // A page for a window this one opened: the same profile (cookies, token,
    // downloads) and the same rules but no popups of its own; what it
    // refuses, and the links to other programs its user clicks, are
    // reported as this page's own.
    VellWebEnginePage *popupPage(QObject *parent);
signals:
    // A load stopped at a certificate error; one line for the host's log.
    void certificateRefused(QString line);
    // The user clicked a link to another program's address; nothing was
    // opened, the user is to decide.
    void externalLinkRequested(QUrl url);
    // A navigation the page was not let make; one line for the host's log.
    void navigationRefused(QString line);
protected:
#if QT_VERSION_MAJOR < 6
    bool certificateError(const QWebEngineCertificateError &error) override;
#endif
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    // Asked in the window's own box over the page (PageDialogs).
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
private:
    // Whether a load goes on past a certificate error; says so when not.
    bool overridesCertificate(const QUrl &url, const QString &description);
    void answerCertificateErrors();
    void refuseWindows();
    bool acceptRedirect(const QUrl &url, bool isMainFrame);
    bool mayCarry(NavigationType type) const;
    PageDialogs *dialogs = nullptr;

    bool strict = false;
    bool popupsOn = false;
    bool askedByUser = true;
    QStringList tokenHosts;
    QStringList externalSchemes;
    int freshLoads = 0;   // redirects of the page loaded afresh in a row
    QUrl freshUrl;        // the last of them
    QUrl pageRequest;     // where the page's last request went, redirects included
    // Whether the page's current load was started by the host or the user
    // (an address, a reload, back and forward) or by a page of a listed
    // host. A load that a page off the list started never carries the token,
    // on any of its redirects.
    bool loadMayCarry = true;
    bool openerListed = true;   // for a popup's first load: its opener's say
};
