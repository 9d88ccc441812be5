// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlink/hostdecoder.h"

#include <QByteArray>
#include <QLocalSocket>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <functional>

class HostCommands;

// The one connection to the host application: owns the socket, makes sure the
// host runs as our user, hands what it reads to the decoder in bounded passes,
// writes every outgoing message (holding back pages that outrun the host) and
// ends the process when the link ends. HostDecoder and HostEncoder know the
// wire; this class knows the socket.
class transport : public QObject
{
    Q_OBJECT
public:
    static transport *shareInstance();

    void init();
    void connectToVell(QString name);
    // Tries each endpoint in turn until one has a host listening.
    void connectToVell(const QStringList &names);
    // Who acts on what the host asks; without one those messages are dropped.
    // Not owned: it outlives the link.
    void setReceiver(HostCommands *commands) { decoder.setReceiver(commands); }

    void askPermission(QString key, QString origin, QString feature);
    void getWebfileList(QString key);
    void getWebfileDownloadOffset(QString key, QStringList fileList);
    void downloadFile(QString key, QString url, QString name);
    void redownloadFile(QString key, QString fileKey);
    void removeDownloadFile(QString key, QString fileKey);
    void removeAllDownloadFile(QString key);
    void openFileFoler(QString fileKey);
    void savePosition(QString position);
    void onReceiveLog(QString msg);
    // What a page sent through its bridge, as category:subcommand:payload; a
    // droppable message waits behind the pages' budget, as log lines do.
    void pageMessage(const QString &category, const QString &subcommand, const QString &payload, bool droppable);
    void openOutside(QString page = QString());
    void showChannel(QString page = QString());
    void shareArtile(QString page = QString());
    void storeToVell(QString page = QString());
    void refresh(QString page = QString());
    void navigated(QString url, QString title);
    void loadFinished(QString url, bool ok);
    // Hands what is still buffered to the host now, as the process is ending.
    void flush();

    // One read pass over bytes that arrived; the socket handler feeds it, and
    // so can anything that wants to drive the dispatcher from memory.
    void processIncoming(const QByteArray &bytes);
    QByteArray pendingTail() const { return decoder.pendingTail(); }
    void clearPending() { decoder.clear(); }

    void parseCmd(QString message);

    // Where outgoing bytes go instead of the socket; tests and benchmarks use it.
    void setWriteSink(std::function<void(const QByteArray &)> sink) { writeSink = std::move(sink); }

public slots:
    void socketConnected();
    void socketDisconnected();
    void socketError(QLocalSocket::LocalSocketError e);
    void socketWritten(qint64 bytes);
    void socketReading();

private:
    transport() = default;
    void write(const QByteArray &bytes);
    // What pages send (log lines, their messages) goes through here and is
    // dropped while the host leaves too much of it unread; everything else
    // is written whatever waits.
    void writeFromPage(const QByteArray &bytes);
    // True once size more bytes fit the budget; waits while the host keeps
    // taking what is written, and gives up when it stalls.
    bool roomForPage(qint64 size);
    void reportDropped();
    qint64 unwritten() const;
    void endLink();

    QLocalSocket socket;
    // Held by a read pass; a nested event loop must not start a second one.
    QMutex bufferLock;
    HostDecoder decoder;
    std::function<void(const QByteArray &)> writeSink;
    bool ending = false;
    qint64 droppedFromPages = 0;   // since the host last heard about it
    QStringList untried;           // endpoints left to try while none answered
};
