// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>

class QLocalSocket;

// One frame the browser wrote, split into its fields, payload decoded.
struct HostFrame
{
    QString category;
    QString subcommand;
    QByteArray payload;   // Base64-decoded
    QByteArray raw;       // exactly as written, ';' included
};

// Plays the host application: listens on a local server, splits what the
// browser writes into frames and sends Base64 frames back.
class FakeHost : public QObject
{
    Q_OBJECT
public:
    // With an empty name the server listens on a path in a temporary folder.
    explicit FakeHost(const QString &serverName = QString(), QObject *parent = nullptr);
    ~FakeHost() override;

    QString serverName() const { return name; }
    bool isListening() const { return server.isListening(); }
    bool waitForClient(int timeoutMs = 30000);
    bool hasClient() const { return !client.isNull(); }
    // False once the browser has closed its end and everything it sent is read.
    bool clientOpen() const;

    void send(const QString &category, const QString &subcommand, const QString &payload);
    void sendRaw(const QByteArray &bytes);
    void hangUp();
    // A host that stops reading: once 64 KiB wait in its socket the system
    // buffers fill and the browser's writes back up. Reading again takes in
    // everything that waits.
    void setReading(bool on);

    QList<HostFrame> frames() const { return received; }
    QList<HostFrame> framesOf(const QString &category, const QString &subcommand) const;
    QByteArray rawBytes() const { return raw; }
    void clear() { received.clear(); raw.clear(); }
    // Waits until at least one frame of that kind has arrived; returns the
    // latest, or an empty frame on time-out.
    HostFrame waitFor(const QString &category, const QString &subcommand, int timeoutMs = 10000);
    bool waitForCount(const QString &category, const QString &subcommand, int count, int timeoutMs = 10000);

    static QByteArray frame(const QString &category, const QString &subcommand, const QString &payload);

signals:
    void frameReceived(const HostFrame &frame);
    void clientConnected();

private:
    void onNewConnection();
    void onReadyRead();

    QTemporaryDir dir;
    QString name;
    QLocalServer server;
    QPointer<QLocalSocket> client;
    QByteArray pending;
    QByteArray raw;
    QList<HostFrame> received;
    bool reading = true;
};

Q_DECLARE_METATYPE(HostFrame)
