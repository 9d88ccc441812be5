// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>

// Asks the top-level window with this title on the X display to close, the
// way a window manager's close button does (WM_DELETE_WINDOW). False when no
// such window is there.
bool closeWindowTitled(const QByteArray &title);
