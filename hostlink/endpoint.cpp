// SPDX-License-Identifier: Apache-2.0
#include "hostlink/endpoint.h"

#include <QCryptographicHash>

QString psServerPrefix()
{
    return QStringLiteral("/tmp/");
}

const QString &cGUIDStr()
{
    static const QString guid = QStringLiteral("{87A94AB0-E370-4cde-98D3-ACC110C5967D}");
    return guid;
}

QString endpointName(const QString &applicationDirPath)
{
    const QByteArray digest = QCryptographicHash::hash(applicationDirPath.toLocal8Bit(), QCryptographicHash::Md5).toHex();
    return psServerPrefix() + QString::fromLatin1(digest) + QStringLiteral("-ChannelWebBroswerProcess-") + cGUIDStr();
}
