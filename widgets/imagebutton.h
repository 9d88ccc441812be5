// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "widgets/button.h"

#include <QPixmap>

// A picture at a set opacity; hovering does not change it.
class ImageButton : public Button
{
    Q_OBJECT
public:
    explicit ImageButton(QWidget *parent);
    ImageButton(QWidget *parent, const QPixmap *pixmap);

    void setImage(const QPixmap &pixmap);
    void setOpacity(double opacity);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void resizeToPixmap();

    QPixmap pixmap;   // our own copy: the source may be replaced by the host
    double opacity = 1.0;
};
