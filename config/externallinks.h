// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QString>
#include <QStringList>

class QUrl;

// Addresses the browser does not show itself but hands to another program of
// the desktop (mailto:, tel:, an application's own scheme), and what becomes
// of a link to one. The host names the schemes that may go without asking
// ("externalSchemes"); {"none"} lets nothing go.
class ExternalLinks
{
public:
    enum Decision {
        Show,     // the browser's own: http(s), about, data, blob, file, the engine's
        Open,     // another program's, allowed ahead by the host
        Ask,      // another program's, the user decides
        Refuse,   // another program's, and the host lets none go
    };

    // scheme in lower case.
    static bool isOwnScheme(const QString &scheme);
    static Decision decide(const QUrl &url, const QStringList &allowed);

    // "Open this mailto: link with another application?" and, on its own
    // line, what the program would be given, shortened when long; then who
    // asks, the origin of the page, when known. Characters that could hide
    // or turn text around (controls, bidi marks) are shown as their escapes.
    static QString question(const QUrl &url, const QString &asker = QString());
    // text with those characters as %XX escapes of their UTF-8 bytes.
    static QString visible(const QString &text);
};
