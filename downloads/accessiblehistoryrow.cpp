// SPDX-License-Identifier: Apache-2.0
#include "downloads/accessiblehistoryrow.h"

#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfilemodel.h"
#include "downloads/ilink.h"
#include "downloads/modelitemdate.h"
#include "downloads/modelitemfile.h"
#include "downloads/treeview.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QKeySequence>

namespace {

// The size as the row shows it ("661.0 B", "2.0 KB", "1.4 KB") in words a
// screen reader says as a person would: "661 bytes", "2 kilobytes".
QString spokenSize(const QString &shown)
{
    static const QHash<QString, QPair<QString, QString>> units = {
        {QStringLiteral("B"), {QStringLiteral("byte"), QStringLiteral("bytes")}},
        {QStringLiteral("KB"), {QStringLiteral("kilobyte"), QStringLiteral("kilobytes")}},
        {QStringLiteral("MB"), {QStringLiteral("megabyte"), QStringLiteral("megabytes")}},
        {QStringLiteral("GB"), {QStringLiteral("gigabyte"), QStringLiteral("gigabytes")}}};
    const QStringList parts = shown.split(QLatin1Char(' '));
    if (parts.size() != 2 || !units.contains(parts.at(1)))
        return shown;
    QString number = parts.at(0);
    if (number.endsWith(QLatin1String(".0")))
        number.chop(2);
    const auto &names = units.value(parts.at(1));
    return number + QLatin1Char(' ') + (number == QLatin1String("1") ? names.first : names.second);
}

QString fileSummary(const ModelItemFile *file)
{
    QStringList parts{file->name(), spokenSize(file->fileSizeText())};
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
        // The row shows "12-08"; said as a person would: "8 December".
        return QLocale().toString(QDateTime::fromMSecsSinceEpoch(time).date(), QStringLiteral("d MMMM"));
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
    // A tree item reaches AT-SPI as a table cell, whose new names screen
    // readers pass over; a list item's progress and outcome are spoken.
    return QAccessible::ListItem;
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

QString AccessibleHistoryRow::localizedActionDescription(const QString &name) const
{
    // What the link does and to which file: "Delete: report.pdf".
    ModelItemBase *item = node();
    const QString action = localizedActionName(name);
    if (action.isEmpty() || !item || item->itemType() != ModelItemBase::FileItem)
        return action;
    return action + QStringLiteral(": ") + static_cast<ModelItemFile *>(item)->name();
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
