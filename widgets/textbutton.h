// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "widgets/button.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>

// A caption in one font and colour that may switch both while hovered.
// Its size comes from the caption, measured again only when the caption is
// replaced.
class TextButton : public Button
{
    Q_OBJECT
public:
    TextButton(QWidget *parent, const QString &text, const QFont &font, const QColor &color);

    // A new caption, for a host that changes its texts while the window shows.
    void setText(const QString &text);
    void setHoverFont(const QFont &font);
    void setHoverColor(const QColor &color);
    QString caption() const { return text; }

public slots:
    void onStateChanged(int oldState);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text;
    QFont m_font;
    QFont hoverFont;
    QColor color;
    QColor hoverColor;
    QFontMetrics m_fontMetrics;   // of the normal font, kept from construction
    int textWidth = 0;
    int textHeight = 0;
};
