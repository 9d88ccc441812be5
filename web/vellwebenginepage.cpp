// SPDX-License-Identifier: Apache-2.0
#include "web/vellwebenginepage.h"

#include "config/externallinks.h"
#include "config/hostmatch.h"
#include "web/enginecompat.h"
#include "web/pagedialogs.h"

#include <QWebEngineCertificateError>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace {

// As many redirects in a row as the engine itself follows before it gives up.
const int redirectLimit = 20;
const QString refusePopupsScript = QStringLiteral("refuse-popups");

QString shown(const QUrl &url)
{
    return url.toDisplayString(QUrl::RemoveUserInfo);
}

}

VellWebEnginePage::VellWebEnginePage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
    , dialogs(new PageDialogs(this))
{
    answerCertificateErrors();
    refuseWindows();
    EngineCompat::followRefusedLinksInPlace(this);
    EngineCompat::whenWindowRequested(this, [this](bool byUser) { askedByUser = byUser; });
}

// The engine hands a page its new window's object before it asks the view
// for a place to show it, so a popup the view refuses would still look
// opened to the page, which then waits for a login that never comes. A
// window.open() with window features (a popup) gets null at once instead;
// without features it opens in this view, as a link to a new tab does.
void VellWebEnginePage::refuseWindows()
{
    QWebEngineScript script;
    script.setName(refusePopupsScript);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(
        "(function () { var open = window.open;"
        " window.open = function (url, name, features) {"
        "  return features ? null : open.apply(window, arguments); }; })();"));
    scripts().insert(script);
}

VellWebEnginePage::VellWebEnginePage(QObject *parent)
    : QWebEnginePage(parent)
    , dialogs(new PageDialogs(this))
{
    answerCertificateErrors();
}

void VellWebEnginePage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    dialogs->ask(PageDialogs::Kind::Alert, securityOrigin, msg);
}

bool VellWebEnginePage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    // The engine puts its leave question through confirm() too.
    const auto kind = PageDialogs::isLeaveQuestion(msg) ? PageDialogs::Kind::Leave : PageDialogs::Kind::Confirm;
    return dialogs->ask(kind, securityOrigin, msg);
}

bool VellWebEnginePage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                                         QString *result)
{
    QString text = defaultValue;
    const bool ok = dialogs->ask(PageDialogs::Kind::Prompt, securityOrigin, msg, &text);
    if (ok && result)
        *result = text;
    return ok;
}

QUrl VellWebEnginePage::shownUrl(const QWebEnginePage *page)
{
    if (!page)
        return QUrl();
    // The history's current entry is the committed one: a new load only
    // joins it once its document is in.
    const QWebEngineHistoryItem current = page->history()->currentItem();
    return current.isValid() ? current.url().adjusted(QUrl::RemoveUserInfo) : QUrl();
}

void VellWebEnginePage::setPopups(bool on)
{
    if (on == popupsOn)
        return;
    popupsOn = on;
    // The engine's own popup blocker, off by default: a window.open() without
    // the user's click or key gets null, before the engine asks for a
    // window, on either engine.
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, !on);
    if (on)
        EngineCompat::removeScripts(this, refusePopupsScript);
    else
        refuseWindows();
}

VellWebEnginePage *VellWebEnginePage::popupPage(QObject *parent)
{
    auto *popup = new VellWebEnginePage(profile(), parent);
    popup->setStrictCertificates(strict);
    popup->setTokenHosts(tokenHosts);
    popup->openerListed = tokenHosts.isEmpty() || HostMatch::hostListed(tokenHosts, url());
    popup->setExternalSchemes(externalSchemes);
    connect(popup, &VellWebEnginePage::navigationRefused, this, &VellWebEnginePage::navigationRefused);
    // Told as one of the opener's refusals: the opener's own certificate
    // refusals hold its next address back, which a popup's must not.
    connect(popup, &VellWebEnginePage::certificateRefused, this, &VellWebEnginePage::navigationRefused);
    connect(popup, &VellWebEnginePage::externalLinkRequested, this, &VellWebEnginePage::externalLinkRequested);
    connect(popup->dialogs, &PageDialogs::receiveLog, dialogs, &PageDialogs::receiveLog);
    return popup;
}

