// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QAccessibleWidget>

class QModelIndex;
class TreeView;

// The download history as assistive technology sees it: a tree whose
// children are the rows on screen from the top, each day followed by the
// files of an open day. Row interfaces are made when first asked for and
// go with their history node.
class AccessibleHistoryView : public QAccessibleWidget
{
public:
    explicit AccessibleHistoryView(TreeView *view);

    // For QAccessible::installFactory: answers for TreeView.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    TreeView *view() const;
    QAccessibleInterface *rowInterface(const QModelIndex &index) const;
};
