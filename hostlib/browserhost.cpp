// SPDX-License-Identifier: Apache-2.0
#include "hostlib/browserhost.h"

#include "hostlink/endpoint.h"
#include "wire/vocabulary.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <unistd.h>

namespace ChannelWebBrowser {

class BrowserHost::Private
{
public:
    QLocalServer server;
    QPointer<QLocalSocket> socket;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString endpointPath;
    // Held while listening: a second host of the same browser finds it
    // taken, where the socket file alone cannot tell a live host from one
    // that died (removing it takes the live one's browser away).
    std::unique_ptr<QLockFile> lock;
    QString error;
    QByteArray waiting;        // frames written before the browser connected
    bool browserLeft = false;  // it connected once and is gone: write nothing
};

BrowserHost::BrowserHost(QObject *parent)
    : BrowserLink(parent)
    , d(std::make_unique<Private>())
{
    QLocalServer &server = d->server;
    QProcess &process = d->process;
    // So that browserFinished() can be queued to another thread, or spied on.
    qRegisterMetaType<QProcess::ExitStatus>();
    connect(this, &BrowserLink::outgoing, this, &BrowserHost::write);
    connect(&server, &QLocalServer::newConnection, this, &BrowserHost::onNewConnection);
    connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &BrowserHost::browserFinished);
    connect(&process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        d->error = QStringLiteral("cannot start the browser: %1").arg(d->process.errorString());
        emit browserFinished(-1, QProcess::CrashExit);
    });
    // Without a reader the browser's output would pile up in memory.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
}

BrowserHost::~BrowserHost()
{
    hangUp();
    if (!waitForBrowserExit(5000)) {
        d->process.kill();
        d->process.waitForFinished(3000);
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

bool BrowserHost::isBrowserScratchFile(const QString &path)
{
    // <temporary folder>/<prefix>XXXXXX/page-downloads/<n>/<name>, every
    // part of it really there: a link anywhere on the way could point out.
    const QFileInfo file(path);
    if (!file.isAbsolute() || file.isSymLink() || !file.isFile() || file.canonicalFilePath() != QDir::cleanPath(path))
        return false;
    QDir downloads = file.dir();
    if (!downloads.cdUp() || downloads.dirName() != wire::scratch::kPageDownloads)
        return false;
    QDir scratch = downloads;
    if (!scratch.cdUp() || !scratch.dirName().startsWith(wire::scratch::kScratchPrefix))
        return false;
    QDir temp = scratch;
    if (!temp.cdUp() || temp.canonicalPath() != QDir(QDir::tempPath()).canonicalPath())
        return false;
    const QFileInfo root(scratch.absolutePath());
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    return root.ownerId() == ::getuid() && file.ownerId() == ::getuid() && !(root.permissions() & others);
}

bool BrowserHost::listen(const QString &browserPath)
{
    const QString user = userEndpointFor(browserPath, d->environment.value(QStringLiteral("XDG_RUNTIME_DIR")));
    const QString name = user.isEmpty() ? endpointFor(browserPath) : user;
    if (d->server.isListening() && d->server.fullServerName() == name)
        return true;
    d->server.close();
    d->lock.reset();
    d->endpointPath = name;
    auto lock = std::make_unique<QLockFile>(name + QStringLiteral(".lock"));
    if (!lock->tryLock(0)) {
        d->error = lock->error() == QLockFile::LockFailedError
            ? QStringLiteral("another host is listening on %1").arg(name)
            : QStringLiteral("cannot lock %1.lock").arg(name);
        return false;
    }
    d->lock = std::move(lock);
    // A socket file left by an earlier run that crashed would make listen() fail.
    QLocalServer::removeServer(d->endpointPath);
    // Only our own user may connect, whatever the umask: the first frames
    // carry the access token.
    d->server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!d->server.listen(d->endpointPath)) {
        d->error = QStringLiteral("cannot listen on %1: %2").arg(d->endpointPath, d->server.errorString());
        return false;
    }
    d->browserLeft = false;
    return true;
}

bool BrowserHost::start(const QString &browserPath, const QStringList &arguments)
{
    const QFileInfo info(browserPath);
    if (!info.isFile() || !info.isExecutable()) {
        d->error = QStringLiteral("no browser executable at %1").arg(browserPath);
        return false;
    }
    if (d->process.state() != QProcess::NotRunning) {
        d->error = QStringLiteral("the browser is already running");
        return false;
    }
    if (!listen(browserPath))
        return false;
    d->browserLeft = false;
    QProcessEnvironment env = d->environment;
    if (::geteuid() == 0 && !env.contains(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX")))
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    d->process.setProcessEnvironment(env);
    d->process.start(info.absoluteFilePath(), arguments);
    return true;
}

void BrowserHost::setProcessEnvironment(const QProcessEnvironment &env)
{
    d->environment = env;
}

QProcess *BrowserHost::browserProcess()
{
    return &d->process;
}

QString BrowserHost::endpoint() const
{
    return d->endpointPath;
}

QString BrowserHost::errorString() const
{
    return d->error;
}

bool BrowserHost::isConnected() const
{
    return d->socket && d->socket->state() == QLocalSocket::ConnectedState;
}

void BrowserHost::onNewConnection()
{
    while (QLocalSocket *incoming = d->server.nextPendingConnection()) {
        uint peerUid = 0;
        if (!peerIsOwnUser(incoming->socketDescriptor(), &peerUid)) {
            // Another user's process, even where the socket's mode let it in:
            // it hears nothing, and the browser may still connect.
            d->error = QStringLiteral("refused a connection of user id %1").arg(peerUid);
            incoming->abort();
            incoming->deleteLater();
            continue;
        }
        if (d->socket) {
            // Whoever else connects is not the browser we are talking to.
            incoming->abort();
            incoming->deleteLater();
            continue;
        }
        d->socket = incoming;
        connect(incoming, &QLocalSocket::readyRead, this, [this, incoming] { receive(incoming->readAll()); });
        connect(incoming, &QLocalSocket::disconnected, this, [this, incoming] {
            // The last bytes may come together with the hang-up.
            if (incoming->bytesAvailable() > 0)
                receive(incoming->readAll());
            d->browserLeft = true;
            if (d->socket == incoming)
                d->socket = nullptr;
            incoming->deleteLater();
            emit browserDisconnected();
        });
        // What was written before comes first, also before anything a slot
        // connected to browserConnected() writes.
        if (!d->waiting.isEmpty()) {
            incoming->write(d->waiting);
            d->waiting.clear();
        }
        emit browserConnected();
    }
}

void BrowserHost::write(const QByteArray &frame)
{
    if (isConnected())
        d->socket->write(frame);
    else if (!d->browserLeft)
        d->waiting.append(frame);
}

void BrowserHost::hangUp()
{
    if (!d->socket) {
        // No browser yet: one that is starting finds nobody listening (or is
        // let go while it waits to be accepted) and exits by itself, and what
        // was kept for it is dropped.
        d->server.close();
        d->waiting.clear();
        return;
    }
    d->socket->disconnectFromServer();
    if (d->socket && d->socket->state() != QLocalSocket::UnconnectedState)
        d->socket->waitForDisconnected(1000);
}

bool BrowserHost::waitForBrowserExit(int msecs)
{
    if (d->process.state() == QProcess::NotRunning)
        return true;
    return d->process.waitForFinished(msecs);
}

}
