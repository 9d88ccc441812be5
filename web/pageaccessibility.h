#pragma once

#include <QByteArray>

class QDBusConnection;

// Whether the page engine builds the page's accessibility tree. Building it
// costs every page a second model of itself, so the engine does it only when
// the session's accessibility bus says that a screen reader or another
// assistive technology is on. Integrators set nothing.
namespace PageAccessibility {

// Whether org.a11y.Status on the session bus says now that a screen reader
// is on (ScreenReaderEnabled). A session without that service has no assistive technology
// running, and is not made to start one by being asked.
bool assistiveTechnologyOn(const QDBusConnection &session);

// Whether the session has its accessibility bus (org.a11y.Bus) now.
bool busUp(const QDBusConnection &session);

// The engine's switches with the one that builds the tree from the first
// page on; switches already there are kept, and it is added only once.
QByteArray withPageTree(const QByteArray &flags);

// Called once after the application object exists and before the engine
// starts. When the bus is not up yet the engine follows the toolkit's own
// accessibility from then on, so a bus that comes up later with a screen
// reader on gets the tree. Returns whether the tree is built from the start.
bool prepareEngine();

} // namespace PageAccessibility
