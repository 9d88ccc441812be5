// SPDX-License-Identifier: Apache-2.0
#include "widgets/imagebutton.h"

#include <QPainter>

ImageButton::ImageButton(QWidget *parent)
    : Button(parent)
{
    setCursor(Qt::PointingHandCursor);
}

ImageButton::ImageButton(QWidget *parent, const QPixmap *pixmap)
    : Button(parent)
{
    // An icon that failed to load arrives as no pixmap at all; show nothing then.
    if (pixmap)
        this->pixmap = pixmap->copy();
    setCursor(Qt::PointingHandCursor);
    resizeToPixmap();
}

void ImageButton::setImage(const QPixmap &pixmap)
{
    this->pixmap = pixmap.copy();
    resizeToPixmap();
}

void ImageButton::setOpacity(double opacity)
{
    this->opacity = opacity;
    update();
}

void ImageButton::resizeToPixmap()
{
    // A high-density pixmap covers fewer logical pixels than it has.
    const qreal dpr = pixmap.devicePixelRatio();
    resize(qRound(pixmap.width() / dpr), qRound(pixmap.height() / dpr));
}

void ImageButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setOpacity(opacity);
    p.drawPixmap(0, 0, pixmap);
    paintFocusRing(p, palette().color(QPalette::Highlight));
}
