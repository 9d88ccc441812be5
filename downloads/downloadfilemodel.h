// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QAbstractItemModel>
#include <QMap>
#include <QVector>

class ModelItemBase;
class ModelItemFile;
class ModelItemRoot;

// One-column tree model over the download history nodes: days at the top
// level, files under them. It carries no display data; the delegate reads the
// node behind each index.
class DownloadFileModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    DownloadFileModel(ModelItemRoot *root, QObject *parent);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Announces rows a caller has already put into the node tree.
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    QModelIndex index(ModelItemBase *node) const;
    void insertItem(ModelItemFile *file);
    // Files of one list answer, each placed as insertItem() would. A large batch
    // is announced as one reset: announced row by row, every view would walk
    // all of its persistent indexes once per row.
    void insertItems(const QVector<ModelItemFile *> &files);

    static const int resetThreshold = 256;

private:
    void placeItem(ModelItemFile *file, bool announce);
    ModelItemBase *nodeOf(const QModelIndex &index) const;
    quint64 dayStart(quint64 time);
    // Puts the node into the parent in order, announcing the row to views first.
    int insertNode(ModelItemBase *parentNode, const QModelIndex &parentIndex, ModelItemBase *node, bool announce);

    ModelItemRoot *root = nullptr;
    // Days already measured, start -> end (local midnights), so that a large
    // history needs only a couple of time-zone conversions per day.
    QMap<qint64, qint64> knownDays;
};
