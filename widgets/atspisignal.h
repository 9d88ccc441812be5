#pragma once

#include <QString>

class QAccessibleInterface;

// Events for screen readers on the AT-SPI bus that the toolkit (Qt 5.15)
// does not pass on: it sends no expanded or collapsed state change, and a
// changed description goes out without its text, which a screen reader
// speaks for the object with the keys. Both are sent here the way the
// toolkit sends its own, on its connection to the accessibility bus; with no
// screen reader listening there is no connection and nothing is sent.
namespace AtSpiSignal {

// state: an AT-SPI state name ("expanded", "collapsed").
bool stateChanged(QAccessibleInterface *object, const QString &state, bool on);
// What a screen reader says of the object with the keys when its description
// changes to text.
bool descriptionChanged(QAccessibleInterface *object, const QString &text);
// Has a screen reader say text where the keys are now: the deepest object
// with the focus (the current row of a list, not the list).
bool announce(const QString &text);

} // namespace AtSpiSignal
