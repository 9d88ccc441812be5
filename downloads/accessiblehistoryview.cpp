// SPDX-License-Identifier: Apache-2.0
#include "downloads/accessiblehistoryview.h"

#include "downloads/accessiblehistoryrow.h"
#include "downloads/modelitembase.h"
#include "downloads/treeview.h"

AccessibleHistoryView::AccessibleHistoryView(TreeView *view)
    : QAccessibleWidget(view, QAccessible::Tree)
{
}

QAccessibleInterface *AccessibleHistoryView::factory(const QString &className, QObject *object)
{
    if (className == QLatin1String(TreeView::staticMetaObject.className()))
        return new AccessibleHistoryView(static_cast<TreeView *>(object));
    return nullptr;
}

TreeView *AccessibleHistoryView::view() const
{
    return static_cast<TreeView *>(widget());
}

QAccessibleInterface *AccessibleHistoryView::rowInterface(const QModelIndex &index) const
{
    auto *node = static_cast<ModelItemBase *>(index.internalPointer());
    if (!index.isValid() || !node)
        return nullptr;
    // Registered under the node, the row is found again by it and is
    // dropped by the cache when the node goes.
    QAccessibleInterface *row = QAccessible::queryAccessibleInterface(node);
    if (!row) {
        row = new AccessibleHistoryRow(view(), node);
        QAccessible::registerAccessibleInterface(row);
    }
    return row;
}

int AccessibleHistoryView::childCount() const
{
    return view()->visibleRowCount();
}

QAccessibleInterface *AccessibleHistoryView::child(int index) const
{
    return rowInterface(view()->indexAtVisibleRow(index));
}

int AccessibleHistoryView::indexOfChild(const QAccessibleInterface *child) const
{
    auto *row = dynamic_cast<const AccessibleHistoryRow *>(child);
    return row ? view()->visibleRow(row->index()) : -1;
}

QAccessibleInterface *AccessibleHistoryView::childAt(int x, int y) const
{
    const QPoint local = view()->viewport()->mapFromGlobal(QPoint(x, y));
    if (!view()->viewport()->rect().contains(local))
        return nullptr;
    return rowInterface(view()->indexAt(local));
}

QAccessibleInterface *AccessibleHistoryView::focusChild() const
{
    return view()->hasFocus() ? rowInterface(view()->currentIndex()) : nullptr;
}
