// SPDX-License-Identifier: Apache-2.0
#include "tools/artkit.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace artkit {

static QString labelFamily;

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// One horizontal box pass over premultiplied pixels, running sums per channel.
static void boxPass(QImage &image, int radius, bool horizontal)
{
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    QVector<QRgb> line(length);
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> QRgb & {
            return horizontal ? reinterpret_cast<QRgb *>(image.scanLine(l))[i]
                              : reinterpret_cast<QRgb *>(image.scanLine(i))[l];
        };
        for (int i = 0; i < length; ++i)
            line[i] = at(i);
        int sum[4] = {0, 0, 0, 0};
        const int window = 2 * radius + 1;
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= length)
                return;
            const QRgb p = line[i];
            sum[0] += sign * qAlpha(p);
            sum[1] += sign * qRed(p);
            sum[2] += sign * qGreen(p);
            sum[3] += sign * qBlue(p);
        };
        for (int i = -radius; i <= radius; ++i)
            add(i, 1);
        for (int i = 0; i < length; ++i) {
            at(i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            add(i - radius, -1);
            add(i + radius + 1, 1);
        }
    }
}

void blur(QImage &image, int radius)
{
    if (radius < 1)
        return;
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(image, radius, true);
        boxPass(image, radius, false);
    }
}

QImage shadow(const QPainterPath &shape, const QSize &size, qreal scale, QPointF offset,
              qreal spread, const QColor &color)
{
    QImage image = canvas(size.width(), size.height());
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.translate(offset);
        p.fillPath(shape, color);
    }
    // Three passes of radius r spread about 1.7 r; aim for `spread` units.
    blur(image, qMax(1, qRound(spread * scale / 1.7)));
    return image;
}

QImage withHalo(const QImage &glyph, int radius, const QColor &rim)
{
    const QImage source = glyph.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage halo = canvas(source.width(), source.height());
    for (int y = 0; y < source.height(); ++y) {
        auto *out = reinterpret_cast<QRgb *>(halo.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            int strongest = 0;
            for (int dy = -radius; dy <= radius; ++dy) {
                for (int dx = -radius; dx <= radius; ++dx) {
                    const int sx = x + dx;
                    const int sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= source.width() || sy >= source.height())
                        continue;
                    strongest = qMax(strongest, qAlpha(source.pixel(sx, sy)));
                }
            }
            const int a = strongest * rim.alpha() / 255;
            out[x] = qRgba(rim.red() * a / 255, rim.green() * a / 255, rim.blue() * a / 255, a);
        }
    }
    QPainter p(&halo);
    p.drawImage(0, 0, source);
    return halo;
}

QImage faded(const QImage &image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            const qreal luma = 0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p);
            const int lifted = qBound(0, qRound(luma + (255.0 - luma) * 0.36), 255);
            line[x] = qRgba(lifted, lifted, lifted, qAlpha(p));
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool loadLabelFont(const QString &fontFile)
{
    const int id = QFontDatabase::addApplicationFont(fontFile);
    if (id < 0)
        return false;
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        return false;
    labelFamily = families.first();
    return true;
}

void drawLabel(QPainter &painter, const QRectF &deviceRect, const QString &text,
               const QColor &color)
{
    painter.save();
    painter.resetTransform();
    QFont font(labelFamily);
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    // Start where the capitals fill about two thirds of the band and shrink
    // until the word leaves a little room at both ends.
    int pixels = qMax(6, int(deviceRect.height() * 0.9));
    for (; pixels > 5; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        if (metrics.capHeight() <= deviceRect.height() * 0.56
            && metrics.horizontalAdvance(text) <= deviceRect.width() * 0.82)
            break;
    }
    font.setPixelSize(pixels);
    const QFontMetricsF metrics(font);
    const qreal x = deviceRect.center().x() - metrics.horizontalAdvance(text) / 2;
    // Centre the capitals, not the line box: labels have no descenders.
    const qreal baseline = std::round(deviceRect.center().y() + metrics.capHeight() / 2);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QPointF(std::round(x), baseline), text);
    painter.restore();
}

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t,
                            a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QPainterPath roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

}
