#include "hostlink/transport.h"

#include "config/configkeys.h"
#include "config/logcategories.h"
#include "config/vellchatwbconfigure.h"
#include "hostlink/protocol.h"
#include "window/vellchatwebbroswer.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace protocol;

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
    buffer.clear();
}

void transport::connectToVell(QString name)
{
    socket.connectToServer(name, QIODevice::ReadWrite);
}

void transport::socketConnected()
{
    qCDebug(lcHostLink) << "socketConnected";
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
    // could only act on it, so they go with it rather than open a new one.
    ending = true;
    VellChatWebBroswer::destory();
    QTimer::singleShot(500, this, [] { QCoreApplication::exit(0); });
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
    if (readyFrom >= ready.size())
        frameIncoming(socket.readAll());
    const bool more = dispatchReady(kMessagesPerPass) || socket.bytesAvailable() > 0;
    bufferLock.unlock();
    if (more)
        QMetaObject::invokeMethod(this, &transport::socketReading, Qt::QueuedConnection);
}

void transport::processIncoming(const QByteArray &bytes)
{
    QMutexLocker locker(&bufferLock);
    frameIncoming(bytes);
    dispatchReady(std::numeric_limits<int>::max());
}

void transport::frameIncoming(const QByteArray &bytes)
{
    // Text ends at the first NUL: what follows it is lost with the read.
    const int nul = bytes.indexOf('\0');
    const QByteArray chunk = nul >= 0 ? bytes.left(nul) : bytes;
    // Only the new bytes can hold the next ';' - the tail we keep never does -
    // so a large frame arriving in many reads costs one scan of each read.
    const int lastSemi = chunk.lastIndexOf(';');
    if (lastSemi < 0) {
        buffer.append(chunk);
        return;
    }
    if (ready.isEmpty()) {
        ready.swap(buffer);
    } else {
        ready.append(buffer);
        buffer.clear();
    }
    ready.append(chunk.constData(), lastSemi + 1);
    buffer = chunk.mid(lastSemi + 1);
}

// Dispatches up to limit messages from the ready text; true while some remain.
bool transport::dispatchReady(int limit)
{
    int dispatched = 0;
    while (readyFrom < ready.size() && dispatched < limit) {
        const char *data = ready.constData();
        int end = ready.indexOf(';', readyFrom);
        if (end < 0)
            end = ready.size();
        int b = readyFrom;
        int e = end;
        readyFrom = end + 1;
        while (b < e && QChar::isSpace(uchar(data[b])))
            ++b;
        while (e > b && QChar::isSpace(uchar(data[e - 1])))
            --e;
        if (e > b) {
            if (readyFrom >= ready.size()) {
                // The last message of the pass takes the text along and
                // may reuse it.
                QByteArray frame;
                frame.swap(ready);
                readyFrom = 0;
                parseMessage(std::move(frame), b, e);
            } else {
                parseMessage(data + b, e - b);
            }
            ++dispatched;
        }
    }
    if (readyFrom < ready.size())
        return true;
    ready.clear();
    readyFrom = 0;
    return false;
}

void transport::parseCmd(QString message)
{
    const QByteArray bytes = message.toLocal8Bit();
    parseMessage(bytes.constData(), bytes.size());
}

static bool fieldIs(const char *data, int size, const QString &keyword)
{
    if (size != keyword.size())
        return false;
    for (int i = 0; i < size; ++i)
        if (QChar(uchar(data[i])) != keyword.at(i))
            return false;
    return true;
}

transport::Fields transport::splitMessage(const char *data, int size)
{
    // Fields are cut at ':'; only the first three count.
    Fields fields;
    const char *end = data + size;
    const char *c1 = static_cast<const char *>(memchr(data, ':', size));
    if (!c1)
        return fields;
    const int categorySize = int(c1 - data);
    if (fieldIs(data, categorySize, kConfig))
        fields.category = Fields::Config;
    else if (fieldIs(data, categorySize, kEvent))
        fields.category = Fields::Event;
    else if (fieldIs(data, categorySize, kWebfile))
        fields.category = Fields::WebFile;
    else if (fieldIs(data, categorySize, kIQ))
        fields.category = Fields::IQ;
    else
        return fields;   // "feedback" only ever travels from us to the host.
    const char *sub = c1 + 1;
    const char *c2 = static_cast<const char *>(memchr(sub, ':', end - sub));
    fields.subcommand = QString::fromLocal8Bit(sub, int((c2 ? c2 : end) - sub));
    if (c2) {
        const char *c3 = static_cast<const char *>(memchr(c2 + 1, ':', end - (c2 + 1)));
        fields.full = true;
        fields.payloadFrom = int(c2 + 1 - data);
        fields.payloadTo = int((c3 ? c3 : end) - data);
    }
    return fields;
}

