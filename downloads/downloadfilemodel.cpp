// SPDX-License-Identifier: Apache-2.0
#include "downloads/downloadfilemodel.h"

#include "downloads/modelitemdate.h"
#include "downloads/modelitemfile.h"
#include "downloads/modelitemroot.h"

#include <QDateTime>

DownloadFileModel::DownloadFileModel(ModelItemRoot *root, QObject *parent)
    : QAbstractItemModel(parent)
    , root(root)
{
}

ModelItemBase *DownloadFileModel::nodeOf(const QModelIndex &index) const
{
    if (index.isValid())
        return static_cast<ModelItemBase *>(index.internalPointer());
    return root;
}

QModelIndex DownloadFileModel::index(int row, int column, const QModelIndex &parent) const
{
    ModelItemBase *parentNode = nodeOf(parent);
    if (!parentNode || row < 0 || row >= parentNode->childrenItem().size())
        return QModelIndex();
    return createIndex(row, column, parentNode->childrenItem().at(row));
}

QModelIndex DownloadFileModel::parent(const QModelIndex &index) const
{
    if (!index.isValid())
        return QModelIndex();
    auto *node = static_cast<ModelItemBase *>(index.internalPointer());
    auto *parentNode = qobject_cast<ModelItemBase *>(node->parent());
    if (!parentNode || parentNode == root)
        return QModelIndex();
    auto *grandParent = qobject_cast<ModelItemBase *>(parentNode->parent());
    if (!grandParent)
        return QModelIndex();
    return createIndex(grandParent->childIndex(parentNode), 0, parentNode);
}

int DownloadFileModel::rowCount(const QModelIndex &parent) const
{
    ModelItemBase *node = nodeOf(parent);
    return node ? node->childrenItem().size() : 0;
}

int DownloadFileModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant DownloadFileModel::data(const QModelIndex &, int) const
{
    return QVariant();
}

Qt::ItemFlags DownloadFileModel::flags(const QModelIndex &index) const
{
    // Rows are never selectable, so a click never marks one. The invisible
    // root is no item at all.
    return index.isValid() ? Qt::ItemFlags(Qt::ItemIsEnabled) : Qt::ItemFlags();
}

bool DownloadFileModel::insertRows(int row, int count, const QModelIndex &parent)
{
    beginInsertRows(parent, row, row + count - 1);
    endInsertRows();
    return true;
}

bool DownloadFileModel::removeRows(int row, int count, const QModelIndex &parent)
{
    ModelItemBase *node = nodeOf(parent);
    if (!node)
        return false;
    // Announcing rows that do not exist would leave every view out of step.
    if (row < 0 || count < 1 || row + count > node->childrenItem().size())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    node->removechild(row, count);
    endRemoveRows();
    return true;
}

QModelIndex DownloadFileModel::index(ModelItemBase *node) const
{
    if (!node || node == root)
        return QModelIndex();
    for (QObject *step = node->parent(); step != root; step = step->parent()) {
        if (!qobject_cast<ModelItemBase *>(step))
            return QModelIndex();
    }
    auto *parentNode = static_cast<ModelItemBase *>(node->parent());
    const int row = parentNode->childIndex(node);
    if (row < 0)
        return QModelIndex();
    return createIndex(row, 0, node);
}

quint64 DownloadFileModel::dayStart(quint64 time)
{
    const qint64 ms = static_cast<qint64>(time);
    auto it = knownDays.upperBound(ms);
    if (it != knownDays.begin()) {
        --it;
        if (ms >= it.key() && ms < it.value())
            return static_cast<quint64>(it.key());
    }
    const QDate date = QDateTime::fromMSecsSinceEpoch(ms).date();
    // Times are unsigned: in zones east of UTC the first day starts before
    // the epoch, and a negative start would wrap to the far future and sort
    // that day first. It starts at the epoch instead.
    const qint64 start = qMax<qint64>(date.startOfDay().toMSecsSinceEpoch(), 0);
    const qint64 end = date.addDays(1).startOfDay().toMSecsSinceEpoch();
    if (start <= ms && ms < end)
        knownDays.insert(start, end);
    return static_cast<quint64>(start);
}

int DownloadFileModel::insertNode(ModelItemBase *parentNode, const QModelIndex &parentIndex, ModelItemBase *node,
                                  bool announce)
{
    if (!announce)
        return parentNode->append(node);
    // Views must hear about a row before it exists, so the place is found
    // first and the node goes in between the two announcements.
    const int row = parentNode->insertPosition(node);
    beginInsertRows(parentIndex, row, row);
    const int placed = parentNode->append(node);
    Q_ASSERT(placed == row);
    endInsertRows();
    return placed;
}

void DownloadFileModel::insertItem(ModelItemFile *file)
{
    placeItem(file, true);
}

void DownloadFileModel::insertItems(const QVector<ModelItemFile *> &files)
{
    if (files.size() < resetThreshold) {
        for (ModelItemFile *file : files)
            placeItem(file, true);
        return;
    }
    beginResetModel();
    for (ModelItemFile *file : files)
        placeItem(file, false);
    endResetModel();
}

void DownloadFileModel::placeItem(ModelItemFile *file, bool announce)
{
    if (!root || !file)
        return;
    const quint64 day = dayStart(file->createTime());
    QList<ModelItemBase *> &days = root->childrenItem();

    // Days run newest first; find the first one that starts no later than the file.
    const int lo = root->firstNotAbove(day);

    // Any calendar day without a row gets one in its place, also between two
    // existing days, so a file is never filed under a neighbouring day.
    ModelItemBase *dayNode = nullptr;
    int dayRow = lo;
    if (lo < days.size() && days.at(lo)->compareValue() == day) {
        dayNode = days.at(lo);
    } else {
        dayNode = new ModelItemDate(day);
        dayRow = insertNode(root, QModelIndex(), dayNode, announce);
    }
    insertNode(dayNode, announce ? createIndex(dayRow, 0, dayNode) : QModelIndex(), file, announce);
}
