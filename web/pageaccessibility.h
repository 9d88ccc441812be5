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

// Called once before the application object exists: the toolkit decides then
// whether it goes on the accessibility bus, and reads whether a screen
// reader is on only that once.
void prepareToolkit();

// Called once after the application object exists and before the engine
// starts. The engine builds the tree from the start when a screen reader is
// on; otherwise it builds it from the moment one is turned on (the bus's
// ScreenReaderEnabled, watched from then on) until it is turned off again.
// Returns whether the tree is built from the start.
bool prepareEngine();

} // namespace PageAccessibility
