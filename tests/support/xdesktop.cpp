// SPDX-License-Identifier: Apache-2.0
#include "tests/support/xdesktop.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

XDesktop::XDesktop(const Options &options)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    const QString dpi = QString::number(options.dpi);
    const QString size = QStringLiteral("%1x%2").arg(options.screen.width()).arg(options.screen.height());
    // Xephyr draws each of its screens into a window of the Xvfb below it.
    const QString hostSize = options.twoScreens
        ? QStringLiteral("%1x%2").arg(2 * options.screen.width()).arg(options.screen.height())
        : size;
    // A desktop's server keeps its settings while programs come and go; a
    // bare server would reset, forgetting the resources below, whenever its
    // last program (the browser between two sessions) left.
    if (!startServer(host, QStringLiteral("Xvfb"),
                     {QStringLiteral("-screen"), QStringLiteral("0"), hostSize + QStringLiteral("x24"),
                      QStringLiteral("-dpi"), dpi, QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                      QStringLiteral("-noreset")},
                     env, &displayName))
        return;
    if (options.twoScreens) {
        // Without RandR the toolkit takes its screens from Xinerama, which
        // Xephyr lays out side by side.
        env.insert(QStringLiteral("DISPLAY"), displayName);
        if (!startServer(nested, QStringLiteral("Xephyr"),
                         {QStringLiteral("+xinerama"), QStringLiteral("-extension"), QStringLiteral("RANDR"),
                          QStringLiteral("-screen"), size, QStringLiteral("-screen"), size,
                          QStringLiteral("-dpi"), dpi, QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                          QStringLiteral("-noreset")},
                         env, &displayName))
            return;
    }
    // Desktops tell their programs the density they chose through the
    // Xft.dpi resource (their settings daemons merge it on every start); the
    // server's own -dpi only gives the screen a physical size, which the newer
    // toolkit no longer takes its scale from. Set both, as a real desktop has.
    if (!setDpiResource(options.dpi))
        return;
    if (options.windowManager) {
        QProcessEnvironment wmEnv = environment();
        wmEnv.insert(QStringLiteral("HOME"), home.path());
        wmEnv.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        wmEnv.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        wm.setProcessEnvironment(wmEnv);
        wm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        wm.setStandardOutputFile(QProcess::nullDevice());
        wm.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!wm.waitForStarted(10000))
            return;
        // Ready once it has announced itself on the root window and set the
        // work area there, which it does a moment later: a window placed
        // before that is placed on a desktop still being set up.
        QDeadlineTimer deadline(30000);
        auto rootHas = [this](const char *property, const char *text) {
            return run(QStringLiteral("xprop"), {QStringLiteral("-root"), QLatin1String(property)}).contains(text);
        };
        while (!rootHas("_NET_SUPPORTING_WM_CHECK", "window id") || !rootHas("_NET_WORKAREA", " = ")) {
            if (deadline.hasExpired() || wm.state() != QProcess::Running)
                return;
            QThread::msleep(50);
        }
    }
    ok = true;
}

bool XDesktop::setDpiResource(int dpi)
{
    QFile resources(home.filePath(QStringLiteral("Xresources")));
    if (!resources.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    resources.write("Xft.dpi: " + QByteArray::number(dpi) + '\n');
    resources.close();
    QProcess xrdb;
    xrdb.setProcessEnvironment(environment());
    xrdb.start(QStringLiteral("xrdb"), {QStringLiteral("-nocpp"), QStringLiteral("-merge"), resources.fileName()});
    return xrdb.waitForFinished(15000) && xrdb.exitStatus() == QProcess::NormalExit && xrdb.exitCode() == 0;
}

XDesktop::~XDesktop()
{
    stop(wm);
    stop(nested);
    stop(host);
}

void XDesktop::stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool XDesktop::startServer(QProcess &process, const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &env, QString *name)
{
    // The server picks a free display itself and writes its number to our pipe.
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, QStringList{QStringLiteral("-displayfd"), QStringLiteral("1")} + arguments);
    if (!process.waitForStarted(10000))
        return false;
    QByteArray out;
    QDeadlineTimer deadline(30000);
    while (!out.contains('\n')) {
        if (deadline.hasExpired() || process.state() != QProcess::Running)
            return false;
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
    }
    *name = QLatin1Char(':') + QString::fromLatin1(out.trimmed());
    return true;
}

