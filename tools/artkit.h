// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

// Small raster helpers shared by the drawings of iconforge. Every picture is
// painted on a transparent premultiplied canvas at the pixel size it ships in.
namespace artkit {

QImage canvas(int width, int height);

// Three box passes come close enough to a gaussian for soft shadows.
void blur(QImage &image, int radius);

// A soft shadow of `shape` (in the painter's design units, `scale` device
// pixels per unit), moved by `offset` units and spread over `spread` units.
QImage shadow(const QPainterPath &shape, const QSize &size, qreal scale, QPointF offset,
              qreal spread, const QColor &color);

// Puts a faint dark rim around light strokes so they read on any grey.
QImage withHalo(const QImage &glyph, int radius, const QColor &rim);

// The same picture without colour and lifted towards white: the look of a
// file that is no longer on disk.
QImage faded(const QImage &image);

// Bold label text centred in a device-pixel rectangle, as large as fits.
void drawLabel(QPainter &painter, const QRectF &deviceRect, const QString &text,
               const QColor &color);

// Loads the bundled bold face so labels never depend on the system's fonts.
bool loadLabelFont(const QString &fontFile);

QColor mix(const QColor &a, const QColor &b, qreal t);

QPainterPath roundedRect(const QRectF &rect, qreal radius);

}
