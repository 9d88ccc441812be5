// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QString>

class HostCommands;

// The host's side of the wire read back: frames the incoming byte stream into
// messages, decodes each and makes it one call on the receiver. "config"
// values go to the configuration store first, then the receiver hears of them.
class HostDecoder
{
public:
    void setReceiver(HostCommands *commands) { receiver = commands; }
    HostCommands *commands() const { return receiver; }

    // Takes one read: whole messages wait for dispatchReady(), the unfinished
    // tail for the next read.
    void frameIncoming(const QByteArray &bytes);
    // Dispatches up to limit framed messages; true while some remain.
    bool dispatchReady(int limit);
    bool hasReady() const { return readyFrom < ready.size(); }
    QByteArray pendingTail() const { return buffer; }
    void clear() { buffer.clear(); ready.clear(); readyFrom = 0; }

    // One message's text without its ';', dispatched at once.
    void parseMessage(const char *data, int size);

    // One message already cut into its fields; decoded is its payload.
    void onConfig(const QString &key, const QByteArray &decoded);
    void onEvent(const QString &subcommand, const QByteArray &decoded);
    void onIQ(const QString &subcommand, const QByteArray &decoded);
    void onWebFile(const QString &subcommand, const QByteArray &decoded);

    // The payload field as the host sent it, decoded leniently.
    static QByteArray decodePayload(const QString &field);
    // True exactly when the trimmed, lower-cased text is "true".
    static bool booleanWord(const QString &text);

private:
    // One message cut into its fields; the payload is a range of its bytes.
    struct Fields
    {
        enum Category { None, Config, Event, WebFile, IQ } category = None;
        QString subcommand;
        bool full = false;   // a payload field is present, if empty
        int payloadFrom = 0;
        int payloadTo = 0;
    };
    static Fields splitMessage(const char *data, int size);
    // The same as the first form, taking the text holding the message
    // (from-to) and decoding over it, so a large value is never held twice.
    void parseMessage(QByteArray &&frame, int from, int to);
    void dispatchMessage(const Fields &fields, const QByteArray &decoded);

    HostCommands *receiver = nullptr;   // not owned; outlives the link
    QByteArray buffer;                  // the tail of the reads, no ';' in it
    // Whole messages read but not dispatched yet, from readyFrom on.
    QByteArray ready;
    int readyFrom = 0;
};