QProcessEnvironment XDesktop::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), displayName);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

QByteArray XDesktop::run(const QString &program, const QStringList &arguments, int timeoutMs) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished(1000);
        return QByteArray();
    }
    return tool.readAllStandardOutput();
}

bool XDesktop::xdotool(const QStringList &arguments) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(QStringLiteral("xdotool"), arguments);
    return tool.waitForFinished(15000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QString XDesktop::findWindow(const QString &title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        const QByteArray out = run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                    QStringLiteral("^%1$").arg(title)});
        const QByteArray first = out.split('\n').value(0).trimmed();
        if (!first.isEmpty())
            return QString::fromLatin1(first);
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return QString();
}

static int field(const QByteArray &text, const char *label)
{
    const QRegularExpression re(QStringLiteral("%1\\s*(-?\\d+)").arg(QRegularExpression::escape(QLatin1String(label))));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(text));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QRect XDesktop::clientRect(const QString &window) const
{
    const QByteArray info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    if (info.isEmpty())
        return QRect();
    return QRect(field(info, "Absolute upper-left X:"), field(info, "Absolute upper-left Y:"),
                 field(info, "Width:"), field(info, "Height:"));
}

QMargins XDesktop::frameExtents(const QString &window) const
{
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"; nothing without a window manager
    const QByteArray out = run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")});
    const int eq = out.indexOf('=');
    if (eq < 0)
        return QMargins();
    const QList<QByteArray> v = out.mid(eq + 1).split(',');
    if (v.size() != 4)
        return QMargins();
    return QMargins(v[0].trimmed().toInt(), v[2].trimmed().toInt(), v[1].trimmed().toInt(), v[3].trimmed().toInt());
}

bool XDesktop::isMaximized(const QString &window) const
{
    const QByteArray out = run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE")});
    return out.contains("_NET_WM_STATE_MAXIMIZED_VERT") && out.contains("_NET_WM_STATE_MAXIMIZED_HORZ");
}

bool XDesktop::isIconic(const QString &window) const
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_STATE")}).contains("Iconic");
}

QString XDesktop::activeWindow() const
{
    // "_NET_ACTIVE_WINDOW(WINDOW): window id # 0x400010"
    const QByteArray out = run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")});
    const int hash = out.indexOf('#');
    if (hash < 0)
        return QString();
    bool parsed = false;
    const qulonglong id = out.mid(hash + 1).trimmed().toULongLong(&parsed, 16);
    return parsed ? QString::number(id) : QString();
}

QPoint XDesktop::pointer() const
{
    // "x:700 y:100 screen:0 window:2097762"
    const QByteArray out = run(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation")});
    return QPoint(field(out, "x:"), field(out, "y:"));
}

bool XDesktop::drag(const QPoint &from, const QPoint &to) const
{
    QStringList args{QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
                     QStringLiteral("mousedown"), QStringLiteral("1")};
    // A few steps, as a hand would go; the last one lands exactly on the target.
    const int steps = 4;
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / steps;
        args << QStringLiteral("sleep") << QStringLiteral("0.05") << QStringLiteral("mousemove") << QString::number(p.x())
             << QString::number(p.y());
    }
    args << QStringLiteral("sleep") << QStringLiteral("0.1") << QStringLiteral("mouseup") << QStringLiteral("1");
    return xdotool(args);
}

bool XDesktop::doubleClick(const QPoint &at) const
{
    return xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                    QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"), QStringLiteral("80"),
                    QStringLiteral("1")});
}
