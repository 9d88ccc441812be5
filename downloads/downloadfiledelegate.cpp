// SPDX-License-Identifier: Apache-2.0
#include "downloads/downloadfiledelegate.h"

#include "config/vellchatwbconfigure.h"
#include "downloads/ilink.h"
#include "downloads/modelitemdate.h"
#include "downloads/modelitemfile.h"
#include "resources/resource.h"

#include <QAbstractItemView>
#include <QCursor>
#include <QDateTime>
#include <QPainter>
#include <QPixmap>

namespace {

QFont sizedFont(int pixelSize)
{
    QFont f = VellChatWBConfigure::font();
    f.setPixelSize(pixelSize);
    return f;
}

// Pixmap sizes in device-independent pixels, truncated; a missing icon takes no room.
int logicalWidth(const QPixmap *pixmap)
{
    return pixmap ? int(pixmap->width() / pixmap->devicePixelRatio()) : 0;
}

int logicalHeight(const QPixmap *pixmap)
{
    return pixmap ? int(pixmap->height() / pixmap->devicePixelRatio()) : 0;
}

ModelItemBase *nodeOf(const QModelIndex &index)
{
    return static_cast<ModelItemBase *>(index.internalPointer());
}

const QColor greyText(153, 153, 153);

} // namespace

DownloadFileDelegate::DownloadFileDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , rowWidthHint(dpiScaled(300))
    , dayRowHeight(dpiScaled(30))
    , fileRowHeight(dpiScaled(120))
    , dayFont(sizedFont(dpiScaled(12)))
    , dayMetrics(dayFont)
    , fileFont(sizedFont(dpiScaled(14)))
    , fileMetrics(fileFont)
    , sideMargin(dpiScaled(58))
    , verticalMargin(dpiScaled(40))
    , progressLength(dpiScaled(150))
    , progressPenWidth(dpiScaled(10))
    , progressGap(dpiScaled(12) + progressPenWidth / 2)
    , iconGap(dpiScaled(10))
    , lineGap(dpiScaled(16))
    , deleteIconTop(dpiScaled(14))
    , rightInset(dpiScaled(5))
{
}

QSize DownloadFileDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    ModelItemBase *node = nodeOf(index);
    if (node && node->itemType() == ModelItemBase::DayItem)
        return QSize(rowWidthHint, dayRowHeight);
    if (node && node->itemType() == ModelItemBase::FileItem)
        return QSize(rowWidthHint, fileRowHeight);
    return QStyledItemDelegate::sizeHint(option, index);
}

void DownloadFileDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    ModelItemBase *node = nodeOf(index);
    if (!node)
        return;
    if (node->itemType() == ModelItemBase::DayItem)
        paintDate(painter, option, index);
    else if (node->itemType() == ModelItemBase::FileItem)
        paintFile(painter, option, index);
    else
        return;
    paintFocus(painter, option);
}

void DownloadFileDelegate::paintFocus(QPainter *painter, const QStyleOptionViewItem &option) const
{
    // The view takes the keyboard only from Tab, so a row is ringed only while
    // someone moves through the list with keys; the ring takes the host's
    // title colour.
    if (!(option.state & QStyle::State_HasFocus))
        return;
    const int width = dpiScaled(2);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(VellChatWBConfigure::TitleBG().color(), width));
    painter->setBrush(Qt::NoBrush);
    const qreal inset = width / 2.0;
    painter->drawRoundedRect(QRectF(option.rect).adjusted(inset, inset, -inset, -inset), width * 2, width * 2);
    painter->restore();
}

void DownloadFileDelegate::paintDate(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    auto *day = static_cast<ModelItemDate *>(nodeOf(index));
    const QRect &rect = option.rect;
    painter->fillRect(rect, QColor(238, 238, 238));

    const QString text = QDateTime::fromMSecsSinceEpoch(qint64(day->time())).toString(QStringLiteral("MM-dd"));
    const int top = rect.top() + (rect.height() - dayMetrics.height()) / 2;
    painter->save();
    painter->setFont(dayFont);
    painter->setPen(greyText);
    painter->drawText(QPoint(rect.left() + sideMargin, top + dayMetrics.ascent()), text);
    painter->restore();
}

DownloadFileDelegate::Box DownloadFileDelegate::contentBox(const QRect &rect) const
{
    Box box;
    box.left = rect.left() + sideMargin;
    box.right = rect.right() - sideMargin;
    box.top = rect.top() + verticalMargin;
    const int bottom = rect.bottom() - verticalMargin;
    box.height = bottom - box.top + 1;
    box.textRight = box.right - rightInset;
    return box;
}

QRect DownloadFileDelegate::linkRect(const Box &box, const QString &text) const
{
    const int top = box.top + (box.height - fileMetrics.height()) / 2;
    return QRect(QPoint(box.textRight - fileMetrics.horizontalAdvance(text), top),
                 QPoint(box.textRight, top + fileMetrics.height() - 1));
}

QRect DownloadFileDelegate::deleteRect(const QRect &rect, const Box &box) const
{
    const QPixmap *icon = Resource::ShareInstance()->fileHistoryDeleteIcon();
    const int top = rect.top() + deleteIconTop;
    return QRect(QPoint(box.right - logicalWidth(icon), top), QPoint(box.right, top + logicalHeight(icon)));
}

ILink *DownloadFileDelegate::rowLink(const ModelItemFile *file)
{
    if (file->status() == ModelItemFile::StatusFailed)
        return new RedownloadLink(file->key(), nullptr);
    if (file->status() == ModelItemFile::StatusSuccess && file->fileExists())
        return new OpenInFolderLink(file->key(), nullptr);
    return nullptr;
}

