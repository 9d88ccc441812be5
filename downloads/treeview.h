#pragma once

#include <QTreeView>

// The history's tree view: the pointer shape follows the links of the rows
// under it, and a click on a link becomes one of the three signals.
class TreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit TreeView(QWidget *parent = nullptr);
    void updateCursor(const QPoint &position);
signals:
    void openFileFoler(const QString &fileKey);
    void redownloadFile(const QString &fileKey);
    void removeDownloadFile(const QString &fileKey);
protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};
