#include "fuzz/fuzzharness.h"

#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"
#include "window/vellchatwebbroswer.h"
#include "window/windowhostcommands.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
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
    static WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);
}

void FuzzHarness::settle()
{
    // Two turns: the second deletes what the first scheduled for deletion
    // (an information box replaced by the next one, removed history nodes).
    for (int turn = 0; turn < 2; ++turn) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

VellChatWebBroswer *FuzzHarness::window()
{
    if (!VellChatWebBroswer::instance()) {
        VellChatWebBroswer::newVellChatWebBroswer(QStringLiteral("about:blank"), nullptr);
        settle();
    }
    return VellChatWebBroswer::instance();
}

void FuzzHarness::dropWindow()
{
    if (!VellChatWebBroswer::instance())
        return;
    VellChatWebBroswer::destory();
    settle();
}

void FuzzHarness::fail(const char *what, const QByteArray &detail)
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n  %s\n", what, detail.left(400).toPercentEncoding(" :;,{}\"=/+").constData());
    std::abort();
}
