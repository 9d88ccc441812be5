// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlib/hostexport.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

#include <memory>

namespace ChannelWebBrowser {

// One message the browser wrote: the first three ':'-separated fields of a
// frame, the third already Base64-decoded.
struct CWB_HOST_EXPORT HostMessage
{
    QString category;
    QString subcommand;
    QByteArray payload;   // the decoded bytes: UTF-8 text or JSON
    int fieldCount = 0;   // fields in the frame, including ones past the third
};

// Cuts the browser's byte stream into messages and writes ours. The socket
// may deliver a frame in any number of pieces, so the framer keeps whatever
// follows the last ';' until the rest arrives. Needs nothing but Qt Core.
class CWB_HOST_EXPORT HostFramer
{
public:
    HostFramer();
    // A copy goes on from where the original was, on its own.
    HostFramer(const HostFramer &other);
    HostFramer &operator=(const HostFramer &other);
    ~HostFramer();

    // Complete messages in the bytes seen so far, in order; blank pieces
    // between ';' are skipped.
    QList<HostMessage> feed(const QByteArray &bytes);
    // What follows the last ';' so far: the start of a message still coming.
    QByteArray pending() const;
    // Bytes thrown away because no ';' came within kMaxPending.
    qint64 discarded() const;

    // category:subcommand:Base64(payload); the payload is sent as the bytes
    // given (UTF-8 text, JSON, or an image file's bytes).
    static QByteArray encodeBytes(const QString &category, const QString &subcommand, const QByteArray &payload);
    // The same for a text payload, which travels as UTF-8.
    static QByteArray encode(const QString &category, const QString &subcommand, const QString &payload);
    // One frame without its ';': white space around it is ignored, fields past
    // the third are counted but not kept, and characters outside the Base64
    // alphabet in the payload are skipped.
    static HostMessage parse(const QByteArray &piece);

    // A frame longer than this is not something the browser writes; keeping it
    // would only let a stuck peer grow our memory without bound.
    static constexpr int kMaxPending = 8 * 1024 * 1024;

private:
    // Behind a pointer, like BrowserLink's: a later 1.x may keep more.
    class Private;
    std::unique_ptr<Private> d;
};

}

Q_DECLARE_METATYPE(ChannelWebBrowser::HostMessage)
