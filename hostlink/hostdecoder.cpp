// SPDX-License-Identifier: Apache-2.0
#include "hostlink/hostdecoder.h"

#include "config/configkeys.h"
#include "config/vellchatwbconfigure.h"
#include "hostlink/hostcommands.h"
#include "wire/vocabulary.h"

#include <cstring>

void HostDecoder::frameIncoming(const QByteArray &bytes)
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

bool HostDecoder::dispatchReady(int limit)
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

static bool fieldIs(const char *data, int size, QLatin1String keyword)
{
    return size == keyword.size() && std::memcmp(data, keyword.data(), size_t(size)) == 0;
}

HostDecoder::Fields HostDecoder::splitMessage(const char *data, int size)
{
    // Fields are cut at ':'; only the first three count.
    Fields fields;
    const char *end = data + size;
    const char *c1 = static_cast<const char *>(memchr(data, ':', size));
    if (!c1)
        return fields;
    const int categorySize = int(c1 - data);
    if (fieldIs(data, categorySize, wire::kConfig))
        fields.category = Fields::Config;
    else if (fieldIs(data, categorySize, wire::kEvent))
        fields.category = Fields::Event;
    else if (fieldIs(data, categorySize, wire::kWebfile))
        fields.category = Fields::WebFile;
    else if (fieldIs(data, categorySize, wire::kIQ))
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

void HostDecoder::parseMessage(const char *data, int size)
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

void HostDecoder::parseMessage(QByteArray &&frame, int from, int to)
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

void HostDecoder::dispatchMessage(const Fields &fields, const QByteArray &decoded)
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

void HostDecoder::onConfig(const QString &key, const QByteArray &decoded)
{
    // The store holds the value before anyone is told it changed.
    ConfigKeys::apply(key, decoded);
    if (receiver)
        receiver->configChanged();
}

void HostDecoder::onEvent(const QString &subcommand, const QByteArray &decoded)
{
    namespace event = wire::event;
    using Store = VellChatWBConfigure;
    if (subcommand == event::kActive) {
        if (receiver)
            receiver->active();
        return;
    }
    const QString text = QString::fromUtf8(decoded);
    // A visibility is stored even with no window to show it: the next window
    // reads it from the store.
    if (subcommand == event::kShowUrl) {
        if (receiver)
            receiver->showUrl(text);
    } else if (subcommand == event::kUpdateOpenOutside) {
        Store::SetTitleOpenOutsideShow(booleanWord(text));
        if (receiver)
            receiver->updateOpenOutside();
    } else if (subcommand == event::kUpdateCheckChannel) {
        Store::SetTitleCheckChannelShow(booleanWord(text));
        if (receiver)
            receiver->updateCheckChannel();
    } else if (subcommand == event::kUpdateStoreToVell) {
        Store::SetTitleStoreToVellShow(booleanWord(text));
        if (receiver)
            receiver->updateStoreToVell();
    } else if (subcommand == event::kUpdateShareToFriend) {
        Store::SetTitleShareToFriendShow(booleanWord(text));
        if (receiver)
            receiver->updateShareToFriend();
    } else if (subcommand == event::kShowBoxMessage) {
        if (receiver && !text.isEmpty())
            receiver->showInfo(text);
    }
}

void HostDecoder::onIQ(const QString &subcommand, const QByteArray &decoded)
{
    if (!receiver || decoded.isEmpty())
        return;
    if (subcommand == wire::iq::kCurrentUserInfoRes)
        receiver->currentUserInfo(decoded);
    else if (subcommand == wire::iq::kPermissionRes)
        receiver->permissionAnswer(decoded);
}

void HostDecoder::onWebFile(const QString &subcommand, const QByteArray &decoded)
{
    namespace webfile = wire::webfile;
    if (!receiver || decoded.isEmpty())
        return;
    if (subcommand == webfile::kGetFileListRes)
        receiver->webfileList(decoded);
    else if (subcommand == webfile::kGetDownloadOffsetRes)
        receiver->webfileDownloadOffset(decoded);
    else if (subcommand == webfile::kStartDownloadRes)
        receiver->startDownload(decoded);
    else if (subcommand == webfile::kRestartDownloadRes)
        receiver->restartDownload(decoded);
    else if (subcommand == webfile::kRemoveHistoryRes)
        receiver->removeHistory(decoded);
    else if (subcommand == webfile::kRemoveAllHistoryRes)
        receiver->removeAllHistory(decoded);
}

QByteArray HostDecoder::decodePayload(const QString &field)
{
    // fromBase64 skips characters outside the alphabet, which is the leniency we want.
    return QByteArray::fromBase64(field.toLocal8Bit());
}

bool HostDecoder::booleanWord(const QString &text)
{
    return text.trimmed().toLower() == wire::kTrue;
}
