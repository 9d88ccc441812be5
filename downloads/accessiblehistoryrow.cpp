// SPDX-License-Identifier: Apache-2.0
#include "downloads/accessiblehistoryrow.h"

#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfilemodel.h"
#include "downloads/ilink.h"
#include "downloads/modelitemdate.h"
#include "downloads/modelitemfile.h"
#include "downloads/treeview.h"

#include <QDateTime>
#include <QKeySequence>

namespace {

QString fileSummary(const ModelItemFile *file)
{
    QStringList parts{file->name(), file->fileSizeText()};
    switch (file->status()) {
    case ModelItemFile::StatusDownloading:
        parts << file->downloadOffsetText();
        break;
    case ModelItemFile::StatusSuccess:
        parts << (file->fileExists() ? VellChatWBConfigure::WebFileSuccessText() : VellChatWBConfigure::WebFileMissedText());
        break;
    case ModelItemFile::StatusFailed:
        parts << VellChatWBConfigure::WebFileFailedText();
        break;
    default:
        break;
    }
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}

} // namespace

AccessibleHistoryRow::AccessibleHistoryRow(TreeView *view, ModelItemBase *node)
    : QAccessibleObject(node)
    , view(view)
{
}

ModelItemBase *AccessibleHistoryRow::node() const
{
    return static_cast<ModelItemBase *>(object());
}

QModelIndex AccessibleHistoryRow::index() const
{
    auto *model = view ? qobject_cast<DownloadFileModel *>(view->model()) : nullptr;
    return model && node() ? model->index(node()) : QModelIndex();
}

bool AccessibleHistoryRow::isValid() const
{
    return QAccessibleObject::isValid() && index().isValid();
}

QWindow *AccessibleHistoryRow::window() const
{
    return view ? view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *AccessibleHistoryRow::childAt(int, int) const
{
    return nullptr;
}

QAccessibleInterface *AccessibleHistoryRow::parent() const
{
    return view ? QAccessible::queryAccessibleInterface(view.data()) : nullptr;
}

QAccessibleInterface *AccessibleHistoryRow::child(int) const
{
    return nullptr;
}

int AccessibleHistoryRow::childCount() const
{
    return 0;
}

int AccessibleHistoryRow::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QString AccessibleHistoryRow::text(QAccessible::Text t) const
{
    ModelItemBase *item = node();
    if (t != QAccessible::Name || !item)
        return QString();
    if (item->itemType() == ModelItemBase::DayItem) {
        const qint64 time = qint64(static_cast<ModelItemDate *>(item)->time());
        return QDateTime::fromMSecsSinceEpoch(time).toString(QStringLiteral("MM-dd"));
    }
    if (item->itemType() == ModelItemBase::FileItem)
        return fileSummary(static_cast<ModelItemFile *>(item));
    return QString();
}

void AccessibleHistoryRow::setText(QAccessible::Text, const QString &)
{
}

QRect AccessibleHistoryRow::rect() const
{
    const QModelIndex at = index();
    if (!at.isValid())
        return QRect();
    QRect r = view->visualRect(at);
    r.moveTopLeft(view->viewport()->mapToGlobal(r.topLeft()));
    return r;
}

QAccessible::Role AccessibleHistoryRow::role() const
{
    return QAccessible::TreeItem;
}

QAccessible::State AccessibleHistoryRow::state() const
{
    QAccessible::State s;
    const QModelIndex at = index();
    if (!at.isValid()) {
        s.invalid = true;
        return s;
    }
    s.focusable = true;
    s.focused = view->hasFocus() && view->currentIndex() == at;
    s.invisible = !view->isVisible();
    s.offscreen = !view->viewport()->rect().intersects(view->visualRect(at));
    if (node()->itemType() == ModelItemBase::DayItem) {
        s.expandable = true;
        s.expanded = view->isExpanded(at);
        s.collapsed = !s.expanded;
    }
    return s;
}

void *AccessibleHistoryRow::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList AccessibleHistoryRow::actionNames() const
{
    return view ? view->linkActions(index()) : QStringList();
}

QString AccessibleHistoryRow::localizedActionName(const QString &name) const
{
    // What the row shows for the link; the cross icon has no text of its
    // own and says what its confirmation button says.
    if (name == LinkAction::openFolder)
        return VellChatWBConfigure::WebFileOpenInFolderText();
    if (name == LinkAction::redownload)
        return VellChatWBConfigure::WebFileRedownloadText();
    if (name == LinkAction::remove)
        return VellChatWBConfigure::InfoDelete();
    return QString();
}

void AccessibleHistoryRow::doAction(const QString &name)
{
    if (view)
        view->pressLink(index(), name);
}

QStringList AccessibleHistoryRow::keyBindingsForAction(const QString &name) const
{
    if (name == LinkAction::remove)
        return {QKeySequence(Qt::Key_Delete).toString()};
    if (actionNames().contains(name))
        return {QKeySequence(Qt::Key_Return).toString()};
    return QStringList();
}
