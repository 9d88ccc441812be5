#include "config/vellchatwbconfigure.h"
#include "hostlink/endpoint.h"
#include "hostlink/transport.h"
#include "web/pageprofile.h"
#include "window/vellchatwebbroswer.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

// Shown by "test" without an address; any public page would do.
static const char kTestPage[] = "https://www.wikipedia.org/";

// SIGTERM, SIGINT and SIGHUP only write a byte here; the event loop reads it
// and leaves as if the window had closed, so the engine shuts down and the
// page profile's private folder is removed.
static int signalPair[2] = {-1, -1};

static void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPair[0], &byte, 1);
}

static void quitOnSignals(QCoreApplication *app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPair) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPair[1], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] { QCoreApplication::exit(0); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int main(int argc, char *argv[])
{
    // The page engine wants one shared GL context; and without a display its
    // scene graph has no GL at all, so draw it in software there.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && !qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QApplication app(argc, argv);
    quitOnSignals(&app);
    // Start the page engine first: its helper processes come up while we
    // read the host's configuration and build the window, not after.
    PageProfile::instance();
    VellChatWBConfigure::init();
    const QString name = endpointName(QCoreApplication::applicationDirPath());

    // QApplication has already taken its own options out of argc and argv.
    if ((argc == 2 || argc == 3) && QString::fromUtf8(argv[1]) == QLatin1String("test")) {
        const QString url = argc == 3 ? QString::fromUtf8(argv[2]) : QString::fromLatin1(kTestPage);
        VellChatWebBroswer::newVellChatWebBroswer(url, nullptr);
    } else {
        transport::shareInstance()->connectToVell(name);
    }
    const int code = app.exec();
    // A window closed by the window system is still alive here, and its page
    // must go before the web engine shuts down.
    VellChatWebBroswer::destory();
    return code;
}
