// SPDX-License-Identifier: Apache-2.0
#include "hostlink/endpoint.h"

#include <QCryptographicHash>
#include <QFile>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

QString psServerPrefix()
{
    return QStringLiteral("/tmp/");
}

const QString &cGUIDStr()
{
    static const QString guid = QStringLiteral("{87A94AB0-E370-4cde-98D3-ACC110C5967D}");
    return guid;
}

static QString digestOf(const QString &applicationDirPath)
{
    return QString::fromLatin1(QCryptographicHash::hash(applicationDirPath.toLocal8Bit(), QCryptographicHash::Md5).toHex());
}

QString endpointName(const QString &applicationDirPath)
{
    return psServerPrefix() + digestOf(applicationDirPath) + QStringLiteral("-ChannelWebBroswerProcess-") + cGUIDStr();
}

QString userRuntimeDir(const QByteArray &xdgRuntimeDir)
{
    // A relative path would depend on where we were started.
    if (!xdgRuntimeDir.startsWith('/'))
        return QString();
    struct stat info = {};
    // A link could be swapped for another user's folder after this check.
    if (::lstat(xdgRuntimeDir.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QString();
    if (info.st_uid != ::geteuid() || (info.st_mode & 07777) != 0700)
        return QString();
    QString dir = QString::fromLocal8Bit(xdgRuntimeDir);
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

QString userEndpointName(const QString &applicationDirPath, const QString &runtimeDir)
{
    if (runtimeDir.isEmpty())
        return QString();
    // A socket's path must fit sockaddr_un's 108 bytes, its NUL included. The
    // shared name alone takes 96 of them, too many behind /run/user/1000/, so
    // the user's own endpoint drops the GUID: nobody else can reach the folder.
    const QString name = runtimeDir + QStringLiteral("/channel-web-browser-") + digestOf(applicationDirPath);
    if (name.toLocal8Bit().size() >= int(sizeof(sockaddr_un::sun_path)))
        return QString();
    return name;
}

QStringList endpointNames(const QString &applicationDirPath, const QString &runtimeDir)
{
    QStringList names;
    const QString own = userEndpointName(applicationDirPath, runtimeDir);
    if (!own.isEmpty())
        names << own;
    names << endpointName(applicationDirPath);
    return names;
}

bool peerIsOwnUser(qintptr socketDescriptor, uint *peerUid)
{
    struct ucred peer = {};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    if (peerUid)
        *peerUid = peer.uid;
    return peer.uid == ::geteuid();
}

SharedEndpoint sharedEndpointAt(const QString &path, uint *ownerUid)
{
    struct stat info = {};
    // lstat: a link planted at the path would lead the connection elsewhere.
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return SharedEndpoint::Missing;
    if (ownerUid)
        *ownerUid = info.st_uid;
    return S_ISSOCK(info.st_mode) && info.st_uid == ::geteuid() ? SharedEndpoint::Own : SharedEndpoint::Foreign;
}
