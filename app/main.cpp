// SPDX-License-Identifier: Apache-2.0
#include "config/logcategories.h"
#include "config/vellchatwbconfigure.h"
#include "hostlink/endpoint.h"
#include "hostlink/transport.h"
#include "web/pageaccessibility.h"
#include "web/pageprofile.h"
#include "window/vellchatwebbroswer.h"
#include "window/windowhostcommands.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <csignal>
#include <pwd.h>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
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

// Qt 5.15's AT-SPI bridge, meeting an accessibility bus that is already up
// (as it always is under a screen reader), asks the session bus for the
// accessibility bus's address and, before the answer is in, switches itself on
// through a queued call over a connection that does not exist yet. It then
// never registers the application, and the screen reader finds no window.
// Dropping that one premature call leaves the switch-on to the answer, which
// comes with the connection made. When the connection is already there (the
// address read off the X root window) the call goes through untouched.
class AccessibilityBridgeGuard : public QObject
{
public:
    using QObject::QObject;
protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (event->type() != QEvent::MetaCall || !receiver->inherits("QSpiAccessibleBridge"))
            return false;
        qApp->removeEventFilter(this);
        deleteLater();
        // The bridge's own connection to the accessibility bus, by its name.
        return !QDBusConnection(QStringLiteral("a11y")).isConnected();
    }
};

// Without a session bus named in the environment and without the user's bus
// in the runtime folder, D-Bus "autolaunches" one: on an X display without a
// session manager (a bare X session, a kiosk, a test display) the toolkit's
// first look for the session bus starts dbus-launch and a dbus-daemon that
// outlive the browser, and leaves a file under ~/.dbus. A browser the host
// starts and stops must leave nothing behind, so that case gets an address
// no connection can be made to, and the session bus's few uses by the
// toolkit (the desktop's menu and tray services, asking for the
// accessibility bus's address) go without.
// A screen reader on such a display still finds the window: the
// accessibility bus's address is read off the X root window first. Our own
// children (the page engine's helpers, a folder opened for the user) inherit
// the same; they would otherwise autolaunch a bus each.
static void keepDBusFromAutolaunching()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat bus = {};
    if (!runtime.isEmpty() && ::stat((runtime + "/bus").constData(), &bus) == 0 && S_ISSOCK(bus.st_mode))
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

// Without XDG_RUNTIME_DIR the toolkit makes a runtime folder of its own,
// <temporary folder>/runtime-<user>, and leaves it there. One this run made
// goes again at exit, after the engine: only while empty, since another
// program of the user's may have put something in it meanwhile.
class DefaultRuntimeFolder
{
public:
    DefaultRuntimeFolder()
    {
        if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            return;
        const passwd *user = ::getpwuid(::geteuid());
        if (!user)
            return;
        path = QDir::tempPath() + QStringLiteral("/runtime-") + QString::fromLocal8Bit(user->pw_name);
        if (QFileInfo::exists(path))
            path.clear();
    }
    ~DefaultRuntimeFolder()
    {
        if (!path.isEmpty())
            QDir().rmdir(path);
    }
private:
    QString path;   // empty: nothing of ours to remove
};

// The directory the endpoint is named after, found the way the toolkit finds
// it once the application object exists: the executable, links resolved.
static QString executableDir()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

