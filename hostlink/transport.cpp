// SPDX-License-Identifier: Apache-2.0
#include "hostlink/transport.h"

#include "config/logcategories.h"
#include "hostlink/hostcommands.h"
#include "hostlink/endpoint.h"
#include "hostlink/hostencoder.h"

#include <QCoreApplication>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Messages one read pass dispatches before it lets the event loop run: a box
// costs about half a millisecond, so a pass of them stays near 30 ms.
const int kMessagesPerPass = 64;

// What pages may have waiting for the host, unwritten, before their further
// messages are dropped: room for a few hundred long log lines, and a bound
// on what a page can make the browser hold for a host that does not read.
const qint64 kPageBudget = 4 * 1024 * 1024;
// How long a host may take nothing before it counts as not reading.
const int kHostStallMs = 250;

// How long the process outlives the link: the window's page goes through the
// event loop first, so the page engine never shuts down under a live page.
// With a window open its closing usually ends the process sooner.
const int kExitDelayMs = 500;

}

transport *transport::shareInstance()
{
    static transport *instance = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        instance = new transport;
        instance->init();
    });
    return instance;
}

void transport::init()
{
    connect(&socket, &QLocalSocket::connected, this, &transport::socketConnected);
    connect(&socket, &QLocalSocket::disconnected, this, &transport::socketDisconnected);
    connect(&socket, &QLocalSocket::errorOccurred, this, &transport::socketError);
    connect(&socket, &QLocalSocket::bytesWritten, this, &transport::socketWritten);
    connect(&socket, &QLocalSocket::readyRead, this, &transport::socketReading);
    decoder.clear();
}

void transport::connectToVell(QString name)
{
    untried.clear();
    socket.connectToServer(name, QIODevice::ReadWrite);
}

void transport::connectToVell(const QStringList &names)
{
    if (names.isEmpty())
        return;
    // Another user's socket, or a link, at the shared path is passed over
    // before any connection: the peer check below would refuse its listener,
    // but a link could lead to a socket of ours that is no host.
    QStringList usable;
    for (const QString &name : names) {
        uint owner = 0;
        if (!name.startsWith(psServerPrefix()) || sharedEndpointAt(name, &owner) != SharedEndpoint::Foreign) {
            usable << name;
            continue;
        }
        std::fprintf(stderr, "channel-web-browser: %s is no socket of this user (%u) but belongs to user id %u; not using it\n",
                     qPrintable(name), unsigned(::geteuid()), owner);
        std::fflush(stderr);
    }
    if (usable.isEmpty()) {
        // As when nobody listens.
        QMetaObject::invokeMethod(this, [this] { endLink(); }, Qt::QueuedConnection);
        return;
    }
    untried = usable.mid(1);
    socket.connectToServer(usable.first(), QIODevice::ReadWrite);
}

void transport::socketConnected()
{
    qCDebug(lcHostLink) << "socketConnected";
    untried.clear();
    // Anyone can create the endpoint in /tmp before the real host does; only
    // a host running as our own user is ours. Nothing has been read or
    // written yet: the check comes before the first read pass.
    struct ucred peer = {};
    socklen_t size = sizeof peer;
    const uid_t self = ::geteuid();
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
        std::fprintf(stderr, "channel-web-browser: cannot tell which user listens on %s (%s); not using it\n",
                     qPrintable(socket.fullServerName()), std::strerror(errno));
    } else if (peer.uid != self) {
        std::fprintf(stderr, "channel-web-browser: %s is served by user id %u, not by this user (%u); not using it\n",
                     qPrintable(socket.fullServerName()), unsigned(peer.uid), unsigned(self));
    } else {
        return;
    }
    std::fflush(stderr);
    // The same end as when nobody listens; disconnected() must not start
    // it a second time, so stop listening to the socket first.
    socket.disconnect(this);
    socket.abort();
    endLink();
}

void transport::socketDisconnected()
{
    qCDebug(lcHostLink) << "socketDisconnected";
    endLink();
}

void transport::socketError(QLocalSocket::LocalSocketError e)
{
    qCDebug(lcHostLink) << "QLocalSocket::LocalSocketError e:" << e;
    // Nobody at this endpoint (no file, or the file of a host that is gone):
    // the host may listen at the next one. The socket reports the failure
    // from inside its own connect, so the next try waits for the event loop.
    const bool neverConnected = e == QLocalSocket::ServerNotFoundError || e == QLocalSocket::ConnectionRefusedError;
    if (neverConnected && !untried.isEmpty()) {
        const QString next = untried.takeFirst();
        QMetaObject::invokeMethod(this, [this, next] { socket.connectToServer(next, QIODevice::ReadWrite); }, Qt::QueuedConnection);
        return;
    }
    untried.clear();
    endLink();
}

void transport::socketWritten(qint64 bytes)
{
    qCDebug(lcHostLink) << "socketWritten:" << bytes;
    reportDropped();
}

void transport::endLink()
{
    // The window goes at once. Messages still waiting for their read pass
    // could only act on it, so they go with it rather than open a new one;
    // the process ends shortly after.
    ending = true;
    if (HostCommands *commands = decoder.commands())
        commands->linkEnded();
    QTimer::singleShot(kExitDelayMs, this, [] { QCoreApplication::exit(0); });
}

