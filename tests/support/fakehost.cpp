// SPDX-License-Identifier: Apache-2.0
#include "tests/support/fakehost.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

FakeHost::FakeHost(const QString &serverName, QObject *parent)
    : QObject(parent)
    , name(serverName.isEmpty() ? dir.filePath(QStringLiteral("host.sock")) : serverName)
{
    qRegisterMetaType<HostFrame>();
    QLocalServer::removeServer(name);
    connect(&server, &QLocalServer::newConnection, this, &FakeHost::onNewConnection);
    server.listen(name);
}

FakeHost::~FakeHost()
{
    if (client)
        client->abort();
    server.close();
}

bool FakeHost::waitForClient(int timeoutMs)
{
    if (client)
        return true;
    QSignalSpy spy(this, &FakeHost::clientConnected);
    return spy.wait(timeoutMs) || client;
}

bool FakeHost::clientOpen() const
{
    return client && client->state() == QLocalSocket::ConnectedState;
}

void FakeHost::onNewConnection()
{
    while (QLocalSocket *socket = server.nextPendingConnection()) {
        client = socket;
        if (!reading)
            client->setReadBufferSize(64 * 1024);
        connect(socket, &QLocalSocket::readyRead, this, &FakeHost::onReadyRead);
        emit clientConnected();
    }
}

void FakeHost::setReading(bool on)
{
    reading = on;
    if (!client)
        return;
    client->setReadBufferSize(on ? 0 : 64 * 1024);
    if (on)
        onReadyRead();
}

void FakeHost::onReadyRead()
{
    if (!client || !reading)
        return;
    const QByteArray bytes = client->readAll();
    raw.append(bytes);
    pending.append(bytes);
    int semi;
    while ((semi = pending.indexOf(';')) >= 0) {
        HostFrame f;
        f.raw = pending.left(semi + 1);
        const QList<QByteArray> fields = pending.left(semi).split(':');
        pending.remove(0, semi + 1);
        f.category = QString::fromLatin1(fields.value(0));
        f.subcommand = QString::fromLatin1(fields.value(1));
        f.payload = QByteArray::fromBase64(fields.value(2));
        received.append(f);
        emit frameReceived(f);
    }
}

QByteArray FakeHost::frame(const QString &category, const QString &subcommand, const QString &payload)
{
    return category.toLatin1() + ':' + subcommand.toLatin1() + ':' + payload.toUtf8().toBase64() + ';';
}

void FakeHost::send(const QString &category, const QString &subcommand, const QString &payload)
{
    sendRaw(frame(category, subcommand, payload));
}

void FakeHost::sendRaw(const QByteArray &bytes)
{
    if (!client)
        return;
    client->write(bytes);
    client->flush();
}

void FakeHost::hangUp()
{
    if (client) {
        client->disconnectFromServer();
        client->deleteLater();
    }
}

QList<HostFrame> FakeHost::framesOf(const QString &category, const QString &subcommand) const
{
    QList<HostFrame> out;
    for (const HostFrame &f : received)
        if (f.category == category && f.subcommand == subcommand)
            out.append(f);
    return out;
}

HostFrame FakeHost::waitFor(const QString &category, const QString &subcommand, int timeoutMs)
{
    if (!waitForCount(category, subcommand, 1, timeoutMs))
        return HostFrame();
    return framesOf(category, subcommand).last();
}

bool FakeHost::waitForCount(const QString &category, const QString &subcommand, int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (framesOf(category, subcommand).size() < count) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}
