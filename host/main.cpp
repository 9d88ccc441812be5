// SPDX-License-Identifier: Apache-2.0
#include "host/referencehost.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

// Ctrl-C and SIGTERM only write a byte here; the event loop reads it and
// quits, so the browser is still hung up on properly.
static int signalPipe[2] = {-1, -1};

static void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

// In the build folder the browser is built beside reference-host; installed,
// reference-host lives in a folder of its own (no generic name in everybody's
// PATH) and the browser in the programs folder, WB_BROWSER_DIR relative to it.
static QString defaultBrowserPath()
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString beside = here.filePath(QStringLiteral("channel-web-browser"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(here.filePath(QStringLiteral(WB_BROWSER_DIR "/channel-web-browser")));
}

static void installSignalHandlers(QCoreApplication *app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [app] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[1], &byte, 1);
        std::fprintf(stdout, "stopping: hanging up on the browser\n");
        std::fflush(stdout);
        app->quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int main(int argc, char *argv[])
{
    // The host draws nothing itself, so it can run without a display; the
    // browser it starts cannot, which is said below.
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (noDisplay && !platformChosen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The position text is in the browser's logical pixels: from 175 % up the
    // browser lets the toolkit scale by whole steps, so measure the screen for
    // the first window the same way, or the window opens twice as far out.
#if QT_VERSION_MAJOR < 6
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    QGuiApplication app(argc, argv);
    if (noDisplay && !platformChosen)
        qunsetenv("QT_QPA_PLATFORM");   // not for the browser
    QCoreApplication::setApplicationName(QStringLiteral("reference-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Starts channel-web-browser and plays the host application for it: configures the window, "
        "shows a demo site, answers its requests and carries out its downloads."));
    parser.addHelpOption();
    const HostOptions defaults;
    const QCommandLineOption url(QStringLiteral("url"), QStringLiteral("Show this page instead of the demo site."), QStringLiteral("URL"));
    const QCommandLineOption token(QStringLiteral("token"), QStringLiteral("Access token the browser sends as X-Access-Token (default %1).").arg(defaults.token), QStringLiteral("TEXT"), defaults.token);
    const QCommandLineOption downloadDir(QStringLiteral("download-dir"), QStringLiteral("Folder for downloads (default: the user's download folder)."), QStringLiteral("DIR"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QStringLiteral("Folder for the download history and window position."), QStringLiteral("DIR"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Name of the current user handed to pages (default \"%1\").").arg(defaults.userName), QStringLiteral("NAME"), defaults.userName);
    const QCommandLineOption browser(QStringLiteral("browser"), QStringLiteral("The channel-web-browser executable (default: the one installed with reference-host)."), QStringLiteral("PATH"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QStringLiteral("Once the page is up, save a screenshot of the X screen to FILE and exit."), QStringLiteral("FILE"));
    const QCommandLineOption exitAfter(QStringLiteral("exit-after-ms"), QStringLiteral("Exit after N milliseconds."), QStringLiteral("N"));
    const QCommandLineOption harden(QStringLiteral("harden"), QStringLiteral(
        "Send the hardening keys: the token only to the page's host, the page bridge only for its origin, "
        "and strict certificates (the demo site links to where each makes a difference)."));
    parser.addOptions({url, token, downloadDir, dataDir, user, browser, screenshot, exitAfter, harden});
    parser.process(app);

    HostOptions options;
    options.browserPath = parser.isSet(browser) ? parser.value(browser) : defaultBrowserPath();
    if (parser.isSet(url)) {
        options.url = QUrl::fromUserInput(parser.value(url));
        if (!options.url.isValid()) {
            std::fprintf(stderr, "reference-host: not a page address: %s\n", qPrintable(parser.value(url)));
            return 2;
        }
    }
    options.token = parser.value(token);
    options.userName = parser.value(user);
    options.harden = parser.isSet(harden);
    options.downloadDir = parser.isSet(downloadDir) ? parser.value(downloadDir)
                                                    : QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    options.dataDir = parser.isSet(dataDir) ? parser.value(dataDir)
                                            : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (parser.isSet(screenshot))
        options.screenshotFile = QFileInfo(parser.value(screenshot)).absoluteFilePath();
    if (parser.isSet(exitAfter)) {
        bool ok = false;
        options.exitAfterMs = parser.value(exitAfter).toInt(&ok);
        if (!ok || options.exitAfterMs <= 0) {
            std::fprintf(stderr, "reference-host: --exit-after-ms needs a positive number\n");
            return 2;
        }
    }

    ReferenceHost host(options);
    QObject::connect(&host, &ReferenceHost::note, &app, [](const QString &line) {
        std::fprintf(stdout, "%s\n", qPrintable(line));
        std::fflush(stdout);
    });
    QObject::connect(&host, &ReferenceHost::warning, &app, [](const QString &line) {
        std::fprintf(stderr, "reference-host: %s\n", qPrintable(line));
        std::fflush(stderr);
    });
    QObject::connect(&host, &ReferenceHost::finished, &app, [](int code) { QCoreApplication::exit(code); });
    installSignalHandlers(&app);

    if (noDisplay && !platformChosen)
        std::fprintf(stderr, "reference-host: there is no display for the browser window; use scripts/run, which "
                             "starts a virtual one (xvfb-run), or set QT_QPA_PLATFORM=offscreen and QT_QUICK_BACKEND=software\n");
    std::fprintf(stdout, "downloads go to %s, history kept in %s\n", qPrintable(options.downloadDir), qPrintable(options.dataDir));
    if (!host.start()) {
        std::fprintf(stderr, "reference-host: %s\n", qPrintable(host.errorString()));
        return 1;
    }
    const int code = app.exec();
    host.shutdown();
    return code;
}
