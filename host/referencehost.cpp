// SPDX-License-Identifier: Apache-2.0
#include "host/referencehost.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QProcessEnvironment>

ReferenceHost::ReferenceHost(const HostOptions &options, QObject *parent)
    : QObject(parent)
    , options(options)
    , hostStore(options.dataDir)
    , hostDownloader(&hostStore, options.downloadDir)
{
    hostDownloader.setAccessToken(options.token);
    connect(&hostDownloader, &HostDownloader::note, this, &ReferenceHost::note);
    connect(&hostDownloader, &HostDownloader::warning, this, &ReferenceHost::warning);
    connect(&link, &ChannelWebBrowser::BrowserHost::browserConnected, this, &ReferenceHost::onBrowserConnected);
    connect(&link, &ChannelWebBrowser::BrowserHost::browserDisconnected, this, [this] { emit note(QStringLiteral("the browser hung up")); });
    connect(&link, &ChannelWebBrowser::BrowserHost::browserFinished, this, &ReferenceHost::onBrowserFinished);
    screenshotTimer.setSingleShot(true);
    connect(&screenshotTimer, &QTimer::timeout, this, &ReferenceHost::takeScreenshot);
    // Once, here: the screenshot may be taken more than once, and a lambda
    // cannot be connected "uniquely" (Qt 6 refuses it, and the host never
    // heard that the screenshot was done).
    connect(&screenshotProcess, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && code == 0 && QFileInfo(this->options.screenshotFile).size() > 0) {
            emit note(QStringLiteral("screenshot saved to %1").arg(this->options.screenshotFile));
            finish(0);
        } else {
            emit warning(QStringLiteral("the screenshot failed: %1").arg(QString::fromLocal8Bit(screenshotProcess.readAllStandardError()).trimmed()));
            finish(1);
        }
    });
    connect(&screenshotProcess, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            emit warning(QStringLiteral("cannot run \"import\" for the screenshot; install imagemagick"));
            finish(1);
        }
    });
    connect(&demoSite, &DemoSite::beacon, this, [this](const QString &event, const QString &) {
        // Give the engine a moment to paint what the page just built.
        if (event == QLatin1String("ready") && !this->options.screenshotFile.isEmpty())
            scheduleScreenshot(1500);
    });
}

ReferenceHost::~ReferenceHost()
{
    shutdown();
}

QString ReferenceHost::firstWindowRect()
{
    // Roomy enough for the demo page's three columns, centred, on a first start.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QString();
    const QRect area = screen->availableGeometry();
    const int width = qMin(1100, area.width() * 9 / 10);
    const int height = qMin(800, area.height() * 9 / 10);
    if (width <= 0 || height <= 0)
        return QString();
    return QStringLiteral("%1,%2,%3,%4,0")
        .arg(area.x() + (area.width() - width) / 2)
        .arg(area.y() + (area.height() - height) / 2)
        .arg(width)
        .arg(height);
}

QUrl ReferenceHost::pageUrl() const
{
    return options.url.isEmpty() ? demoSite.url() : options.url;
}

