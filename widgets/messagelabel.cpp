// SPDX-License-Identifier: Apache-2.0
#include "widgets/messagelabel.h"

#include "widgets/textmetrics.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

MessageLabel::MessageLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    // Messages come from the host and name downloaded files; a '<' in them is text.
    setTextFormat(Qt::PlainText);
}

int MessageLabel::lineHeight() const
{
    return textLineHeight(font());
}

QString MessageLabel::layoutText() const
{
    // A text layout breaks lines at a line separator, not at a newline.
    QString t = text();
    t.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return t;
}

void MessageLabel::layoutLines(QTextLayout &layout, int width, int maxLines) const
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFont(font());
    layout.beginLayout();
    const int step = lineHeight();
    // Breaking a word that is longer than a line costs time in proportion
    // to the rest of the text, for every line: stop at the last line needed.
    for (int y = 0; layout.lineCount() < maxLines; y += step) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(qMax(1, width));
        line.setPosition(QPointF(0, y));
    }
    layout.endLayout();
}

QSize MessageLabel::textSize(int maxWidth, int maxLines) const
{
    QTextLayout layout(layoutText());
    layoutLines(layout, maxWidth, maxLines);
    qreal widest = 0;
    for (int i = 0; i < layout.lineCount(); ++i)
        widest = qMax(widest, layout.lineAt(i).naturalTextWidth());
    return QSize(qMin(maxWidth, qCeil(widest)), layout.lineCount() * lineHeight());
}

void MessageLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    const QString text = layoutText();
    QTextLayout layout(text);
    // At least one line shows, however low the label is; one more tells
    // whether anything follows.
    const int shown = qMax(1, height() / lineHeight());
    layoutLines(layout, width(), shown + 1);
    for (int i = 0; i < layout.lineCount() && i < shown; ++i) {
        const QTextLine line = layout.lineAt(i);
        if (i + 1 < shown || i + 1 == layout.lineCount()) {
            line.draw(&p, QPointF());
            continue;
        }
        // The last line there is room for says that more follows. Of the
        // rest, no more than a character a pixel could ever show.
        QString rest = text.mid(line.textStart(), line.textLength() + width());
        rest.replace(QChar::LineSeparator, QLatin1Char(' '));
        const QFontMetrics metrics(font());
        p.drawText(QPointF(0, line.y() + metrics.ascent()), metrics.elidedText(rest, Qt::ElideRight, width()));
    }
}
