// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QStringList>
#include <QTreeView>
#include <memory>
#include <vector>

class ILink;

// The history's tree view: the pointer shape follows the links of the rows
// under it, and a click on a link becomes one of the three signals. The keys
// reach the same links: Enter or Space the one on the right of the current
// row, Delete the row's removal.
class TreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit TreeView(QWidget *parent = nullptr);
    void updateCursor(const QPoint &position);

    // The actions of a file row's links ("openfilefolder" or "redownloadfile"
    // when the row shows that link, then "removedownloadfile"); none for a day.
    QStringList linkActions(const QModelIndex &index) const;
    // Does what a left click on that link of the row does.
    bool pressLink(const QModelIndex &index, const QString &action);

    // Rows as they stand on screen from the top: each day, then the files of
    // an open day.
    int visibleRowCount() const;
    int visibleRow(const QModelIndex &index) const;
    QModelIndex indexAtVisibleRow(int row) const;
    // Tells assistive technology that what a row says has changed.
    void rowChanged(QObject *node);

signals:
    void openFileFoler(const QString &fileKey);
    void redownloadFile(const QString &fileKey);
    void removeDownloadFile(const QString &fileKey);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    std::vector<std::unique_ptr<ILink>> links(const QModelIndex &index) const;
    void runLink(ILink *link, Qt::MouseButton button);
    void announceCurrent();
};
