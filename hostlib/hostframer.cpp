// SPDX-License-Identifier: Apache-2.0
#include "hostlib/hostframer.h"

namespace ChannelWebBrowser {

class HostFramer::Private
{
public:
    QByteArray tail;
    qint64 dropped = 0;
};

HostFramer::HostFramer()
    : d(std::make_unique<Private>())
{
}

HostFramer::HostFramer(const HostFramer &other)
    : d(std::make_unique<Private>(*other.d))
{
}

HostFramer &HostFramer::operator=(const HostFramer &other)
{
    *d = *other.d;
    return *this;
}

HostFramer::~HostFramer() = default;

QByteArray HostFramer::pending() const
{
    return d->tail;
}

qint64 HostFramer::discarded() const
{
    return d->dropped;
}

QList<HostMessage> HostFramer::feed(const QByteArray &bytes)
{
    QByteArray &tail = d->tail;
    tail.append(bytes);
    QList<HostMessage> out;
    int start = 0;
    int semi;
    while ((semi = tail.indexOf(';', start)) >= 0) {
        const QByteArray piece = tail.mid(start, semi - start).trimmed();
        start = semi + 1;
        if (!piece.isEmpty())
            out.append(parse(piece));
    }
    tail.remove(0, start);
    if (tail.size() > kMaxPending) {
        d->dropped += tail.size();
        tail.clear();
    }
    return out;
}

HostMessage HostFramer::parse(const QByteArray &piece)
{
    const QList<QByteArray> fields = piece.trimmed().split(':');
    HostMessage message;
    message.fieldCount = fields.size();
    message.category = QString::fromLocal8Bit(fields.value(0));
    message.subcommand = QString::fromLocal8Bit(fields.value(1));
    // Characters outside the Base64 alphabet are skipped rather than refused.
    message.payload = QByteArray::fromBase64(fields.value(2));
    return message;
}

QByteArray HostFramer::encodeBytes(const QString &category, const QString &subcommand, const QByteArray &payload)
{
    return category.toLocal8Bit() + ':' + subcommand.toLocal8Bit() + ':' + payload.toBase64() + ';';
}

QByteArray HostFramer::encode(const QString &category, const QString &subcommand, const QString &payload)
{
    return encodeBytes(category, subcommand, payload.toUtf8());
}

}
