#pragma once

#include "widgets/button.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>

// A caption in one font and colour that may switch both while hovered.
// Its size comes from the caption, measured in the normal font.
class TextButton : public Button
{
    Q_OBJECT
public:
    TextButton(QWidget *parent, const QString &text, const QFont &font, const QColor &color);

    void setHoverFont(const QFont &font);
    void setHoverColor(const QColor &color);
    QString caption() const { return text; }
    // A new caption resizes the button; its owner places it again.
    void setText(const QString &caption);

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
