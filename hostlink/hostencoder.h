// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every message the browser sends the host, as the bytes that go on the
// wire; where they go, and whether they may wait, is the link's business.
class HostEncoder
{
public:
    // category:subcommand:base64(utf8(payload));
    static QByteArray encodeMessage(const QString &category, const QString &subcommand, const QString &payload);

    // iq and webfile requests; key is the request key the answer brings back.
    static QByteArray currentUserInfo(const QString &key);
    static QByteArray askPermission(const QString &key, const QString &origin, const QString &feature);
    static QByteArray getWebfileList(const QString &key);
    static QByteArray getWebfileDownloadOffset(const QString &key, const QStringList &fileList);
    static QByteArray downloadFile(const QString &key, const QString &url, const QString &name);
    static QByteArray redownloadFile(const QString &key, const QString &fileKey);
    static QByteArray removeDownloadFile(const QString &key, const QString &fileKey);
    static QByteArray removeAllDownloadFile(const QString &key);
    static QByteArray openFileFoler(const QString &fileKey);

    // feedback
    static QByteArray savePosition(const QString &position);
    static QByteArray receiveLog(const QString &msg);
    static QByteArray goToChannel(const QString &channelId);
    static QByteArray openOutside();
    static QByteArray showChannel();
    static QByteArray shareArtile();
    static QByteArray storeToVell();
    static QByteArray refresh();
};