void transport::socketReading()
{
    qCDebug(lcHostLink) << "socketReading";
    if (ending)
        return;
    // A nested event loop (a page waiting for the user information) can bring
    // us back here while a pass is still dispatching; finish that pass first
    // and pick the new bytes up right after it.
    if (!bufferLock.tryLock()) {
        QMetaObject::invokeMethod(this, &transport::socketReading, Qt::QueuedConnection);
        return;
    }
    // One socket read can hold thousands of messages, and some of them (a box,
    // a page) cost real work: a pass dispatches a bounded share and comes back
    // for the rest, so that a flood leaves the window time to paint. New bytes
    // wait in the socket until the earlier ones are dispatched.
    if (!decoder.hasReady())
        decoder.frameIncoming(socket.readAll());
    const bool more = decoder.dispatchReady(kMessagesPerPass) || socket.bytesAvailable() > 0;
    bufferLock.unlock();
    if (more)
        QMetaObject::invokeMethod(this, &transport::socketReading, Qt::QueuedConnection);
}

void transport::processIncoming(const QByteArray &bytes)
{
    QMutexLocker locker(&bufferLock);
    decoder.frameIncoming(bytes);
    decoder.dispatchReady(std::numeric_limits<int>::max());
}

void transport::parseCmd(QString message)
{
    const QByteArray bytes = message.toLocal8Bit();
    decoder.parseMessage(bytes.constData(), bytes.size());
}

void transport::write(const QByteArray &bytes)
{
    if (writeSink) {
        writeSink(bytes);
        return;
    }
    // Without a live link the message is lost, as nobody could receive it.
    if (socket.state() == QLocalSocket::ConnectedState)
        socket.write(bytes);
}

qint64 transport::unwritten() const
{
    return writeSink ? 0 : socket.bytesToWrite();
}

void transport::writeFromPage(const QByteArray &bytes)
{
    if (!writeSink && socket.state() != QLocalSocket::ConnectedState)
        return;
    reportDropped();
    // A page can send far faster than any host reads. While the host keeps
    // taking bytes the page waits for it, so a prompt host gets everything;
    // a host that takes nothing for a while only costs that while once, and
    // then page messages are dropped until it reads again.
    if (droppedFromPages > 0 || !roomForPage(bytes.size())) {
        ++droppedFromPages;
        return;
    }
    write(bytes);
}

bool transport::roomForPage(qint64 size)
{
    if (unwritten() + size <= kPageBudget)
        return true;
    if (writeSink)
        return false;
    // Not the socket's own wait: it reads and dispatches while it waits, and
    // reports a time-out as a socket error, which would end the link.
    pollfd writable = {int(socket.socketDescriptor()), POLLOUT, 0};
    while (unwritten() + size > kPageBudget) {
        if (::poll(&writable, 1, kHostStallMs) != 1 || !(writable.revents & POLLOUT) || !socket.flush())
            return false;
    }
    return true;
}

void transport::reportDropped()
{
    // Once the host has taken in half of what waited, it reads again: tell
    // it what it missed, in the place where it was missed.
    if (droppedFromPages == 0 || unwritten() > kPageBudget / 2)
        return;
    const QString note = QStringLiteral("channel-web-browser: dropped %1 page messages while the host was not reading")
                             .arg(droppedFromPages);
    droppedFromPages = 0;
    write(HostEncoder::receiveLog(note));
}

void transport::pageMessage(const QString &category, const QString &subcommand, const QString &payload, bool droppable)
{
    const QByteArray bytes = HostEncoder::encodeMessage(category, subcommand, payload);
    if (droppable)
        writeFromPage(bytes);
    else
        write(bytes);
}

void transport::flush()
{
    if (socket.state() == QLocalSocket::ConnectedState)
        socket.flush();
}

void transport::askPermission(QString key, QString origin, QString feature) { write(HostEncoder::askPermission(key, origin, feature)); }
void transport::getWebfileList(QString key) { write(HostEncoder::getWebfileList(key)); }
void transport::getWebfileDownloadOffset(QString key, QStringList fileList) { write(HostEncoder::getWebfileDownloadOffset(key, fileList)); }
void transport::downloadFile(QString key, QString url, QString name) { write(HostEncoder::downloadFile(key, url, name)); }
void transport::redownloadFile(QString key, QString fileKey) { write(HostEncoder::redownloadFile(key, fileKey)); }
void transport::removeDownloadFile(QString key, QString fileKey) { write(HostEncoder::removeDownloadFile(key, fileKey)); }
void transport::removeAllDownloadFile(QString key) { write(HostEncoder::removeAllDownloadFile(key)); }
void transport::openFileFoler(QString fileKey) { write(HostEncoder::openFileFoler(fileKey)); }
void transport::savePosition(QString position) { write(HostEncoder::savePosition(position)); }
// A page decides how much it logs.
void transport::onReceiveLog(QString msg) { writeFromPage(HostEncoder::receiveLog(msg)); }
void transport::openOutside(QString page) { write(HostEncoder::openOutside(page)); }
void transport::showChannel(QString page) { write(HostEncoder::showChannel(page)); }
void transport::shareArtile(QString page) { write(HostEncoder::shareArtile(page)); }
void transport::storeToVell(QString page) { write(HostEncoder::storeToVell(page)); }
void transport::refresh(QString page) { write(HostEncoder::refresh(page)); }
void transport::navigated(QString url, QString title) { write(HostEncoder::navigated(url, title)); }
void transport::loadFinished(QString url, bool ok) { write(HostEncoder::loadFinished(url, ok)); }
