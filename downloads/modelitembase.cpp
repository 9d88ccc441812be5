// SPDX-License-Identifier: Apache-2.0
#include "downloads/modelitembase.h"

#include "config/logcategories.h"

#include <algorithm>

ModelItemBase::ModelItemBase(QObject *parent)
    : QObject(parent)
{
}

ModelItemBase::~ModelItemBase()
{
    qCDebug(lcDownloads) << "~ModelItemBase";
}

// Children are sorted newest first, so "child value < new value" is false for a
// leading run and true after it; the new node goes at the start of the true run,
// which keeps equal values in arrival order.
int ModelItemBase::insertPosition(ModelItemBase *item)
{
    const quint64 value = item->compareValue();
    const auto at = std::partition_point(items.cbegin(), items.cend(),
                                         [value](ModelItemBase *child) { return child->compareValue() >= value; });
    return int(at - items.cbegin());
}

int ModelItemBase::firstNotAbove(quint64 value) const
{
    const auto at = std::partition_point(items.cbegin(), items.cend(),
                                         [value](ModelItemBase *child) { return child->compareValue() > value; });
    return int(at - items.cbegin());
}

int ModelItemBase::append(ModelItemBase *item)
{
    const int row = insertPosition(item);
    item->setParent(this);
    items.insert(row, item);
    return row;
}

int ModelItemBase::prepend(ModelItemBase *item)
{
    item->setParent(this);
    items.prepend(item);
    return 0;
}

bool ModelItemBase::removechild(int row, int count)
{
    if (row < 0 || row >= items.size() || count < 1)
        return false;
    for (int removed = 0; removed < count && row < items.size(); ++removed) {
        ModelItemBase *child = items.takeAt(row);
        child->setParent(nullptr);
        child->deleteLater();
    }
    return true;
}

int ModelItemBase::childIndex(ModelItemBase *item)
{
    if (!item || items.isEmpty())
        return -1;
    // Views ask for rows constantly, so look among the siblings of equal value
    // first; a value changed after insertion falls back to a plain scan.
    const quint64 value = item->compareValue();
    for (int i = firstNotAbove(value); i < items.size() && items.at(i)->compareValue() == value; ++i) {
        if (items.at(i) == item)
            return i;
    }
    return items.indexOf(item);
}

bool ModelItemBase::isLastChild(ModelItemBase *item) const
{
    return !items.isEmpty() && items.last() == item;
}

int ModelItemBase::compareTo(ModelItemBase *other)
{
    const quint64 mine = compareValue();
    const quint64 theirs = other->compareValue();
    if (mine > theirs)
        return -1;
    if (mine < theirs)
        return 1;
    return 0;
}