static void printHelp()
{
    const QString dir = executableDir();
    std::printf("Usage: channel-web-browser [test [URL]]\n"
                "\n"
                "A single-window web browser that a host application starts and drives over a\n"
                "local socket. Started without arguments it connects to the host's socket, shows\n"
                "nothing until the host asks for a page, and exits when the host hangs up or the\n"
                "window is closed.\n"
                "\n"
                "  test [URL]   open URL (default %s) without any host\n"
                "  --version    print the version and exit\n"
                "  --help       print this text and exit\n"
                "\n"
                "The host's socket is named after the directory of this executable (links\n"
                "resolved): first $XDG_RUNTIME_DIR/channel-web-browser-<md5hex(directory)>, when\n"
                "that folder is the user's own (mode 0700), then\n"
                "\"/tmp/\" + md5hex(directory) + \"-ChannelWebBroswerProcess-%s\".\n"
                "Here the directory is %s, so the browser looks for its host at, in this order:\n"
                "  %s\n"
                "The host listens there before it starts the browser.\n"
                "\n"
                "Environment:\n"
                "  QTWEBENGINE_DISABLE_SANDBOX=1  needed to run as root: the page engine will not\n"
                "                                 start its sandbox then\n"
                "  QTWEBENGINE_CHROMIUM_FLAGS     extra switches for the page engine, e.g. --disable-gpu\n"
                "  QT_QPA_PLATFORM                the window system: xcb, wayland, offscreen\n"
                "  QT_QUICK_BACKEND=software      draw pages without GL; set for you under offscreen\n"
                "  QT_LOGGING_RULES               e.g. \"channel.*.debug=false\" hides the browser's debug\n"
                "                                 lines (channel.hostlink, channel.downloads, channel.widgets)\n"
                "  and the other variables of Qt and its page engine.\n"
                "\n"
                "Inspecting pages (integrators only):\n"
                "  QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:PORT  serves the page engine's developer\n"
                "      tools on that port: open http://127.0.0.1:PORT in a Chromium-based browser\n"
                "      to see the page's elements, console, network requests (with the access\n"
                "      token header), storage and scripts, and to run scripts in the page.\n"
                "      Anyone who can reach the port can do all of that, with no password:\n"
                "      never set it in a shipped product or on a shared machine.\n",
                kTestPage, qPrintable(cGUIDStr()), qPrintable(dir),
                qPrintable(endpointNames(dir, userRuntimeDir(qgetenv("XDG_RUNTIME_DIR"))).join(QStringLiteral("\n  "))));
}

int main(int argc, char *argv[])
{
    // Answered before any window system is needed, so they work anywhere.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("channel-web-browser %s\n", WB_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        printHelp();
        return 0;
    }
    keepLogLinesPlain();
    keepDBusFromAutolaunching();
    const DefaultRuntimeFolder runtimeFolder;
    // The page engine wants one shared GL context; and without a display its
    // scene graph has no GL at all, so draw it in software there.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // On a display with GL both the scene graph and the GL driver (Mesa)
    // would keep compiled shaders in ~/.cache for the next start; the browser
    // leaves nothing on disk, and compiles its few shaders again instead.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    if (!qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DISABLE") && !qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DIR"))
        qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    // One scale for chrome, boxes and page. From 175 % of 96 dots per inch
    // up (or with QT_SCALE_FACTOR) the toolkit scales everything by whole
    // steps, so 192 dpi looks exactly like QT_SCALE_FACTOR=2; below that the
    // configuration store's 125 % and 150 % apply to the window's own sizes,
    // pictures and page zoom, which the toolkit would round away or blur.
    // (The newer toolkit always scales so.)
#if QT_VERSION_MAJOR < 6
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && !qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    PageAccessibility::prepareToolkit();
    QApplication app(argc, argv);
    app.installEventFilter(new AccessibilityBridgeGuard(&app));
    quitOnSignals(&app);
    // Before the engine starts: it reads its switches once.
    PageAccessibility::prepareEngine();
    // Start the page engine first: its helper processes come up while we
    // read the host's configuration and build the window, not after.
    PageProfile::instance();
    VellChatWBConfigure::init();
    const QStringList names = endpointNames(QCoreApplication::applicationDirPath(), userRuntimeDir(qgetenv("XDG_RUNTIME_DIR")));
    // What the host asks is done to the window.
    WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);

    // QApplication has already taken its own options out of argc and argv.
    if ((argc == 2 || argc == 3) && QString::fromUtf8(argv[1]) == QLatin1String("test")) {
        const QString url = argc == 3 ? QString::fromUtf8(argv[2]) : QString::fromLatin1(kTestPage);
        VellChatWebBroswer::newVellChatWebBroswer(url, nullptr);
    } else {
        transport::shareInstance()->connectToVell(names);
    }
    const int code = app.exec();
    // The window manager's close sends the last position on the way out.
    transport::shareInstance()->flush();
    // A window closed by the window system is still alive here, and its page
    // must go before the web engine shuts down.
    VellChatWebBroswer::destory();
    return code;
}
