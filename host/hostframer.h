#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One message the browser wrote: the first three ':'-separated fields of a
// frame, the third already Base64-decoded.
struct HostMessage
{
    QString category;
    QString subcommand;
    QByteArray payload;
    int fieldCount = 0;
};

// Cuts the browser's byte stream into messages and writes ours. The socket
// may deliver a frame in any number of pieces, so the framer keeps whatever
// follows the last ';' until the rest arrives.
class HostFramer
{
public:
    // Complete messages in the bytes seen so far; blank pieces are skipped.
    QList<HostMessage> feed(const QByteArray &bytes);
    QByteArray pending() const { return tail; }
    // Bytes thrown away because no ';' came within kMaxPending.
    qint64 discarded() const { return dropped; }

    // category:subcommand:Base64(UTF-8 payload);
    static QByteArray encode(const QString &category, const QString &subcommand, const QString &payload);
    static HostMessage parse(const QByteArray &piece);

    // A frame longer than this is not something the browser writes; keeping it
    // would only let a stuck peer grow our memory without bound.
    static constexpr int kMaxPending = 8 * 1024 * 1024;

private:
    QByteArray tail;
    qint64 dropped = 0;
};
