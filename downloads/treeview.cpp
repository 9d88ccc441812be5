// SPDX-License-Identifier: Apache-2.0
#include "downloads/treeview.h"

#include "downloads/downloadfiledelegate.h"
#include "downloads/ilink.h"
#include "downloads/modelitemfile.h"
#include "widgets/atspisignal.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

ModelItemBase *nodeOf(const QModelIndex &index)
{
    return static_cast<ModelItemBase *>(index.internalPointer());
}

} // namespace

TreeView::TreeView(QWidget *parent)
    : QTreeView(parent)
{
    // Rows paint a background of their own under the pointer; not every
    // style asks for the hover events that tell the view where it is.
    viewport()->setAttribute(Qt::WA_Hover);
    // Reached with Tab: a click on a row leaves the keyboard where it was,
    // and the list shows no focus unless someone moves through it with keys.
    setFocusPolicy(Qt::TabFocus);
    // The toolkit tells screen readers nothing when a day opens or closes.
    auto tellState = [this](const QModelIndex &day, bool open) {
        QAccessibleInterface *view = QAccessible::queryAccessibleInterface(this);
        QAccessibleInterface *row = view ? view->child(visibleRow(day)) : nullptr;
        AtSpiSignal::stateChanged(row, QStringLiteral("expanded"), open);
        AtSpiSignal::stateChanged(row, QStringLiteral("collapsed"), !open);
    };
    connect(this, &QTreeView::expanded, this, [tellState](const QModelIndex &day) { tellState(day, true); });
    connect(this, &QTreeView::collapsed, this, [tellState](const QModelIndex &day) { tellState(day, false); });
}

void TreeView::updateCursor(const QPoint &position)
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return;
    auto *delegate = qobject_cast<DownloadFileDelegate *>(itemDelegate());
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
    auto *delegate = index.isValid() ? qobject_cast<DownloadFileDelegate *>(itemDelegate()) : nullptr;
    if (delegate) {
        update(index);
        Qt::CursorShape shape = cursor().shape();
        ILink *found = nullptr;
        delegate->getState(event->pos(), visualRect(index), index, shape, found);
        if (found) {
            std::unique_ptr<ILink> link(found);
            runLink(link.get(), event->button());
            return;
        }
    }
    QTreeView::mousePressEvent(event);
}

void TreeView::runLink(ILink *link, Qt::MouseButton button)
{
    link->onClick(button, [this](const QString &action, const QString &key) {
        if (action == LinkAction::openFolder)
            emit openFileFoler(key);
        else if (action == LinkAction::redownload)
            emit redownloadFile(key);
        else if (action == LinkAction::remove)
            emit removeDownloadFile(key);
    });
}

std::vector<std::unique_ptr<ILink>> TreeView::links(const QModelIndex &index) const
{
    std::vector<std::unique_ptr<ILink>> found;
    ModelItemBase *node = index.isValid() ? nodeOf(index) : nullptr;
    if (!node || node->itemType() != ModelItemBase::FileItem)
        return found;
    auto *file = static_cast<ModelItemFile *>(node);
    if (ILink *right = DownloadFileDelegate::rowLink(file))
        found.emplace_back(right);
    found.emplace_back(new RemoveLink(file->key(), nullptr));
    return found;
}

QStringList TreeView::linkActions(const QModelIndex &index) const
{
    QStringList actions;
    for (const auto &link : links(index))
        actions << link->action();
    return actions;
}

bool TreeView::pressLink(const QModelIndex &index, const QString &action)
{
    for (const auto &link : links(index)) {
        if (link->action() == action) {
            runLink(link.get(), Qt::LeftButton);
            return true;
        }
    }
    return false;
}

void TreeView::keyPressEvent(QKeyEvent *event)
{
    // Alt with an arrow is the window's (back and forward), not a move in the list.
    if (event->modifiers() & Qt::AltModifier) {
        event->ignore();
        return;
    }
    const QModelIndex current = currentIndex();
    const int key = event->key();
    const bool press = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space || key == Qt::Key_Select;
    if (!current.isValid() || (event->modifiers() & ~Qt::KeypadModifier) || !(press || key == Qt::Key_Delete)) {
        QTreeView::keyPressEvent(event);
        return;
    }
    event->accept();
    // A held key acts once.
    if (event->isAutoRepeat())
        return;
    const bool day = nodeOf(current) && nodeOf(current)->itemType() == ModelItemBase::DayItem;
    if (day && press) {
        setExpanded(current, !isExpanded(current));
    } else if (key == Qt::Key_Delete) {
        pressLink(current, LinkAction::remove);
    } else if (press) {
        const QStringList actions = linkActions(current);
        if (!actions.isEmpty() && actions.first() != LinkAction::remove)
            pressLink(current, actions.first());
    }
}

int TreeView::visibleRowCount() const
{
    QAbstractItemModel *m = model();
    int count = 0;
    for (int row = 0; m && row < m->rowCount(); ++row) {
        const QModelIndex day = m->index(row, 0);
        count += 1 + (isExpanded(day) ? m->rowCount(day) : 0);
    }
    return count;
}

int TreeView::visibleRow(const QModelIndex &index) const
{
    QAbstractItemModel *m = model();
    if (!m || !index.isValid() || index.model() != m)
        return -1;
    const QModelIndex day = index.parent().isValid() ? index.parent() : index;
    if (index != day && !isExpanded(day))
        return -1;
    int row = 0;
    for (int above = 0; above < day.row(); ++above) {
        const QModelIndex other = m->index(above, 0);
        row += 1 + (isExpanded(other) ? m->rowCount(other) : 0);
    }
    return index == day ? row : row + 1 + index.row();
}

QModelIndex TreeView::indexAtVisibleRow(int row) const
{
    QAbstractItemModel *m = model();
    for (int top = 0; m && row >= 0 && top < m->rowCount(); ++top) {
        const QModelIndex day = m->index(top, 0);
        if (row == 0)
            return day;
        const int files = isExpanded(day) ? m->rowCount(day) : 0;
        if (row <= files)
            return m->index(row - 1, 0, day);
        row -= 1 + files;
    }
    return QModelIndex();
}

void TreeView::rowChanged(QObject *node)
{
    if (!node)
        return;
    // Only a row somebody has asked about has an interface to tell.
    if (QAccessibleInterface *row = QAccessible::queryAccessibleInterface(node)) {
        QAccessibleEvent event(row, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void TreeView::announceCurrent()
{
    const int row = visibleRow(currentIndex());
    if (!hasFocus() || row < 0)
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}

void TreeView::focusInEvent(QFocusEvent *event)
{
    // Entering an empty-handed view makes its first row current, which is
    // announced as the current row changes; otherwise say where we are.
    // The toolkit names the list itself after this returns; the row comes
    // after it, so that the row is what the screen reader says.
    const bool hadCurrent = currentIndex().isValid();
    QTreeView::focusInEvent(event);
    if (hadCurrent)
        QMetaObject::invokeMethod(this, &TreeView::announceCurrent, Qt::QueuedConnection);
}

void TreeView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The tree's own announcement counts children the way its built-in
    // accessible view does; ours are the visible rows, days included.
    QAbstractItemView::currentChanged(current, previous);
    // Queued: entering the list makes its first row current before the
    // toolkit names the list, and the row must come last.
    QMetaObject::invokeMethod(this, &TreeView::announceCurrent, Qt::QueuedConnection);
}
