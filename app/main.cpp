#include "config/vellchatwbconfigure.h"
#include "hostlink/endpoint.h"
#include "hostlink/transport.h"
#include "window/vellchatwebbroswer.h"

#include <QApplication>
#include <QWebEngineProfile>

// Shown by "test" without an address; any public page would do.
static const char kTestPage[] = "https://www.wikipedia.org/";

int main(int argc, char *argv[])
{
    // The page engine wants one shared GL context; and without a display its
    // scene graph has no GL at all, so draw it in software there.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // One scale for chrome, boxes and page. From 175 % of 96 dots per inch
    // up (or with QT_SCALE_FACTOR) the toolkit scales everything by whole
    // steps, so 192 dpi looks exactly like QT_SCALE_FACTOR=2; below that the
    // configuration store's 125 % and 150 % apply to the window's own sizes,
    // pictures and page zoom, which the toolkit would round away or blur.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && !qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QApplication app(argc, argv);
    // Start the page engine first: its helper processes come up while we
    // read the host's configuration and build the window, not after.
    QWebEngineProfile::defaultProfile();
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
    // The window manager's close sends the last position on the way out.
    transport::shareInstance()->flush();
    // A window closed by the window system is still alive here, and its page
    // must go before the web engine shuts down.
    VellChatWebBroswer::destory();
    return code;
}
