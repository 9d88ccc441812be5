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
    // What pages send, the user-information request among it, is encoded by
    // encodeMessage() from the page message's own row.
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
    // The title buttons; page is the address they were pressed on, empty
    // unless the host asked for it.
    static QByteArray openOutside(const QString &page = QString());
    static QByteArray showChannel(const QString &page = QString());
    static QByteArray shareArtile(const QString &page = QString());
    static QByteArray storeToVell(const QString &page = QString());
    static QByteArray refresh(const QString &page = QString());
    // The page the user is on: {title, url}, and how its loading ended: {ok, url}.
    static QByteArray navigated(const QString &url, const QString &title);
    static QByteArray loadFinished(const QString &url, bool ok);
};
