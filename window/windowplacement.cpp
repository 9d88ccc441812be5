// SPDX-License-Identifier: Apache-2.0
#include "window/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

bool WindowPlacement::windowsPlaceThemselves()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QList<QRect> WindowPlacement::availableScreens()
{
    QList<QRect> areas;
    for (QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

// Squared distance between two rectangles that do not meet: 0 when they do.
static qint64 distance(const QRect &a, const QRect &b)
{
    const qint64 dx = qMax(0, qMax(b.left() - a.right(), a.left() - b.right()));
    const qint64 dy = qMax(0, qMax(b.top() - a.bottom(), a.top() - b.bottom()));
    return dx * dx + dy * dy;
}

static qint64 area(const QRect &r)
{
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

QRect WindowPlacement::reachable(const QRect &stored, const QList<QRect> &screens)
{
    if (screens.isEmpty() || stored.isEmpty())
        return stored;

    // The screen that shows most of the window, or else the nearest one.
    int best = 0;
    for (int i = 1; i < screens.size(); ++i) {
        const qint64 shown = area(stored & screens.at(i));
        const qint64 bestShown = area(stored & screens.at(best));
        if (shown > bestShown || (shown == bestShown && shown == 0 && distance(stored, screens.at(i)) < distance(stored, screens.at(best))))
            best = i;
    }
    const QRect screen = screens.at(best);
    bool meets = false;
    for (const QRect &s : screens)
        meets = meets || stored.intersects(s);

    QRect r(stored.topLeft(), stored.size().boundedTo(screen.size()));
    if (!meets) {
        // Nobody could reach it where it was: inside the nearest screen.
        r.moveLeft(qBound(screen.left(), r.left(), screen.right() - r.width() + 1));
        r.moveTop(qBound(screen.top(), r.top(), screen.bottom() - r.height() + 1));
        return r;
    }
    // The title bar on the screen, and a grip's worth of the window inside it.
    const int gripX = qMin(grip, r.width());
    const int gripY = qMin(grip, r.height());
    r.moveLeft(qBound(screen.left() - r.width() + gripX, r.left(), screen.right() - gripX + 1));
    r.moveTop(qBound(screen.top(), r.top(), screen.bottom() - gripY + 1));
    return r;
}
