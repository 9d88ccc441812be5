// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QList>
#include <QRect>

// Where the browser window may appear on the screens there are now. The
// rectangles are those of the position text: the window frame's top-left
// corner (window decoration included) with the size of the client area.
class WindowPlacement
{
public:
    // False where the compositor alone places windows and a client's own
    // coordinates have no effect (Wayland).
    static bool windowsPlaceThemselves();

    // The available areas of the screens, panels and docks left out.
    static QList<QRect> availableScreens();

    // The stored rectangle, moved and if need be shrunk so that the window can
    // be seen and grabbed: a rectangle that meets no screen any more (a screen
    // was unplugged) lands inside the nearest one; one that does meet a screen
    // keeps its place, except that the top of its frame (the title bar) stays
    // on that screen and enough of it to grab it stays inside.
    static QRect reachable(const QRect &stored, const QList<QRect> &screens);

    // How much of the frame must stay on the screen to grab it.
    static constexpr int grip = 100;
};
