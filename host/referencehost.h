// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "host/demosite.h"
#include "host/hostdownloader.h"
#include "host/hostsession.h"
#include "host/hoststore.h"
#include "hostlib/browserhost.h"

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <QUrl>

struct HostOptions
{
    QString browserPath;      // the channel-web-browser executable
    QUrl url;                 // empty: the demo site
    QString token = QStringLiteral("demo-token-4f2a9c");
    QString downloadDir;
    QString dataDir;
    QString userName = QStringLiteral("Demo User");
    QString screenshotFile;   // set: take one once the page is up, then finish
    int exitAfterMs = 0;      // > 0: finish after that long
    bool harden = false;      // send the hardening keys for the page's own host
};

// reference-host as a whole: listens on the browser's endpoint, starts the
// browser, gives each connection a HostSession, serves the demo site and
// finishes when the browser leaves.
class ReferenceHost : public QObject
{
    Q_OBJECT
public:
    explicit ReferenceHost(const HostOptions &options, QObject *parent = nullptr);
    ~ReferenceHost() override;

    // Listens, then starts the browser. False, with errorString(), when
    // either cannot be done.
    bool start();
    // Hangs up, which makes the browser close its window and exit, and waits
    // for it; a browser that is still there after a few seconds is killed.
    void shutdown();

    QString errorString() const { return error; }
    QString endpoint() const { return link.endpoint(); }
    QUrl pageUrl() const;
    HostStore &store() { return hostStore; }
    HostDownloader &downloader() { return hostDownloader; }
    DemoSite &site() { return demoSite; }
    HostSession *session() const { return hostSession; }
    // The connection to the browser: what it says comes out of its signals.
    ChannelWebBrowser::BrowserHost &browserLink() { return link; }
    QProcess &browser() { return *link.browserProcess(); }
    // "x,y,width,height,0" for a first window on the primary screen.
    static QString firstWindowRect();

signals:
    void browserConnected();
    // The host's work is over: the browser left, the screenshot is taken or
    // the time given by exitAfterMs has passed.
    void finished(int exitCode);
    void note(const QString &line);
    void warning(const QString &line);

private:
    void onBrowserConnected();
    void onBrowserFinished(int exitCode, QProcess::ExitStatus status);
    void scheduleScreenshot(int delayMs);
    void takeScreenshot();
    void finish(int exitCode);

    HostOptions options;
    HostStore hostStore;
    HostDownloader hostDownloader;
    DemoSite demoSite;
    ChannelWebBrowser::BrowserHost link;
    QPointer<HostSession> hostSession;
    QProcess screenshotProcess;
    QTimer screenshotTimer;
    QString error;
    bool finishing = false;
};
