// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QStyledItemDelegate>

class ILink;
class ModelItemFile;

// Paints day and file rows entirely by itself and tells which clickable area
// of a file row lies under a point. Sizes are scaled once, at construction.
class DownloadFileDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit DownloadFileDelegate(QObject *parent);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paintDate(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintFile(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    // Hit test in the row's own coordinates; a returned link belongs to the caller.
    void getState(const QPoint &position, const QRect &rect, const QModelIndex &index,
                  Qt::CursorShape &cursor, ILink *&link) const;
    // The link on the right of a file row in its state (open folder or
    // download again), or none; it belongs to the caller.
    static ILink *rowLink(const ModelItemFile *file);

private:
    // The content box of a file row, shared by painting and hit testing.
    struct Box
    {
        int left;    // CL
        int right;   // CR
        int top;     // CT
        int height;  // CH
        int textRight;  // TR
    };
    Box contentBox(const QRect &rect) const;
    QRect linkRect(const Box &box, const QString &text) const;
    QRect deleteRect(const QRect &rect, const Box &box) const;
    void paintFocus(QPainter *painter, const QStyleOptionViewItem &option) const;
    // The text of the right-hand link a file offers in its state, or none.
    static QString linkText(const ModelItemFile *file);

    int rowWidthHint;
    int dayRowHeight;
    int fileRowHeight;
    QFont dayFont;
    QFontMetrics dayMetrics;
    QFont fileFont;
    QFontMetrics fileMetrics;
    int sideMargin;
    int verticalMargin;
    int progressLength;
    int progressPenWidth;
    int progressGap;
    int iconGap;
    int lineGap;
    int deleteIconTop;
    int rightInset;
};
