// SPDX-License-Identifier: Apache-2.0
#include "window/focusorder.h"

#include <QApplication>
#include <QWidget>

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
