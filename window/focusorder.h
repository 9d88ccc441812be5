// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QList>

class QWidget;

// Tab order through a frame whose widgets were made in another order than
// they stand in: the stops are the widgets given, in that order, and inside
// each the visible, enabled children that take Tab.
namespace FocusOrder {

// Moves the keyboard one stop on from where it is (backwards unless next);
// false when there is no stop at all.
bool move(const QList<QWidget *> &order, bool next);

// Moves the keyboard to the first stop of the next group that has one
// (backwards unless next), the way F6 goes between the parts of a window;
// false when no other group has a stop.
bool moveGroup(const QList<QList<QWidget *>> &groups, bool next);

}
