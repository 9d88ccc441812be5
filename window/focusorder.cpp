// SPDX-License-Identifier: Apache-2.0
#include "window/focusorder.h"

#include <QApplication>
#include <QWidget>
#include <utility>

static void addFocusStops(QWidget *widget, QList<QWidget *> &stops)
{
    if (widget->isHidden() || !widget->isEnabled())
        return;
    if (widget->focusPolicy() & Qt::TabFocus) {
        stops << widget;
        return;
    }
    for (QObject *child : widget->children()) {
        auto *inner = qobject_cast<QWidget *>(child);
        if (inner && !inner->isWindow())
            addFocusStops(inner, stops);
    }
}

bool FocusOrder::move(const QList<QWidget *> &order, bool next)
{
    QList<QWidget *> stops;
    for (QWidget *widget : order) {
        if (widget)
            addFocusStops(widget, stops);
    }
    if (stops.isEmpty())
        return false;
    const QWidget *focus = QApplication::focusWidget();
    int at = -1;
    for (int i = 0; i < stops.size(); ++i) {
        if (stops.at(i) == focus || stops.at(i)->isAncestorOf(focus))
            at = i;
    }
    const int count = stops.size();
    const int to = next ? (at + 1) % count : (at <= 0 ? count - 1 : at - 1);
    stops.at(to)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool FocusOrder::moveGroup(const QList<QList<QWidget *>> &groups, bool next)
{
    QList<QList<QWidget *>> stops;
    for (const QList<QWidget *> &group : groups) {
        QList<QWidget *> inGroup;
        for (QWidget *widget : group) {
            if (widget)
                addFocusStops(widget, inGroup);
        }
        stops << inGroup;
    }
    const QWidget *focus = QApplication::focusWidget();
    const int count = stops.size();
    // Keys nowhere in a group (the frame itself) count as in the last one,
    // so that F6 starts at the first.
    int at = count - 1;
    for (int i = 0; i < count; ++i) {
        for (QWidget *stop : std::as_const(stops.at(i))) {
            if (stop == focus || stop->isAncestorOf(focus))
                at = i;
        }
    }
    for (int step = 1; step < count; ++step) {
        const int to = ((next ? at + step : at - step) % count + count) % count;
        if (!stops.at(to).isEmpty()) {
            stops.at(to).constFirst()->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    return false;
}