QString DownloadFileDelegate::linkText(const ModelItemFile *file)
{
    if (file->status() == ModelItemFile::StatusFailed)
        return VellChatWBConfigure::WebFileRedownloadText();
    if (file->status() == ModelItemFile::StatusSuccess && file->fileExists())
        return VellChatWBConfigure::WebFileOpenInFolderText();
    return QString();
}

void DownloadFileDelegate::paintFile(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    auto *file = static_cast<ModelItemFile *>(nodeOf(index));
    const QRect &rect = option.rect;
    painter->fillRect(rect, (option.state & QStyle::State_MouseOver) ? QColor(250, 250, 250) : QColor(Qt::white));

    const Box box = contentBox(rect);
    const int ascent = fileMetrics.ascent();
    const int fontHeight = fileMetrics.height();

    const QPixmap *icon = file->icon();
    const int iconY = box.top + int(0.5 * (box.height - logicalHeight(icon)));
    if (icon)
        painter->drawPixmap(box.left, iconY, *icon);
    const int nameX = box.left + logicalWidth(icon) + iconGap;

    const QPixmap *deleteIcon = Resource::ShareInstance()->fileHistoryDeleteIcon();
    const int deleteX = box.right - logicalWidth(deleteIcon);
    painter->drawPixmap(deleteX, rect.top() + deleteIconTop, *deleteIcon);
    int nameRight = deleteX;
    int separatorRight = box.right;

    const ModelItemFile::ModelItemStatus status = file->status();
    const bool missing = status == ModelItemFile::StatusSuccess && !file->fileExists();
    if (status == ModelItemFile::StatusDownloading) {
        const QString percent = file->downloadOffsetText();
        const int percentX = box.textRight - fileMetrics.horizontalAdvance(percent);
        painter->save();
        painter->setFont(fileFont);
        painter->setPen(greyText);
        painter->drawText(QPoint(percentX, box.top + (box.height - fontHeight) / 2 + ascent), percent);
        painter->restore();

        const int barRight = percentX - progressGap;
        const int barLeft = barRight - progressLength;
        const int barY = box.top + box.height / 2;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(QColor(194, 194, 194), progressPenWidth, Qt::SolidLine, Qt::RoundCap));
        painter->drawLine(QLineF(barLeft, barY, barRight, barY));
        painter->setPen(QPen(QColor(108, 165, 209), progressPenWidth, Qt::SolidLine, Qt::RoundCap));
        const qreal fillRight = barLeft + file->downloadPercent() / 100.0 * progressLength;
        painter->drawLine(QLineF(barLeft, barY, fillRight, barY));
        painter->restore();
        nameRight = barLeft;
    } else {
        const QString text = linkText(file);
        if (!text.isEmpty()) {
            const QRect link = linkRect(box, text);
            bool hovered = false;
            if (const QWidget *widget = option.widget) {
                // Rows are laid out in the viewport of a view, not in the view itself.
                if (auto *view = qobject_cast<const QAbstractItemView *>(widget))
                    widget = view->viewport();
                hovered = link.contains(widget->mapFromGlobal(QCursor::pos()));
            }
            QFont linkFont = fileFont;
            linkFont.setUnderline(hovered);
            painter->save();
            painter->setFont(linkFont);
            painter->setPen(greyText);
            painter->drawText(QPoint(link.left(), link.top() + ascent), text);
            painter->restore();
            nameRight = link.left();
            separatorRight = box.textRight;
        }
    }

    painter->save();
    painter->setFont(fileFont);
    painter->setPen(missing ? greyText : QColor(Qt::black));
    painter->drawText(QPoint(nameX, iconY + ascent), file->nameText(nameRight - nameX + 1, fileMetrics));
    painter->restore();

    QString second;
    QColor secondColor = greyText;
    if (status == ModelItemFile::StatusFailed) {
        second = VellChatWBConfigure::WebFileFailedText();
        secondColor = QColor(255, 0, 0);
    } else if (missing) {
        second = VellChatWBConfigure::WebFileMissedText();
    } else {
        second = file->fileSizeText();
    }
    painter->save();
    painter->setFont(fileFont);
    painter->setPen(secondColor);
    painter->drawText(QPoint(nameX, iconY + fontHeight + lineGap + ascent), second);
    painter->restore();

    // The day row that follows separates the last file of a day, except after
    // the oldest day, where nothing follows.
    auto *day = qobject_cast<ModelItemBase *>(file->parent());
    auto *top = day ? qobject_cast<ModelItemBase *>(day->parent()) : nullptr;
    const bool followedByDay = day && top && day->isLastChild(file) && !top->isLastChild(day);
    if (!followedByDay) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(QColor(226, 226, 226), 1));
        painter->drawLine(box.left, rect.bottom() - 1, separatorRight, rect.bottom() - 1);
        painter->restore();
    }
}

void DownloadFileDelegate::getState(const QPoint &position, const QRect &rect, const QModelIndex &index,
                                    Qt::CursorShape &cursor, ILink *&link) const
{
    ModelItemBase *node = nodeOf(index);
    if (!node || node->itemType() != ModelItemBase::FileItem)
        return;
    auto *file = static_cast<ModelItemFile *>(node);
    const Box box = contentBox(rect);
    if (deleteRect(rect, box).contains(position)) {
        link = new RemoveLink(file->key(), nullptr);
        cursor = Qt::PointingHandCursor;
        return;
    }
    cursor = Qt::ArrowCursor;
    const QString text = linkText(file);
    if (text.isEmpty() || !linkRect(box, text).contains(position))
        return;
    link = rowLink(file);
    cursor = Qt::PointingHandCursor;
}
