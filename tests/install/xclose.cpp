// SPDX-License-Identifier: Apache-2.0
#include "tests/install/xclose.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

// Xlib stays in this file: its macros (None, Bool, Status) would clash with Qt.

static Window findTitled(Display *display, Window window, const QByteArray &title)
{
    char *name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        const bool match = title == name;
        XFree(name);
        if (match)
            return window;
    }
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = findTitled(display, children[i], title);
        if (children)
            XFree(children);
    }
    return found;
}

bool closeWindowTitled(const QByteArray &title)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Window window = findTitled(display, DefaultRootWindow(display), title);
    if (window) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }
    XCloseDisplay(display);
    return window != 0;
}
