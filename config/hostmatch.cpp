// SPDX-License-Identifier: Apache-2.0
#include "config/hostmatch.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>

namespace {

// Labels of letters, digits, '-' and '_' (some internal names have one),
// never starting or ending with '-'.
bool plainName(const QString &name)
{
    static const QRegularExpression label(QStringLiteral("^[a-z0-9_]([a-z0-9_-]{0,61}[a-z0-9_])?$"));
    if (name.isEmpty() || name.size() > 253)
        return false;
    const QStringList labels = name.split(QLatin1Char('.'));
    for (const QString &l : labels)
        if (!label.match(l).hasMatch())
            return false;
    return true;
}

// A normal host, or "*." followed by one that is a name (no IP address).
QString normalPattern(const QString &item)
{
    if (!item.startsWith(QLatin1String("*.")))
        return HostMatch::normalHost(item);
    const QString base = HostMatch::normalHost(item.mid(2));
    if (base.isEmpty() || !QHostAddress(base).isNull())
        return QString();
    return QStringLiteral("*.") + base;
}

int defaultPort(const QString &scheme)
{
    if (scheme == QLatin1String("http") || scheme == QLatin1String("ws"))
        return 80;
    if (scheme == QLatin1String("https") || scheme == QLatin1String("wss"))
        return 443;
    return -1;
}

QString origin(const QString &scheme, const QString &host, int port)
{
    const bool v6 = host.contains(QLatin1Char(':'));
    QString text = scheme + QStringLiteral("://") + (v6 ? QLatin1Char('[') + host + QLatin1Char(']') : host);
    if (port >= 0 && port != defaultPort(scheme))
        text += QLatin1Char(':') + QString::number(port);
    return text;
}

bool parseList(const QString &text, QStringList *out, QString (*normal)(const QString &))
{
    QStringList items;
    for (const QString &piece : text.split(QLatin1Char(','))) {
        const QString item = piece.trimmed();
        if (item.isEmpty())
            continue;
        const QString n = normal(item);
        if (n.isEmpty())
            return false;
        items << n;
    }
    *out = items;
    return true;
}

QString normalOrigin(const QString &item)
{
    static const QRegularExpression form(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://([^/?#@]+?)(?::(\\d{1,5}))?/?$"));
    const QRegularExpressionMatch m = form.match(item);
    if (!m.hasMatch())
        return QString();
    const QString scheme = m.captured(1).toLower();
    const QString host = HostMatch::normalHost(m.captured(2));
    int port = -1;
    if (m.capturedLength(3) > 0) {
        port = m.captured(3).toInt();
        if (port < 1 || port > 65535)
            return QString();
    }
    if (host.isEmpty())
        return QString();
    return origin(scheme, host, port);
}

}

QString HostMatch::normalHost(const QString &text)
{
    QString host = text.trimmed();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    else if (host.endsWith(QLatin1Char('.')))
        host.chop(1);   // the root of the name tree, "example.org." is example.org
    QHostAddress address;
    if (host.contains(QLatin1Char(':')) || QRegularExpression(QStringLiteral("^[0-9.]+$")).match(host).hasMatch()) {
        // Only the full dotted form counts as an IPv4 address; "127.1" is
        // no host anybody means.
        if (!address.setAddress(host))
            return QString();
        if (address.protocol() == QAbstractSocket::IPv4Protocol && host.count(QLatin1Char('.')) != 3)
            return QString();
        return address.toString();
    }
    // Case folding and the ASCII form of international names in one step.
    const QString ace = QString::fromLatin1(QUrl::toAce(host));
    const QString lower = ace.toLower();
    return plainName(lower) ? lower : QString();
}

bool HostMatch::parseHostList(const QString &text, QStringList *out)
{
    return parseList(text, out, normalPattern);
}

bool HostMatch::parseOriginList(const QString &text, QStringList *out)
{
    return parseList(text, out, normalOrigin);
}

QString HostMatch::originOf(const QUrl &url)
{
    const QString host = normalHost(url.host(QUrl::EncodeUnicode));
    if (host.isEmpty())
        return QString();
    return origin(url.scheme().toLower(), host, url.port());
}

bool HostMatch::hostListed(const QStringList &patterns, const QUrl &url)
{
    const QString host = normalHost(url.host(QUrl::EncodeUnicode));
    if (host.isEmpty())
        return false;
    for (const QString &p : patterns) {
        if (p.startsWith(QLatin1String("*."))) {
            if (host.endsWith(QStringView(p).mid(1)) && host.size() > p.size() - 1)
                return true;
        } else if (host == p) {
            return true;
        }
    }
    return false;
}

bool HostMatch::originListed(const QStringList &origins, const QUrl &url)
{
    const QString o = originOf(url);
    return !o.isEmpty() && origins.contains(o);
}
