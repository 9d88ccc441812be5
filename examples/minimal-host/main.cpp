// SPDX-License-Identifier: Apache-2.0
// The smallest useful host: starts the browser, shows the page given on the
// command line, prints what the browser says, answers its requests, and
// exits when the user closes the window.
//
//     minimal-host [--browser PATH] URL

#include <hostlib/browserhost.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <cstdio>

using namespace ChannelWebBrowser;

static void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    args.addHelpOption();
    args.addOption({QStringLiteral("browser"), QStringLiteral("The channel-web-browser to start."),
                    QStringLiteral("path"), QStringLiteral(DEFAULT_BROWSER)});
    args.addPositionalArgument(QStringLiteral("url"), QStringLiteral("The page to show."));
    args.process(app);
    if (args.positionalArguments().size() != 1)
        args.showHelp(2);
    const QUrl url = QUrl::fromUserInput(args.positionalArguments().first());

    //! [configure]
    BrowserHost host;
    // Kept until the browser connects, then sent in this order: the window
    // is built from the configuration when showUrl() arrives.
    host.setTitle(QStringLiteral("Minimal host"));
    host.setAccessToken(QStringLiteral("example-token"));
    host.showUrl(url);
    //! [configure]

    //! [log]
    QObject::connect(&host, &BrowserLink::messageReceived, &host, [](const HostMessage &m) {
        print(QStringLiteral("browser: %1:%2 %3").arg(m.category, m.subcommand, QString::fromUtf8(m.payload)));
    });
    //! [log]

    //! [answer]
    // Answer every request with its key; this host keeps no downloads.
    QObject::connect(&host, &BrowserLink::fileListRequested, &host, [&host](const QString &key) {
        host.answerFileList(key, QList<DownloadRecord>());
    });
    QObject::connect(&host, &BrowserLink::downloadOffsetRequested, &host, [&host](const QString &key) {
        host.answerDownloadOffset(key, QList<DownloadRecord>());
    });
    QObject::connect(&host, &BrowserLink::startDownloadRequested, &host, [&host](const QString &key, const QUrl &file) {
        host.answerStartDownload(key, QStringLiteral("This host does not download %1").arg(file.fileName()));
    });
    QObject::connect(&host, &BrowserLink::currentUserInfoRequested, &host, [&host](const QString &key) {
        host.answerCurrentUserInfo(key, QStringLiteral(R"({"name":"Example User"})"));
    });
    QObject::connect(&host, &BrowserLink::removeAllHistoryRequested, &host, [&host](const QString &key) {
        host.answerRemoveAllHistory(key);
    });
    //! [answer]

    //! [start]
    // The user closed the window, or the browser could not start.
    QObject::connect(&host, &BrowserHost::browserFinished, &app, [](int code, QProcess::ExitStatus status) {
        print(QStringLiteral("browser exited with code %1").arg(code));
        QCoreApplication::exit(status == QProcess::NormalExit ? code : 1);
    });
    if (!host.start(args.value(QStringLiteral("browser")))) {
        std::fprintf(stderr, "minimal-host: %s\n", qPrintable(host.errorString()));
        return 1;
    }
    print(QStringLiteral("waiting for the browser on ") + host.endpoint());
    //! [start]
    return app.exec();
}