bool VellWebEnginePage::overridesCertificate(const QUrl &url, const QString &description)
{
    if (!strict)
        return true;
    emit certificateRefused(QStringLiteral("refused %1: %2").arg(shown(url), description));
    return false;
}

// The older engine asks a virtual function, the newer one sends a signal that
// must be answered.
#if QT_VERSION_MAJOR < 6
bool VellWebEnginePage::certificateError(const QWebEngineCertificateError &error)
{
    return overridesCertificate(error.url(), error.errorDescription());
}

void VellWebEnginePage::answerCertificateErrors()
{
}
#else
void VellWebEnginePage::answerCertificateErrors()
{
    connect(this, &QWebEnginePage::certificateError, this, [this](QWebEngineCertificateError error) {
        if (overridesCertificate(error.url(), error.description()) && error.isOverridable())
            error.acceptCertificate();
        else
            error.rejectCertificate();
    });
}
#endif

bool VellWebEnginePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // The engine asks about another program's address only once the user
    // clicked (a page's script alone opens nothing), right before it hands the
    // address to the desktop; refused here, nothing is handed on.
    switch (ExternalLinks::decide(url, externalSchemes)) {
    case ExternalLinks::Open:
        return true;
    case ExternalLinks::Ask:
        emit externalLinkRequested(url);
        return false;
    case ExternalLinks::Refuse:
        emit navigationRefused(QStringLiteral("refused %1: externalSchemes is none").arg(shown(url)));
        return false;
    case ExternalLinks::Show:
        break;
    }
    // Local files are the host's to show: a file dropped where the page takes
    // none, a link on a local page or a redirect must not open one. Typed is
    // the program's own load; reloading and going back only revisit it.
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0 && type != NavigationTypeTyped
        && type != NavigationTypeReload && type != NavigationTypeBackForward)
        return false;
    if (type == NavigationTypeRedirect && !tokenHosts.isEmpty())
        return acceptRedirect(url, isMainFrame);
    if (isMainFrame && !(type == NavigationTypeTyped && url == freshUrl)) {
        freshLoads = 0;
        loadMayCarry = mayCarry(type);
    }
    if (isMainFrame)
        pageRequest = url;
    return true;
}

// Who started a load, as far as the page can tell: the engine's own request
// filter sees the page that did and decides the first request by it; this
// keeps its redirects to the same rule.
bool VellWebEnginePage::mayCarry(NavigationType type) const
{
    if (tokenHosts.isEmpty())
        return true;
    const QUrl current = url();
    if (current.isEmpty() || current.scheme() == QLatin1String("about"))
        return openerListed;
    if (type == NavigationTypeTyped || type == NavigationTypeReload || type == NavigationTypeBackForward)
        return true;
    return HostMatch::hostListed(tokenHosts, current);
}

// The engine follows a redirect with the headers of the request before it,
// the access token included, and then asks the interceptor too late to take
// it back. It asks here first, though: a page's redirect across the edge of
// the list is loaded afresh, so that the interceptor decides for the new host
// on its own, and a frame may only be redirected to a host that may have the
// token anyway.
bool VellWebEnginePage::acceptRedirect(const QUrl &url, bool isMainFrame)
{
    if (!isMainFrame) {
        if (HostMatch::hostListed(tokenHosts, url))
            return true;
        emit navigationRefused(QStringLiteral("refused a frame's redirect to %1: the host is not in accessTokenHosts").arg(shown(url)));
        return false;
    }
    // Between two listed hosts, or two hosts off the list, the headers the
    // engine carries over are the right ones: it follows the redirect itself,
    // and a form's POST keeps its body and the page its referrer. A load a
    // page off the list started never had the token to carry.
    if (!loadMayCarry || HostMatch::hostListed(tokenHosts, pageRequest) == HostMatch::hostListed(tokenHosts, url)) {
        pageRequest = url;
        return true;
    }
    if (++freshLoads > redirectLimit) {
        emit navigationRefused(QStringLiteral("refused %1: too many redirects").arg(shown(url)));
        return false;
    }
    freshUrl = url;
    QMetaObject::invokeMethod(this, [this, url] { load(url); }, Qt::QueuedConnection);
    return false;
}