void transport::parseMessage(const char *data, int size)
{
    const Fields fields = splitMessage(data, size);
    QByteArray decoded;
    // Base64 never holds ':' or ';'; characters outside its alphabet are skipped.
    if (fields.full) {
        decoded = QByteArray::fromBase64(
            QByteArray::fromRawData(data + fields.payloadFrom, fields.payloadTo - fields.payloadFrom));
    }
    dispatchMessage(fields, decoded);
}

void transport::parseMessage(QByteArray &&frame, int from, int to)
{
    const Fields fields = splitMessage(frame.constData() + from, to - from);
    QByteArray decoded;
    if (fields.full) {
        // The text is not read again: the value is decoded over it, so a
        // large one is never held twice.
        frame.truncate(from + fields.payloadTo);
        frame.remove(0, from + fields.payloadFrom);
        decoded = QByteArray::fromBase64Encoding(std::move(frame)).decoded;
        decoded.squeeze();
    }
    frame = QByteArray();
    dispatchMessage(fields, decoded);
}

void transport::dispatchMessage(const Fields &fields, const QByteArray &decoded)
{
    switch (fields.category) {
    case Fields::Config:
        if (fields.full)
            onConfig(fields.subcommand, decoded);
        break;
    case Fields::Event:
        onEvent(fields.subcommand, decoded);
        break;
    case Fields::WebFile:
        if (fields.full)
            onWebFile(fields.subcommand, decoded);
        break;
    case Fields::IQ:
        if (fields.full)
            onIQ(fields.subcommand, decoded);
        break;
    case Fields::None:
        break;
    }
}

void transport::parseConfigCmd(QString key, QString value)
{
    onConfig(key, decodePayload(value));
}

void transport::parseEventCmd(QString subcommand, QString payload)
{
    onEvent(subcommand, decodePayload(payload));
}

void transport::parseIQCmd(QString subcommand, QString payload)
{
    onIQ(subcommand, decodePayload(payload));
}

void transport::parseWebFileCmd(QString subcommand, QString payload)
{
    onWebFile(subcommand, decodePayload(payload));
}

void transport::parseFeedbackCmd(QString subcommand, QString payload)
{
    Q_UNUSED(subcommand)
    Q_UNUSED(payload)
}

void transport::onConfig(const QString &key, const QByteArray &decoded)
{
    ConfigKeys::apply(key, decoded);
    VellChatWebBroswer::configChanged();
}

void transport::onEvent(const QString &subcommand, const QByteArray &decoded)
{
    if (subcommand == kActive) {
        VellChatWebBroswer::activeWnd();
        return;
    }
    const QString text = QString::fromUtf8(decoded);
    if (subcommand == kShowUrl) {
        VellChatWebBroswer::newVellChatWebBroswer(text, nullptr);
    } else if (subcommand == kUpdateOpenOutside) {
        VellChatWBConfigure::SetTitleOpenOutsideShow(booleanWord(text));
        VellChatWebBroswer::updateOpenOutside();
    } else if (subcommand == kUpdateCheckChannel) {
        VellChatWBConfigure::SetTitleCheckChannelShow(booleanWord(text));
        VellChatWebBroswer::updateCheckChannel();
    } else if (subcommand == kUpdateStoreToVell) {
        VellChatWBConfigure::SetTitleStoreToVellShow(booleanWord(text));
        VellChatWebBroswer::updateStoreToVell();
    } else if (subcommand == kUpdateShareToFriend) {
        VellChatWBConfigure::SetTitleShareToFriendShow(booleanWord(text));
        VellChatWebBroswer::updateShareToFriend();
    } else if (subcommand == kShowBoxMessage) {
        if (!text.isEmpty())
            VellChatWebBroswer::showInfo(text);
    }
}