bool ReferenceHost::start()
{
    const QFileInfo browserInfo(options.browserPath);
    if (!browserInfo.isFile() || !browserInfo.isExecutable()) {
        error = QStringLiteral("no browser executable at %1 (use --browser PATH)").arg(options.browserPath);
        return false;
    }
    if (!hostStore.load())
        emit warning(QStringLiteral("could not read the download history %1 (%2); starting with an empty one")
                         .arg(hostStore.filePath(), hostStore.lastError()));
    if (options.url.isEmpty()) {
        if (!demoSite.start()) {
            error = QStringLiteral("cannot serve the demo site on 127.0.0.1");
            return false;
        }
        emit note(QStringLiteral("demo site at %1").arg(demoSite.url().toString()));
        if (demoSite.startSelfSigned())
            emit note(QStringLiteral("self-signed demo page at %1").arg(demoSite.selfSignedUrl().toString()));
    }

    HostSettings settings;
    settings.accessToken = options.token;
    settings.userName = options.userName;
    settings.pageUrl = pageUrl();
    settings.firstWindowRect = firstWindowRect();
    if (options.harden) {
        // The token and the bridge for the page's own host and origin only;
        // a certificate error stops a page; the demo site hands nothing to
        // other programs.
        const QUrl page = pageUrl();
        settings.accessTokenHosts = QStringList{page.host()};
        settings.strictCertificates = true;
        settings.bridgeOrigins = QStringList{page.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                                                           | QUrl::RemoveUserInfo).toString()};
        settings.externalSchemes = QStringList{QStringLiteral("none")};
    }
    hostDownloader.setAccessTokenHosts(settings.accessTokenHosts);
    hostSession = new HostSession(&link, &hostStore, &hostDownloader, settings, this);
    connect(hostSession, &HostSession::note, this, &ReferenceHost::note);
    connect(hostSession, &HostSession::warning, this, &ReferenceHost::warning);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The browser logs every message it reads at debug level under its
    // "channel.*" categories; keep its warnings, not that chatter, unless asked for.
    if (!env.contains(QStringLiteral("QT_LOGGING_RULES")))
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("default.debug=false;channel.*.debug=false"));
    link.setProcessEnvironment(env);
    // Listening comes first inside start(): the browser looks for us at once.
    if (!link.start(browserInfo.absoluteFilePath())) {
        error = link.errorString();
        return false;
    }
    emit note(QStringLiteral("started %1, waiting for it on %2").arg(browserInfo.absoluteFilePath(), link.endpoint()));

    if (options.exitAfterMs > 0)
        QTimer::singleShot(options.exitAfterMs, this, [this] { finish(0); });
    if (!options.screenshotFile.isEmpty()) {
        // In case the page never reports back, do not wait for ever.
        QTimer::singleShot(45000, this, [this] {
            if (!finishing && !screenshotTimer.isActive() && screenshotProcess.state() == QProcess::NotRunning) {
                emit warning(QStringLiteral("the page did not report that it loaded; taking the screenshot anyway"));
                takeScreenshot();
            }
        });
    }
    return true;
}

void ReferenceHost::onBrowserConnected()
{
    emit note(QStringLiteral("browser connected"));
    hostSession->sendStartup();
    emit browserConnected();
    if (!options.screenshotFile.isEmpty() && !options.url.isEmpty())
        scheduleScreenshot(8000);
}

void ReferenceHost::onBrowserFinished(int exitCode, QProcess::ExitStatus status)
{
    if (finishing)
        return;
    if (browser().error() == QProcess::FailedToStart)
        emit warning(link.errorString());
    else if (status == QProcess::CrashExit)
        emit warning(QStringLiteral("the browser crashed"));
    else
        emit note(QStringLiteral("the browser exited with code %1").arg(exitCode));
    const int code = status == QProcess::NormalExit && exitCode == 0 ? 0 : 1;
    // Downloads are the host's work, not the window's: closing the window
    // does not end them, and the history gets each one's outcome.
    if (hostDownloader.runningCount() > 0) {
        emit note(QStringLiteral("the window is closed; finishing %1 running download(s) first (Ctrl-C cancels them)")
                      .arg(hostDownloader.runningCount()));
        connect(&hostDownloader, &HostDownloader::finished, this, [this, code] {
            if (hostDownloader.runningCount() == 0)
                finish(code);
        });
        return;
    }
    finish(code);
}

void ReferenceHost::scheduleScreenshot(int delayMs)
{
    if (!finishing && !screenshotTimer.isActive() && screenshotProcess.state() == QProcess::NotRunning)
        screenshotTimer.start(delayMs);
}

void ReferenceHost::takeScreenshot()
{
    // The window belongs to another process, so grab the whole X screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        emit warning(QStringLiteral("--screenshot needs an X display; run under xvfb-run (scripts/run does that for you)"));
        finish(1);
        return;
    }
    screenshotProcess.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), options.screenshotFile});
}

void ReferenceHost::finish(int exitCode)
{
    if (finishing)
        return;
    finishing = true;
    emit finished(exitCode);
}

void ReferenceHost::shutdown()
{
    finishing = true;
    screenshotTimer.stop();
    // Hanging up is how the browser is asked to leave.
    link.hangUp();
    if (!link.waitForBrowserExit(5000)) {
        emit warning(QStringLiteral("the browser did not exit after the hang-up; killing it"));
        browser().kill();
        browser().waitForFinished(3000);
    }
    if (screenshotProcess.state() != QProcess::NotRunning) {
        screenshotProcess.kill();
        screenshotProcess.waitForFinished(2000);
    }
    hostDownloader.abandonAll(QStringLiteral("the host stopped before it finished"));
    demoSite.stop();
}
