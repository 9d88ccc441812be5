// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlib/browserlink.h"

#include <QObject>
#include <QString>
#include <QStringList>
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
    // The hardening keys, each sent when set (host/README.md, "Hardening keys").
    QStringList accessTokenHosts;
    bool strictCertificates = false;
    QStringList bridgeOrigins;
    QStringList externalSchemes;
};

// What reference-host does with one browser: answers every request with its
// key and acts on the rest. The link does the framing and the parsing; the
// session only decides, so tests can drive it with a bare BrowserLink and read
// the exact frames that come back without any socket.
class HostSession : public QObject
{
    Q_OBJECT
public:
    HostSession(ChannelWebBrowser::BrowserLink *link, HostStore *store, HostDownloader *downloader,
                const HostSettings &settings, QObject *parent = nullptr);

    // Configuration, title buttons, then the page.
    void sendStartup();
    void showUrl(const QUrl &url);

    // Folders and pages are opened through this; the default asks the desktop.
    void setUrlOpener(std::function<bool(const QUrl &)> opener) { urlOpener = std::move(opener); }
    // Share puts the page's address here; the default is the desktop's
    // clipboard. False when there is none.
    void setClipboard(std::function<bool(const QString &)> writer) { clipboard = std::move(writer); }
    // The page shown last, which Refresh shows again.
    QUrl shownUrl() const { return lastShown; }

    // The text handed to pages that ask for the current user.
    static QString userInfo(const QString &name);

signals:
    void note(const QString &line);      // for stdout
    void warning(const QString &line);   // for stderr
    void positionSaved(const QString &text);

private:
    void onButton(const QString &name);
    void onCollect();
    void onShare();
    void onCurrentUserInfo(const QString &key);
    void onGetFileList(const QString &key);
    void onGetDownloadOffset(const QString &key, const QStringList &fileKeys);
    void onPermission(const QString &key, const QString &origin, const QStringList &features);
    void onStartDownload(const QString &key, const QUrl &url, const QString &name);
    void onRestartDownload(const QString &key, const QString &fileKey);
    void onRemoveHistory(const QString &key, const QString &fileKey);
    void onRemoveAllHistory(const QString &key);
    void onOpenFileFolder(const QString &fileKey);
    void onSavePosition(const QString &text);
    void onIgnored(const ChannelWebBrowser::HostMessage &message, const QString &why);
    // What the host cannot do is told to the user in the window's message
    // box, not only on stderr.
    void tell(const QString &text);
    bool openUrl(const QUrl &url);

    ChannelWebBrowser::BrowserLink *link;
    HostStore *store;
    HostDownloader *downloader;
    HostSettings settings;
    std::function<bool(const QUrl &)> urlOpener;
    std::function<bool(const QString &)> clipboard;
    QUrl lastShown;
};
