// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QMargins>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>

// A private X desktop for one test: an Xvfb of its own (found through
// -displayfd, so parallel tests never share one), optionally with openbox
// decorating the windows, or with two screens side by side (Xephyr with
// Xinerama inside the Xvfb, which itself can only stack its screens).
// Programs started with environment() run on it; the X tools below look at
// its windows the way a user's desktop shows them.
class XDesktop
{
public:
    struct Options
    {
        QSize screen = QSize(1280, 1024);
        int dpi = 96;             // the server's and the desktop's (Xft.dpi) density
        bool windowManager = false;
        bool twoScreens = false;   // two screens of that size, side by side
    };

    explicit XDesktop(const Options &options);
    ~XDesktop();

    bool isValid() const { return ok; }
    QString display() const { return displayName; }
    // The system environment pointed at this desktop, for the xcb platform.
    QProcessEnvironment environment() const;

    // Runs an X tool on this desktop and returns what it printed; empty on failure.
    QByteArray run(const QString &program, const QStringList &arguments, int timeoutMs = 15000) const;
    bool xdotool(const QStringList &arguments) const;

    // The id of the visible top-level window with this exact title, or empty.
    QString findWindow(const QString &title, int timeoutMs = 60000) const;
    // The client area on the screen, as xwininfo reports it.
    QRect clientRect(const QString &window) const;
    // The window manager's decoration around the client area (_NET_FRAME_EXTENTS).
    QMargins frameExtents(const QString &window) const;
    QRect frameRect(const QString &window) const { return clientRect(window).marginsAdded(frameExtents(window)); }
    bool isMaximized(const QString &window) const;   // both _NET_WM_STATE_MAXIMIZED flags
    bool isIconic(const QString &window) const;      // WM_STATE Iconic: minimised
    QString activeWindow() const;                    // _NET_ACTIVE_WINDOW, as a decimal id
    QPoint pointer() const;

    // Press the left button at from, move there in steps, release at to.
    bool drag(const QPoint &from, const QPoint &to) const;
    bool doubleClick(const QPoint &at) const;

private:
    bool startServer(QProcess &process, const QString &program, const QStringList &arguments,
                     const QProcessEnvironment &env, QString *name);
    void stop(QProcess &process);
    bool setDpiResource(int dpi);

    QTemporaryDir home;   // openbox's settings and cache stay in here
    QProcess host;        // the Xvfb
    QProcess nested;      // Xephyr, for two screens
    QProcess wm;
    QString displayName;
    bool ok = false;
};
