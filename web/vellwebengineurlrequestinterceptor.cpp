// SPDX-License-Identifier: Apache-2.0
#include "web/vellwebengineurlrequestinterceptor.h"

#include "config/hostmatch.h"

#include <QReadLocker>
#include <QWriteLocker>

namespace {

// A line break or NUL cannot travel in a header value: the engine refuses the
// whole request, and the page would never load. Such a token is not sent.
bool headerSafe(const QByteArray &value)
{
    return !value.contains('\r') && !value.contains('\n') && !value.contains('\0');
}

}

VellWebEngineUrlRequestInterceptor::VellWebEngineUrlRequestInterceptor(QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
{
}

void VellWebEngineUrlRequestInterceptor::setAccessToken(const QString &token)
{
    QByteArray value = token.toUtf8();
    if (!headerSafe(value))
        value.clear();
    QWriteLocker locker(&tokenLock);
    accessToken = value;
}

void VellWebEngineUrlRequestInterceptor::setAccessTokenHosts(const QStringList &hosts)
{
    QWriteLocker locker(&tokenLock);
    tokenHosts = hosts;
}

void VellWebEngineUrlRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    QByteArray token;
    QStringList hosts;
    {
        QReadLocker locker(&tokenLock);
        token = accessToken;   // implicitly shared: a reference bump, no allocation
        hosts = tokenHosts;
    }
    if (token.isEmpty())
        return;
    if (!hosts.isEmpty() && !mayCarry(info, hosts))
        return;
    info.setHttpHeader(QByteArrayLiteral("X-Access-Token"), token);
}

// As a browser keeps SameSite cookies: the token goes with a listed host's
// request when the host or the user started it (a page's address, a reload,
// back and forward: nobody in a page started those) or a page of a listed
// host did, and, below the top, only inside a page whose top is listed. A
// form, a frame, a link or a popup of a page off the list gets nothing, even
// from a listed host, and neither does a listed page framed by one.
bool VellWebEngineUrlRequestInterceptor::mayCarry(const QWebEngineUrlRequestInfo &info, const QStringList &hosts)
{
    if (!HostMatch::hostListed(hosts, info.requestUrl()))
        return false;
    const QUrl initiator = info.initiator();
    const bool initiatorListed = HostMatch::hostListed(hosts, initiator);
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame
        || info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadMainFrame)
        return initiator.isEmpty() || initiatorListed;
    // The engine follows a redirect with the headers the first request had,
    // before it calls us again, and no call can take the token back: a
    // listed host's redirect takes a sub-resource's token wherever it points.
    // The page checks the redirects of pages and frames before the engine
    // follows them; for sub-resources nothing can, so only pages of listed
    // hosts get the token on theirs: a page off the list cannot hand it to a
    // listed host's redirect.
    return initiatorListed && HostMatch::hostListed(hosts, info.firstPartyUrl());
}
