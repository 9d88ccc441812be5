#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""What a screen reader finds of an application on the accessibility bus.

APP is the application's name or its process id.

    atspi.py APP buttons                 the push buttons on screen, as JSON
    atspi.py APP press NAME              press the push button named NAME
    atspi.py APP rows                    the list rows on screen, as JSON
    atspi.py APP act NAME ACTION         do ACTION of the list row named NAME
    atspi.py APP focus                   the focused object, as JSON
    atspi.py APP labels                  the texts of the labels on screen, as JSON
    atspi.py APP renamed TIMEOUT         print "listening", then the first new
                                         name of a list row (or nothing)
    atspi.py APP page                    the named buttons and links of the page, as JSON
    atspi.py APP listen TIMEOUT EVENT... print "listening", then one JSON line per
                                         event of the application ("focus:",
                                         "object:state-changed:expanded", ...)

Runs on Debian's own python3 with python3-pyatspi; exits non-zero with a
message when the application or the object is not there.
"""
import json
import sys
import time

import pyatspi
from gi.repository import GLib

# The history's rows are list items; Qt shows other items of a tree as table cells.
ROWS = (pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_TREE_ITEM)


def role_name(node):
    """The role as AT-SPI 2.46 (Debian 12) names it: 2.56 (Debian 13) says
    "button" for a push button, and a screen reader speaks either the same."""
    if node.getRole() == pyatspi.ROLE_PUSH_BUTTON:
        return "push button"
    return node.getRoleName()


def application(name, timeout=20):
    desktop = pyatspi.Registry.getDesktop(0)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and name in (app.name, str(app.get_process_id())):
                return app
        time.sleep(0.1)
    sys.exit("no application %r on the accessibility bus" % name)


def objects(node, into_page=False):
    """Every object under node, leaving out the page's own document unless asked."""
    yield node
    if node.getRole() in (pyatspi.ROLE_DOCUMENT_WEB, pyatspi.ROLE_DOCUMENT_FRAME) and not into_page:
        return
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from objects(child, into_page)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(index) for index in range(action.nActions)]


def describe(node):
    state = node.getState()
    return {
        "role": role_name(node),
        "name": node.name,
        "focusable": state.contains(pyatspi.STATE_FOCUSABLE),
        "focused": state.contains(pyatspi.STATE_FOCUSED),
        "enabled": state.contains(pyatspi.STATE_ENABLED),
        "actions": actions(node),
    }


def find(app, roles, name):
    for node in objects(app):
        if node.getRole() in roles and node.name == name and showing(node):
            return node
    sys.exit("nothing named %r" % name)


def do(node, wanted):
    action = node.queryAction()
    for index in range(action.nActions):
        if action.getName(index).lower() == wanted.lower():
            action.doAction(index)
            return
    sys.exit("%r offers no action %r" % (node.name, wanted))


def listen_for_rename(timeout):
    loop = GLib.MainLoop()
    names = []

    def renamed(event):
        if event.source.getRole() in ROWS:
            names.append(event.source.name)
            loop.quit()

    pyatspi.Registry.registerEventListener(renamed, "object:property-change:accessible-name")
    print("listening", flush=True)
    GLib.timeout_add(int(timeout * 1000), loop.quit)
    loop.run()
    pyatspi.Registry.deregisterEventListener(renamed, "object:property-change:accessible-name")
    if names:
        print(names[0], flush=True)


def page_objects(app):
    """The page's own objects: what is under its document."""
    def under(node, inside):
        inside = inside or node.getRole() == pyatspi.ROLE_DOCUMENT_WEB
        if inside and node.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_LINK) and node.name:
            yield "%s: %s" % (role_name(node), node.name)
        for index in range(node.childCount):
            child = node.getChildAtIndex(index)
            if child is not None:
                yield from under(child, inside)
    return list(under(app, False))


def listen(app, timeout, kinds):
    """Prints what a screen reader would be told, one event a line, until the time is up."""
    pid = app.get_process_id()
    loop = GLib.MainLoop()

    def heard(event):
        try:
            if event.host_application is None or event.host_application.get_process_id() != pid:
                return
            source = event.source
            data = event.any_data if isinstance(event.any_data, str) else ""
            # A new name comes with the event from Qt 6.8 on, and without it
            # before; either way the reader says the object's name, printed
            # already.
            if event.type.endswith(":accessible-name") and data == source.name:
                data = ""
            line = {"type": event.type, "role": role_name(source), "name": source.name,
                    "description": source.description, "detail1": event.detail1,
                    "data": data}
        except Exception:   # an object gone before it was read
            return
        print(json.dumps(line), flush=True)

    for kind in kinds:
        pyatspi.Registry.registerEventListener(heard, kind)
    print("listening", flush=True)
    GLib.timeout_add(int(timeout * 1000), loop.quit)
    loop.run()


def main(argv):
    app = application(argv[1])
    command = argv[2]
    if command == "buttons":
        found = [describe(n) for n in objects(app) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and showing(n)]
        print(json.dumps(found))
    elif command == "press":
        do(find(app, (pyatspi.ROLE_PUSH_BUTTON,), argv[3]), "press")
    elif command == "rows":
        found = [describe(n) for n in objects(app) if n.getRole() in ROWS and showing(n)]
        print(json.dumps(found))
    elif command == "act":
        do(find(app, ROWS, argv[3]), argv[4])
    elif command == "windows":
        # Qt 6 also lists the hidden windows its page views draw into, which
        # no screen reader offers the user.
        found = [describe(w) for w in (app.getChildAtIndex(i) for i in range(app.childCount)) if showing(w)]
        print(json.dumps(found))
    elif command == "pagebuttons":
        found = [describe(n) for n in objects(app, True) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and showing(n)]
        print(json.dumps(found))
    elif command == "focus":
        focused = [describe(n) for n in objects(app) if n.getState().contains(pyatspi.STATE_FOCUSED)]
        print(json.dumps(focused))
    elif command == "labels":
        found = [n.name for n in objects(app) if n.getRole() in (pyatspi.ROLE_LABEL, pyatspi.ROLE_STATIC) and showing(n)]
        print(json.dumps(found))
    elif command == "page":
        print(json.dumps(page_objects(app)))
    elif command == "listen":
        listen(app, float(argv[3]), argv[4:])
    elif command == "renamed":
        listen_for_rename(float(argv[3]))
    else:
        sys.exit("unknown command %r" % command)


if __name__ == "__main__":
    main(sys.argv)
