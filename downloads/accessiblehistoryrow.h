// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QAccessibleObject>
#include <QPointer>

class ModelItemBase;
class QModelIndex;
class TreeView;

// One row of the download history: a day named by its date as painted, or a
// file named by a summary of what its row shows (name, size, then progress
// or state), whose links are its actions.
class AccessibleHistoryRow : public QAccessibleObject, public QAccessibleActionInterface
{
public:
    AccessibleHistoryRow(TreeView *view, ModelItemBase *node);

    bool isValid() const override;
    QWindow *window() const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    QString localizedActionName(const QString &name) const override;
    QString localizedActionDescription(const QString &name) const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &name) const override;

    QModelIndex index() const;

private:
    ModelItemBase *node() const;
    QPointer<TreeView> view;
};
