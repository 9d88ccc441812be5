// SPDX-License-Identifier: Apache-2.0
#include "config/externallinks.h"

#include <QUrl>

namespace {

// Past this many characters an address is cut in the middle: the box has a
// few lines, and both ends of an address say where it leads.
const int shownLength = 120;

}

bool ExternalLinks::isOwnScheme(const QString &scheme)
{
    static const QStringList own = {
        QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("about"), QStringLiteral("data"),
        QStringLiteral("blob"), QStringLiteral("file"), QStringLiteral("javascript"), QStringLiteral("filesystem"),
        // the engine's and the toolkit's own pages and resources
        QStringLiteral("qrc"), QStringLiteral("chrome"), QStringLiteral("chrome-error"), QStringLiteral("devtools"),
        QStringLiteral("view-source"),
    };
    return own.contains(scheme);
}

ExternalLinks::Decision ExternalLinks::decide(const QUrl &url, const QStringList &allowed)
{
    const QString scheme = url.scheme().toLower();
    if (isOwnScheme(scheme))
        return Show;
    if (allowed == QStringList{QStringLiteral("none")})
        return Refuse;
    return allowed.contains(scheme) ? Open : Ask;
}

QString ExternalLinks::visible(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool hiding = u < 0x20 || (u >= 0x7f && u < 0xa0) || u == 0x061c || u == 0x200e || u == 0x200f
            || (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
        if (!hiding) {
            out += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            out += QStringLiteral("%%1").arg(uchar(byte), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

QString ExternalLinks::question(const QUrl &url, const QString &asker)
{
    QString address = visible(url.toDisplayString(QUrl::RemoveScheme));
    if (address.size() > shownLength)
        address = address.left(shownLength / 2) + QChar(0x2026) + address.right(shownLength / 2 - 1);
    QString text = QStringLiteral("Open this %1: link with another application?\n%2").arg(url.scheme().toLower(), address);
    if (!asker.isEmpty())
        text += QStringLiteral("\nAsked by %1").arg(visible(asker));
    return text;
}
