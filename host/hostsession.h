#pragma once

#include "host/hostframer.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class HostDownloader;
class HostStore;

// What reference-host tells the browser about itself at the start.
struct HostSettings
{
    QString title = QStringLiteral("Demo Channel");
    QString accessToken;
    QString userName = QStringLiteral("Demo User");
    QUrl pageUrl;
    // Sent as "windowsRect" until the browser has reported a position of its own.
    QString firstWindowRect;
    // Open Outside and Channel share one place in the title bar; show one.
    bool showOpenOutside = true;
    bool showChannel = false;
    bool showCollect = true;
    bool showShare = true;
    // The hardening keys, each sent when not empty (see README.md).
    QString accessTokenHosts;
    QString strictCertificates;
    QString bridgeOrigins;
};

// The host's half of one browser connection: reads the browser's messages,
// answers every request with its key and acts on the rest. It writes
// through the outgoing signal only, so tests can feed bytes in and read the
// exact frames that come back without any socket.
class HostSession : public QObject
{
    Q_OBJECT
public:
    HostSession(HostStore *store, HostDownloader *downloader, const HostSettings &settings, QObject *parent = nullptr);

    // Bytes as they came off the socket, in any cut.
    void receive(const QByteArray &bytes);
    // Configuration, title buttons, then the page.
    void sendStartup();
    void showUrl(const QUrl &url);
    void send(const QString &category, const QString &subcommand, const QString &payload);

    // Folders and pages are opened through this; the default asks the desktop.
    void setUrlOpener(std::function<bool(const QUrl &)> opener) { urlOpener = std::move(opener); }

    // The text handed to pages that ask for the current user.
    static QString userInfo(const QString &name);

signals:
    void outgoing(const QByteArray &bytes);
    void note(const QString &line);      // for stdout
    void warning(const QString &line);   // for stderr
    void positionSaved(const QString &text);

private:
    void handle(const HostMessage &message);
    void onWebfile(const QString &subcommand, const QByteArray &payload);
    void onFeedback(const QString &subcommand, const QString &text);
    void onCurrentUserInfo(const QString &key);
    void onGetFileList(const QString &key);
    void onGetDownloadOffset(const QByteArray &json);
    void onStartDownload(const QByteArray &json);
    void onRestartDownload(const QByteArray &json);
    void onRemoveHistory(const QByteArray &json);
    void onRemoveAllHistory(const QByteArray &json);
    void onOpenFileFolder(const QString &fileKey);
    void onSavePosition(const QString &text);
    void answer(const QString &subcommand, const QJsonObject &object);
    // A list answer: {"data": data, "key": key}.
    void answerData(const QString &subcommand, const QJsonArray &data, const QString &key);
    void ignore(const HostMessage &message, const QString &why);
    void openUrl(const QUrl &url);

    HostStore *store;
    HostDownloader *downloader;
    HostSettings settings;
    HostFramer framer;
    qint64 discardedSeen = 0;
    std::function<bool(const QUrl &)> urlOpener;
};
