#include "downloads/treeview.h"

#include "downloads/downloadfiledelegate.h"
#include "downloads/ilink.h"

#include <QMouseEvent>
#include <memory>

TreeView::TreeView(QWidget *parent)
    : QTreeView(parent)
{
    // Rows paint a background of their own under the pointer; not every
    // style asks for the hover events that tell the view where it is.
    viewport()->setAttribute(Qt::WA_Hover);
}

void TreeView::updateCursor(const QPoint &position)
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return;
    auto *delegate = qobject_cast<DownloadFileDelegate *>(itemDelegate(index));
    if (!delegate)
        return;
    // Repainting the row lets a link's underline follow the pointer.
    update(index);
    Qt::CursorShape shape = cursor().shape();
    ILink *link = nullptr;
    delegate->getState(position, visualRect(index), index, shape, link);
    delete link;
    setCursor(shape);
}

void TreeView::mouseMoveEvent(QMouseEvent *event)
{
    // The base class would start drag selections the rows cannot have.
    updateCursor(event->pos());
}

void TreeView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    auto *delegate = index.isValid() ? qobject_cast<DownloadFileDelegate *>(itemDelegate(index)) : nullptr;
    if (delegate) {
        update(index);
        Qt::CursorShape shape = cursor().shape();
        ILink *found = nullptr;
        delegate->getState(event->pos(), visualRect(index), index, shape, found);
        if (found) {
            std::unique_ptr<ILink> link(found);
            link->onClick(event->button(), [this](const QString &action, const QString &key) {
                if (action == QLatin1String("openfilefolder"))
                    emit openFileFoler(key);
                else if (action == QLatin1String("redownloadfile"))
                    emit redownloadFile(key);
                else if (action == QLatin1String("removedownloadfile"))
                    emit removeDownloadFile(key);
            });
            return;
        }
    }
    QTreeView::mousePressEvent(event);
}
