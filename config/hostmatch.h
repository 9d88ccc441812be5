// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QString>
#include <QStringList>

class QUrl;

// Host names and origins as the hardening keys name them, and whether a page
// address belongs to them. Everything is compared in one normal form: lower
// case, no trailing dot, international names in their ASCII (xn--) form, IP
// addresses as the toolkit writes them, the scheme's default port left out.
class HostMatch
{
public:
    // "Example.ORG." -> "example.org", "bücher.de" -> "xn--bcher-kva.de",
    // "[::1]" -> "::1"; empty when the text is no host name or IP address.
    static QString normalHost(const QString &text);

    // A comma list of host names, each exact or "*.example.org" for every
    // name below example.org (not example.org itself). Empty items are
    // skipped; false when any other item is malformed, and then out is left
    // alone.
    static bool parseHostList(const QString &text, QStringList *out);
    // A comma list of origins, scheme://host[:port] with nothing after it
    // but an optional "/". Empty items are skipped; false when any other
    // item is malformed, and then out is left alone.
    static bool parseOriginList(const QString &text, QStringList *out);

    // The normal form of url's origin, "https://example.org" or
    // "http://127.0.0.1:8080"; empty for an address without a host.
    static QString originOf(const QUrl &url);

    // Whether url's host is one of the patterns of parseHostList.
    static bool hostListed(const QStringList &patterns, const QUrl &url);
    // Whether url's origin is one of the origins of parseOriginList.
    static bool originListed(const QStringList &origins, const QUrl &url);
};
