// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QList>
#include <QObject>

// A node of the download history tree. The tree is the QObject tree: a node's
// tree parent is its QObject parent, which is what the model walks upwards.
// Children are kept newest first by compareValue().
class ModelItemBase : public QObject
{
    Q_OBJECT
public:
    explicit ModelItemBase(QObject *parent = nullptr);
    ~ModelItemBase() override;

    // What itemType() tells a node by.
    enum ItemKind { RootItem = 0, DayItem = 1, FileItem = 2 };
    virtual int itemType() = 0;
    virtual quint64 compareValue() = 0;

    // Ordered insertion: after every child whose value is not smaller.
    int append(ModelItemBase *item);
    // Places the node first without looking at its value.
    int prepend(ModelItemBase *item);
    // The index append() would give the node, without inserting it.
    int insertPosition(ModelItemBase *item);
    // The first child whose value is not above value: where a run of equal
    // values starts, or where one would.
    int firstNotAbove(quint64 value) const;
    bool removechild(int row, int count);
    int childIndex(ModelItemBase *item);
    bool isLastChild(ModelItemBase *item) const;
    QList<ModelItemBase *> &childrenItem() { return items; }
    int compareTo(ModelItemBase *other);

private:
    QList<ModelItemBase *> items;
};
