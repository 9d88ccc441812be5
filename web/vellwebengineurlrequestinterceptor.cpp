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

bool isNavigation(QWebEngineUrlRequestInfo::ResourceType type)
{
    return type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame || type == QWebEngineUrlRequestInfo::ResourceTypeSubFrame
        || type == QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadMainFrame
        || type == QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadSubFrame;
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
    if (!hosts.isEmpty() && !HostMatch::hostListed(hosts, info.requestUrl()))
        return;
    // The engine follows a redirect with the headers the first request had,
    // before it calls us again, and no call can take the token back: a
    // listed host's redirect takes a sub-resource's token wherever it points.
    // The page checks the redirects of pages and frames before the engine
    // follows them; for sub-resources nothing can, so only pages of listed
    // hosts get the token on theirs: a page off the list cannot hand it to a
    // listed host's redirect.
    if (!hosts.isEmpty() && !isNavigation(info.resourceType()) && !HostMatch::hostListed(hosts, info.initiator()))
        return;
    info.setHttpHeader(QByteArrayLiteral("X-Access-Token"), token);
}
