#include "hostlib/browserhost.h"

#include "hostlink/endpoint.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <unistd.h>

namespace ChannelWebBrowser {

BrowserHost::BrowserHost(QObject *parent)
    : BrowserLink(parent)
    , environment(QProcessEnvironment::systemEnvironment())
{
    // So that browserFinished() can be queued to another thread, or spied on.
    qRegisterMetaType<QProcess::ExitStatus>();
    connect(this, &BrowserLink::outgoing, this, &BrowserHost::write);
    connect(&server, &QLocalServer::newConnection, this, &BrowserHost::onNewConnection);
    connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &BrowserHost::browserFinished);
    connect(&process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        error = QStringLiteral("cannot start the browser: %1").arg(process.errorString());
        emit browserFinished(-1, QProcess::CrashExit);
    });
    // Without a reader the browser's output would pile up in memory.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
}

BrowserHost::~BrowserHost()
{
    hangUp();
    if (!waitForBrowserExit(5000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// The browser names its endpoints after the directory its kernel-resolved
// executable lives in, so links are followed here too.
static QString browserDir(const QString &browserPath)
{
    const QFileInfo info(browserPath);
    const QString real = info.canonicalFilePath();
    return QFileInfo(real.isEmpty() ? info.absoluteFilePath() : real).absolutePath();
}

QString BrowserHost::endpointFor(const QString &browserPath)
{
    return endpointName(browserDir(browserPath));
}

QString BrowserHost::userEndpointFor(const QString &browserPath, const QString &runtimeDir)
{
    return userEndpointName(browserDir(browserPath), userRuntimeDir(runtimeDir.toLocal8Bit()));
}

bool BrowserHost::listen(const QString &browserPath)
{
    const QString user = userEndpointFor(browserPath, environment.value(QStringLiteral("XDG_RUNTIME_DIR")));
    const QString name = user.isEmpty() ? endpointFor(browserPath) : user;
    if (server.isListening() && server.fullServerName() == name)
        return true;
    server.close();
    endpointPath = name;
    // A socket file left by an earlier run that crashed would make listen() fail.
    QLocalServer::removeServer(endpointPath);
    if (!server.listen(endpointPath)) {
        error = QStringLiteral("cannot listen on %1: %2").arg(endpointPath, server.errorString());
        return false;
    }
    browserLeft = false;
    return true;
}

bool BrowserHost::start(const QString &browserPath, const QStringList &arguments)
{
    const QFileInfo info(browserPath);
    if (!info.isFile() || !info.isExecutable()) {
        error = QStringLiteral("no browser executable at %1").arg(browserPath);
        return false;
    }
    if (process.state() != QProcess::NotRunning) {
        error = QStringLiteral("the browser is already running");
        return false;
    }
    if (!listen(browserPath))
        return false;
    browserLeft = false;
    QProcessEnvironment env = environment;
    if (::geteuid() == 0 && !env.contains(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX")))
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    process.start(info.absoluteFilePath(), arguments);
    return true;
}

void BrowserHost::setProcessEnvironment(const QProcessEnvironment &env)
{
    environment = env;
}

bool BrowserHost::isConnected() const
{
    return socket && socket->state() == QLocalSocket::ConnectedState;
}

void BrowserHost::onNewConnection()
{
    while (QLocalSocket *incoming = server.nextPendingConnection()) {
        if (socket) {
            // Whoever else connects is not the browser we are talking to.
            incoming->abort();
            incoming->deleteLater();
            continue;
        }
        socket = incoming;
        connect(incoming, &QLocalSocket::readyRead, this, [this, incoming] { receive(incoming->readAll()); });
        connect(incoming, &QLocalSocket::disconnected, this, [this, incoming] {
            // The last bytes may come together with the hang-up.
            if (incoming->bytesAvailable() > 0)
                receive(incoming->readAll());
            browserLeft = true;
            if (socket == incoming)
                socket = nullptr;
            incoming->deleteLater();
            emit browserDisconnected();
        });
        // What was written before comes first, also before anything a slot
        // connected to browserConnected() writes.
        if (!waiting.isEmpty()) {
            incoming->write(waiting);
            waiting.clear();
        }
        emit browserConnected();
    }
}

void BrowserHost::write(const QByteArray &frame)
{
    if (isConnected())
        socket->write(frame);
    else if (!browserLeft)
        waiting.append(frame);
}

void BrowserHost::hangUp()
{
    if (!socket) {
        // No browser yet: one that is starting finds nobody listening (or is
        // let go while it waits to be accepted) and exits by itself, and what
        // was kept for it is dropped.
        server.close();
        waiting.clear();
        return;
    }
    socket->disconnectFromServer();
    if (socket && socket->state() != QLocalSocket::UnconnectedState)
        socket->waitForDisconnected(1000);
}

bool BrowserHost::waitForBrowserExit(int msecs)
{
    if (process.state() == QProcess::NotRunning)
        return true;
    return process.waitForFinished(msecs);
}

}
