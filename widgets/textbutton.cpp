// SPDX-License-Identifier: Apache-2.0
#include "widgets/textbutton.h"

#include "config/vellchatwbconfigure.h"
#include "widgets/textmetrics.h"

#include <QAccessible>
#include <QPainter>

TextButton::TextButton(QWidget *parent, const QString &text, const QFont &font, const QColor &color)
    : Button(parent)
    , text(text)
    , m_font(font)
    , hoverFont(font)
    , color(color)
    , hoverColor(color)
    , m_fontMetrics(font)
    , textWidth(m_fontMetrics.horizontalAdvance(text))
    , textHeight(textLineHeight(font))
{
    setCursor(Qt::PointingHandCursor);
    resize(textWidth + dpiScaled(10), textHeight + dpiScaled(10));
    connect(this, &Button::stateChanged, this, &TextButton::onStateChanged);
}

void TextButton::setText(const QString &text)
{
    if (text == this->text)
        return;
    this->text = text;
    textWidth = m_fontMetrics.horizontalAdvance(text);
    resize(textWidth + dpiScaled(10), textHeight + dpiScaled(10));
    update();
    // Screen readers name the button by its caption.
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void TextButton::setHoverFont(const QFont &font)
{
    hoverFont = font;
}

void TextButton::setHoverColor(const QColor &color)
{
    if (color == hoverColor)
        return;
    hoverColor = color;
    update();
}

void TextButton::setColor(const QColor &color)
{
    if (color == this->color)
        return;
    this->color = color;
    update();
}

void TextButton::onStateChanged(int)
{
    update();
}

void TextButton::paintEvent(QPaintEvent *)
{
    const int over = (getState() & StateOver) ? 1 : 0;
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(over ? hoverFont : m_font);
    p.setPen(over ? hoverColor : color);
    // The caption sinks by a pixel under the pointer: hover feedback even
    // when the hover font and colour equal the normal ones.
    const int x = (width() - textWidth) / 2;
    const int y = (height() - textHeight) / 2 + over + textAscent(m_font);
    p.drawText(QPoint(x, y), text);
    paintFocusRing(p, over ? hoverColor : color);
}
