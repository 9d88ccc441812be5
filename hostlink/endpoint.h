// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <QString>
#include <QStringList>

// The host's local server name, derived from the directory of our executable
// so that each installation talks to its own host.
QString psServerPrefix();
const QString &cGUIDStr();
QString endpointName(const QString &applicationDirPath);

// The user's runtime folder (the value of $XDG_RUNTIME_DIR) when it can hold
// an endpoint nobody else reaches: a directory of our own user that no other
// user may enter (mode 0700). Empty otherwise.
QString userRuntimeDir(const QByteArray &xdgRuntimeDir);
// The user's own endpoint in that folder, "channel-web-browser-" and the same
// digest; empty for an empty folder, or one too deep for a socket's path.
QString userEndpointName(const QString &applicationDirPath, const QString &runtimeDir);
// Where the browser looks for its host, in order: its user's own endpoint
// (when runtimeDir is given), then the one in /tmp that every user shares.
QStringList endpointNames(const QString &applicationDirPath, const QString &runtimeDir);

// Whether the process at the other end of a connected local socket runs as
// our own user; *peerUid is its user id when the system could tell.
bool peerIsOwnUser(qintptr socketDescriptor, uint *peerUid = nullptr);
// What stands at an endpoint's path in a folder every user shares, where
// anyone can make the path first: nothing, a socket of our own user, or
// anything else (another user's socket, a link, a file). *ownerUid is the
// owner of what is there.
enum class SharedEndpoint { Missing, Own, Foreign };
SharedEndpoint sharedEndpointAt(const QString &path, uint *ownerUid = nullptr);
