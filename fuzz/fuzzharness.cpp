// SPDX-License-Identifier: Apache-2.0
#include "fuzz/fuzzharness.h"

#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Millions of inputs each log a few debug lines ("~ModelItemBase", engine
// chatter); only what ends the process is worth printing.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type == QtFatalMsg)
        std::abort();
}

// Whatever the host sent us, what we send back must still be one well-formed
// message: a known keyword pair, strict Base64 of UTF-8, and a JSON object
// where the host expects one.
void checkOutgoing(const QByteArray &bytes)
{
    static const QRegularExpression frame(QStringLiteral("^([a-z]+):([A-Za-z]+):([A-Za-z0-9+/]*=?=?);$"));
    static const QSet<QString> known = {
        QStringLiteral("iq:currentuserinfo"),
        QStringLiteral("webfile:getFileList"),
        QStringLiteral("webfile:getDownloadOffset"),
        QStringLiteral("webfile:startDownload"),
        QStringLiteral("webfile:restartDownload"),
        QStringLiteral("webfile:removeHistory"),
        QStringLiteral("webfile:removeAllHistory"),
        QStringLiteral("webfile:openFileFolder"),
        QStringLiteral("feedback:savePosition"),
        QStringLiteral("feedback:receiveLog"),
        QStringLiteral("feedback:gotoChannel"),
        QStringLiteral("feedback:openOutside"),
        QStringLiteral("feedback:channel"),
        QStringLiteral("feedback:share"),
        QStringLiteral("feedback:storeToVell"),
        QStringLiteral("feedback:refresh"),
    };
    static const QSet<QString> jsonPayload = {
        QStringLiteral("webfile:getDownloadOffset"),
        QStringLiteral("webfile:startDownload"),
        QStringLiteral("webfile:restartDownload"),
        QStringLiteral("webfile:removeHistory"),
        QStringLiteral("webfile:removeAllHistory"),
    };

    const QRegularExpressionMatch m = frame.match(QString::fromLatin1(bytes));
    if (!m.hasMatch())
        FuzzHarness::fail("outgoing bytes are not one host message", bytes);
    const QString pair = m.captured(1) + QLatin1Char(':') + m.captured(2);
    if (!known.contains(pair))
        FuzzHarness::fail("outgoing message with an unknown keyword pair", bytes);
    const auto decoded = QByteArray::fromBase64Encoding(m.captured(3).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.toBase64() != m.captured(3).toLatin1())
        FuzzHarness::fail("outgoing payload is not canonical Base64", bytes);
    if (QString::fromUtf8(decoded.decoded).toUtf8() != decoded.decoded)
        FuzzHarness::fail("outgoing payload is not UTF-8", bytes);
    if (jsonPayload.contains(pair) && !QJsonDocument::fromJson(decoded.decoded).isObject())
        FuzzHarness::fail("outgoing payload is not a JSON object", bytes);
}

}

void FuzzHarness::start(const char *program)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // A proxy nobody listens on: pages that name a host fail at once instead
    // of waiting for name lookups on a machine without a network.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --proxy-server=127.0.0.1:9");
    qputenv("QT_QUICK_BACKEND", "software");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::temp().absoluteFilePath(QStringLiteral("runtime-fuzz"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    qInstallMessageHandler(quietMessages);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // QApplication keeps references to both for its whole life.
    static int argc = 1;
    static char *argv[] = {const_cast<char *>(program), nullptr};
    new QApplication(argc, argv);
    // The harness is the event loop's owner here; a window that closes must
    // not end the run.
    QApplication::setQuitOnLastWindowClosed(false);
    VellChatWBConfigure::init();
    transport::shareInstance()->setWriteSink(&checkOutgoing);
}

void FuzzHarness::feedHost(const uint8_t *cuts, size_t cutCount, const uint8_t *stream, size_t size)
{
    const int streamSize = int(size);
    QVector<int> bounds{0, streamSize};
    for (size_t i = 0; i < cutCount; ++i)
        bounds.append(int(quint64(cuts[i]) * quint64(streamSize) / 256));
    std::sort(bounds.begin(), bounds.end());

    transport *link = transport::shareInstance();
    link->clearPending();
    QByteArray seen;   // the stream as the read pass may see it: each read up to its first NUL
    for (int i = 0; i + 1 < bounds.size(); ++i) {
        // A socket hands over bytes of its own, never a view of ours.
        const QByteArray read(reinterpret_cast<const char *>(stream) + bounds[i], bounds[i + 1] - bounds[i]);
        link->processIncoming(read);
        const int nul = read.indexOf('\0');
        seen.append(nul >= 0 ? read.left(nul) : read);
    }
    // However the stream was cut, what waits for the next read is exactly
    // what follows the last ';' - nothing complete is held back, nothing
    // unfinished is dispatched.
    const QByteArray tail = seen.mid(seen.lastIndexOf(';') + 1);
    if (link->pendingTail() != tail)
        fail("kept tail differs from the bytes after the last ';'", link->pendingTail());
    link->clearPending();
}

void FuzzHarness::settle()
{
    // Two turns: the second deletes what the first scheduled for deletion
    // (an information box replaced by the next one, removed history nodes).
    // Each turn takes what is pending and returns: a time budget would be
    // spent in full whenever the engine keeps posting, at every input.
    for (int turn = 0; turn < 2; ++turn) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void FuzzHarness::fail(const char *what, const QByteArray &detail)
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n  %s\n", what, detail.left(400).toPercentEncoding(" :;,{}\"=/+").constData());
    std::abort();
}
