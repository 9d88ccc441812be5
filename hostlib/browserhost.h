// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlib/browserlink.h"
#include "hostlib/hostexport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>

namespace ChannelWebBrowser {

// A BrowserLink on the browser's own socket: listens where the browser will
// look, starts it, and carries the frames both ways. Typical use:
//
//     BrowserHost host;
//     host.setTitle("Docs");
//     host.showUrl(QUrl("https://example.org/"));   // kept until the browser connects
//     connect(&host, &BrowserHost::browserFinished, &app, &QCoreApplication::quit);
//     if (!host.start(browserPath)) qFatal("%s", qPrintable(host.errorString()));
//
// Frames written before the browser connects are kept and sent once it does;
// frames written after it has left are dropped. One browser at a time.
class CWB_HOST_EXPORT BrowserHost : public BrowserLink
{
    Q_OBJECT
public:
    explicit BrowserHost(QObject *parent = nullptr);
    // Hangs up, and kills a browser that has not left five seconds later.
    ~BrowserHost() override;

    // The socket path every user shares for a browser installed at
    // browserPath: "/tmp/", the MD5 of the directory that holds the executable
    // (links followed), "-ChannelWebBroswerProcess-{87A94AB0-E370-4cde-98D3-ACC110C5967D}".
    // The browser tries it after userEndpointFor().
    static QString endpointFor(const QString &browserPath);
    // runtimeDir (the browser's $XDG_RUNTIME_DIR) + "/channel-web-browser-" +
    // the same MD5, where the browser looks first: only this user reaches it,
    // so several users can each run their own host and browser of one
    // installation at once. Empty when runtimeDir is not a folder of this
    // user's with mode 0700, or the path would not fit a socket (107 bytes).
    static QString userEndpointFor(const QString &browserPath, const QString &runtimeDir);
    // Whether a file: URL's path that webfile:startDownload names is one the
    // browser wrote for a page and may hand over: a plain file in the
    // page-downloads folder of one of its scratch folders in the temporary
    // folder, which only this user can enter. Copy such a file and no other:
    // nothing else of this machine is the page's to hand on.
    static bool isBrowserScratchFile(const QString &path);

    // Listens on the endpoint of that browser, removing a socket file an
    // earlier run left behind, but not one a host still running listens on
    // (a lock file beside the socket tells, removed as this host ends): userEndpointFor() with the XDG_RUNTIME_DIR of
    // the browser's environment (see setProcessEnvironment()), or
    // endpointFor() when that folder will not do. False, with errorString(),
    // when it cannot.
    bool listen(const QString &browserPath);
    // Listens (unless listen() already did, for the same path) and starts the
    // browser with these arguments. False, with errorString(), when the path
    // is not an executable or the socket cannot be made; a browser that fails
    // later is reported by browserFinished().
    bool start(const QString &browserPath, const QStringList &arguments = QStringList());

    // The browser's environment; the default is this process's own. Run as
    // root, start() adds QTWEBENGINE_DISABLE_SANDBOX=1 unless it is set, since
    // the page engine refuses to start its sandbox as root.
    void setProcessEnvironment(const QProcessEnvironment &environment);
    // The browser process; its output goes to this process's stdout and stderr.
    QProcess *browserProcess();

    // The socket path listened on; empty before listen().
    QString endpoint() const;
    // Why the last listen() or start() failed, or why the browser could not start.
    QString errorString() const;
    // A browser is connected now.
    bool isConnected() const;

    // Closes the connection, after the frames already written: the browser
    // closes its window and exits with code 0. Before a browser has
    // connected it stops listening instead, dropping the frames kept for it,
    // and a browser just starting exits with code 0 as well.
    void hangUp();
    // Waits up to msecs for the browser process to end; true once it has
    // (or when none runs).
    bool waitForBrowserExit(int msecs = 5000);

signals:
    void browserConnected();
    // The connection ended: hangUp(), or the browser left (its window was
    // closed) or crashed.
    void browserDisconnected();
    // The browser process ended.
    void browserFinished(int exitCode, QProcess::ExitStatus status);

private:
    // Nothing private is part of the ABI; see BrowserLink.
    Q_DECL_HIDDEN void onNewConnection();
    Q_DECL_HIDDEN void write(const QByteArray &frame);

    class Private;
    std::unique_ptr<Private> d;
};

}