void transport::onIQ(const QString &subcommand, const QByteArray &decoded)
{
    if (subcommand == kCurrentUserInfoRes && !decoded.isEmpty())
        VellChatWebBroswer::iqCurrentUserInfo(decoded);
}

void transport::onWebFile(const QString &subcommand, const QByteArray &decoded)
{
    if (decoded.isEmpty())
        return;
    if (subcommand == kGetFileListRes)
        VellChatWebBroswer::webfileListResponse(decoded);
    else if (subcommand == kGetDownloadOffsetRes)
        VellChatWebBroswer::webfileDownloadOffsetResponse(decoded);
    else if (subcommand == kStartDownloadRes)
        VellChatWebBroswer::startDownloadResponse(decoded);
    else if (subcommand == kRestartDownloadRes)
        VellChatWebBroswer::restartDownloadResponse(decoded);
    else if (subcommand == kRemoveHistoryRes)
        VellChatWebBroswer::removeHistoryResponse(decoded);
    else if (subcommand == kRemoveAllHistoryRes)
        VellChatWebBroswer::removeAllHistoryResponse(decoded);
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
    write(encodeMessage(kFeedback, kReceiveLog, note));
}

void transport::flush()
{
    if (socket.state() == QLocalSocket::ConnectedState)
        socket.flush();
}

void transport::writeIQ(QString subcommand, QString payload)
{
    write(encodeMessage(kIQ, subcommand, payload));
}

void transport::writeWebfile(QString subcommand, QString payload)
{
    write(encodeMessage(kWebfile, subcommand, payload));
}

void transport::writeFeedback(QString subcommand, QString payload)
{
    write(encodeMessage(kFeedback, subcommand, payload));
}

static QString compactJson(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void transport::currentUserInfo(QString requestID)
{
    writeIQ(kCurrentUserInfo, requestID);
}

void transport::getWebfileList(QString key)
{
    writeWebfile(kGetFileList, key);
}

void transport::getWebfileDownloadOffset(QString key, QStringList fileList)
{
    QJsonObject object;
    object.insert(QStringLiteral("key"), key);
    object.insert(QStringLiteral("fileList"), QJsonArray::fromStringList(fileList));
    writeWebfile(kGetDownloadOffset, compactJson(object));
}

void transport::downloadFile(QString key, QString url, QString name)
{
    QJsonObject object;
    object.insert(QStringLiteral("key"), key);
    object.insert(QStringLiteral("url"), url);
    object.insert(QStringLiteral("name"), name);
    writeWebfile(kStartDownload, compactJson(object));
}

void transport::redownloadFile(QString key, QString fileKey)
{
    QJsonObject object;
    object.insert(QStringLiteral("key"), key);
    object.insert(QStringLiteral("fileKey"), fileKey);
    writeWebfile(kRestartDownload, compactJson(object));
}

void transport::removeDownloadFile(QString key, QString fileKey)
{
    QJsonObject object;
    object.insert(QStringLiteral("key"), key);
    object.insert(QStringLiteral("fileKey"), fileKey);
    writeWebfile(kRemoveHistory, compactJson(object));
}

void transport::removeAllDownloadFile(QString key)
{
    QJsonObject object;
    object.insert(QStringLiteral("key"), key);
    writeWebfile(kRemoveAllHistory, compactJson(object));
}

void transport::openFileFoler(QString fileKey)
{
    writeWebfile(kOpenFileFolder, fileKey);
}

void transport::savePosition(QString position)
{
    writeFeedback(kSavePosition, position);
}

void transport::onReceiveLog(QString msg)
{
    writeFromPage(encodeMessage(kFeedback, kReceiveLog, msg));
}

void transport::goToChannel(QString channelId)
{
    writeFromPage(encodeMessage(kFeedback, kGotoChannel, channelId));
}

void transport::openOutside()
{
    writeFeedback(kOpenOutside, QString());
}

void transport::showChannel()
{
    writeFeedback(kChannel, QString());
}

void transport::shareArtile()
{
    writeFeedback(kShare, QString());
}

void transport::storeToVell()
{
    writeFeedback(kStoreToVell, QString());
}

void transport::refresh()
{
    writeFeedback(kRefresh, QString());
}
