// SPDX-License-Identifier: Apache-2.0
#include "tools/filesheets.h"

#include "tools/artkit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QVector>
#include <functional>

using namespace artkit;

namespace {

// Sheet corners in a 48-unit grid.
constexpr qreal sheetL = 9, sheetT = 4, sheetR = 40, sheetB = 44, fold = 10;

QPainterPath sheetPath(qreal inset)
{
    const qreal l = sheetL + inset, t = sheetT + inset, r = sheetR - inset, b = sheetB - inset;
    const qreal f = fold - inset * 0.4;
    QPainterPath path;
    path.moveTo(l + 2, t);
    path.lineTo(r - f, t);
    path.lineTo(r, t + f);
    path.lineTo(r, b - 2);
    path.quadTo(r, b, r - 2, b);
    path.lineTo(l + 2, b);
    path.quadTo(l, b, l, b - 2);
    path.lineTo(l, t + 2);
    path.quadTo(l, t, l + 2, t);
    path.closeSubpath();
    return path;
}

void drawSheet(QPainter &p, QImage &image, qreal scale, const QColor &paper)
{
    p.resetTransform();
    p.drawImage(0, 0, shadow(sheetPath(0), image.size(), scale, QPointF(0, 0.8), 1.4, QColor(30, 40, 60, 70)));
    p.scale(scale, scale);
    p.setPen(QPen(QColor(0xc4, 0xcb, 0xd5), 1));
    p.setBrush(paper);
    p.drawPath(sheetPath(0.5));

    // The dog-ear, with the shadow it throws on the page below it.
    QPainterPath ear;
    ear.moveTo(sheetR - fold + 0.5, sheetT + 0.5);
    ear.lineTo(sheetR - fold + 0.5, sheetT + fold - 1.5);
    ear.quadTo(sheetR - fold + 0.5, sheetT + fold - 0.5, sheetR - fold + 1.5, sheetT + fold - 0.5);
    ear.lineTo(sheetR - 0.5, sheetT + fold - 0.5);
    ear.closeSubpath();
    QPainterPath cast;
    cast.moveTo(sheetR - fold, sheetT + fold);
    cast.lineTo(sheetR, sheetT + fold);
    cast.lineTo(sheetR, sheetT + fold + 2.2);
    cast.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 40, 60, 22));
    p.drawPath(cast);
    QLinearGradient earFill(sheetR - fold, sheetT + fold, sheetR - fold / 2, sheetT + fold / 2);
    earFill.setColorAt(0, paper.darker(114));
    earFill.setColorAt(1, paper.darker(104));
    p.setBrush(earFill);
    p.setPen(QPen(QColor(0xc4, 0xcb, 0xd5), 1, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(ear);
}

// The coloured tag that sticks out of the left edge and carries the label.
void drawBand(QPainter &p, qreal scale, const QColor &color, const QString &label)
{
    const QRectF band(5, 27, 30, 12);
    QPainterPath tuck;
    tuck.moveTo(band.left(), band.bottom());
    tuck.lineTo(sheetL, band.bottom());
    tuck.lineTo(sheetL, band.bottom() + 3);
    tuck.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color.darker(170));
    p.drawPath(tuck);
    QLinearGradient fill(0, band.top(), 0, band.bottom());
    fill.setColorAt(0, color.lighter(112));
    fill.setColorAt(1, color);
    p.setBrush(fill);
    p.drawRoundedRect(band, 1.6, 1.6);
    const QRectF device(band.left() * scale, band.top() * scale, band.width() * scale, band.height() * scale);
    drawLabel(p, device, label, Qt::white);
}

void textLines(QPainter &p, const QColor &color, const QVector<QPair<qreal, qreal>> &lines, qreal left, qreal width)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    for (const auto &line : lines)
        p.drawLine(QPointF(left, line.first), QPointF(line.second, line.first));
}

// Draws the kind's own mark on the sheet; gets the device pixels per unit.
using Mark = std::function<void(QPainter &, qreal)>;

struct FileKind
{
    const char *name;
    QColor paper;
    Mark mark;
};

void pptMark(QPainter &p, const QColor &c)
{
    const QRectF pie(13.5, 10, 13, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(mix(c, Qt::white, 0.55));
    p.drawPie(pie, 90 * 16, 270 * 16);
    p.setBrush(c);
    p.drawPie(pie.translated(1.2, -1.2), 0, 90 * 16);
    textLines(p, mix(c, Qt::white, 0.6), {{17, 35}, {21, 33}}, 29.5, 1.8);
}

void wordMark(QPainter &p, const QColor &c)
{
    textLines(p, mix(c, Qt::white, 0.55), {{10, 27}, {14, 27}, {18, 35}, {22, 31}}, 14, 2);
}

void xlsMark(QPainter &p, const QColor &c)
{
    const QColor grid = mix(c, Qt::white, 0.45);
    p.setPen(Qt::NoPen);
    p.setBrush(mix(c, Qt::white, 0.75));
    p.drawRect(QRectF(13.5, 10.5, 15, 4));
    p.setPen(QPen(grid, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(13.5, 10.5, 15, 12));
    for (qreal x : {18.5, 23.5})
        p.drawLine(QPointF(x, 10.5), QPointF(x, 22.5));
    for (qreal y : {14.5, 18.5})
        p.drawLine(QPointF(13.5, y), QPointF(28.5, y));
    textLines(p, mix(c, Qt::white, 0.6), {{18.5, 35}, {22.5, 35}}, 31.5, 1.6);
}

void pdfMark(QPainter &p, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(mix(c, Qt::white, 0.7));
    p.drawRoundedRect(QRectF(13.5, 9.5, 9, 8), 1, 1);
    p.setBrush(mix(c, Qt::white, 0.35));
    QPainterPath hill;
    hill.moveTo(13.5, 17.5);
    hill.lineTo(17, 13.5);
    hill.lineTo(19.5, 15.5);
    hill.lineTo(22.5, 12.5);
    hill.lineTo(22.5, 17.5);
    hill.closeSubpath();
    p.drawPath(hill);
    const QColor ink = mix(c, Qt::white, 0.62);
    textLines(p, ink, {{11, 28}, {15, 28}}, 25, 1.6);
    textLines(p, ink, {{20.5, 35}, {24, 31}}, 14, 1.6);
}

void zipMark(QPainter &p, const QColor &c)
{
    // Zipper teeth down the middle of the sheet, ending in the pull.
    const QColor teeth = c.darker(115);
    p.setPen(Qt::NoPen);
    p.setBrush(teeth);
    for (qreal y = sheetT + 1; y < 18; y += 4) {
        p.drawRect(QRectF(21.5, y, 3, 2));
        p.drawRect(QRectF(24.5, y + 2, 3, 2));
    }
    p.setBrush(c);
    p.drawRoundedRect(QRectF(21, 18.5, 7, 7.5), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(23, 21.5, 3, 2.5), 0.8, 0.8);
}

void musicMark(QPainter &p, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(mix(c, Qt::white, 0.86));
    p.drawEllipse(QPointF(24.5, 27), 12, 12);
    p.setBrush(c);
    // Two beamed eighth notes.
    QPainterPath beam;
    beam.moveTo(20, 19.5);
    beam.lineTo(31, 16.5);
    beam.lineTo(31, 20);
    beam.lineTo(20, 23);
    beam.closeSubpath();
    p.drawPath(beam);
    p.drawRect(QRectF(19.5, 20, 1.8, 12));
    p.drawRect(QRectF(29.5, 17, 1.8, 12));
    for (const QPointF &head : {QPointF(17.8, 32.2), QPointF(27.8, 29.2)}) {
        p.save();
        p.translate(head);
        p.rotate(-22);
        p.drawEllipse(QPointF(0, 0), 3.4, 2.5);
        p.restore();
    }
}

void videoMark(QPainter &p, const QColor &c)
{
    QLinearGradient fill(0, 18, 0, 36);
    fill.setColorAt(0, c.lighter(115));
    fill.setColorAt(1, c);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(13, 18, 23, 18), 3, 3);
    // Film perforations along the top and bottom edges.
    p.setBrush(QColor(255, 255, 255, 110));
    for (qreal x = 15; x < 34; x += 4) {
        p.drawRect(QRectF(x, 19.2, 2, 1.4));
        p.drawRect(QRectF(x, 33.4, 2, 1.4));
    }
    QPainterPath play;
    play.moveTo(22, 22.5);
    play.lineTo(29.5, 27);
    play.lineTo(22, 31.5);
    play.closeSubpath();
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::white, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(play);
}

void pictureMark(QPainter &p)
{
    const QRectF frame(13, 17, 23, 19);
    const QPainterPath clip = roundedRect(frame, 2);
    p.save();
    p.setClipPath(clip);
    QLinearGradient sky(0, frame.top(), 0, frame.bottom());
    sky.setColorAt(0, QColor(0x8f, 0xcf, 0xff));
    sky.setColorAt(1, QColor(0xd6, 0xef, 0xff));
    p.fillRect(frame, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xc4, 0x2e));
    p.drawEllipse(QPointF(30.5, 22), 2.6, 2.6);
    QPainterPath far;
    far.moveTo(13, 31);
    far.quadTo(19, 22.5, 25, 28);
    far.quadTo(30, 25, 36, 29);
    far.lineTo(36, 36);
    far.lineTo(13, 36);
    far.closeSubpath();
    p.setBrush(QColor(0x82, 0xcc, 0x6e));
    p.drawPath(far);
    QPainterPath near;
    near.moveTo(13, 34);
    near.quadTo(24, 27.5, 36, 33);
    near.lineTo(36, 36);
    near.lineTo(13, 36);
    near.closeSubpath();
    p.setBrush(QColor(0x3f, 0xa3, 0x4f));
    p.drawPath(near);
    p.restore();
    p.setPen(QPen(QColor(0, 0, 0, 30), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 1.6));
}

void docuMark(QPainter &p)
{
    textLines(p, QColor(0xa4, 0xaf, 0xbf),
              {{11, 27}, {15, 27}, {19.5, 35}, {24, 35}, {28.5, 33}, {33, 35}, {37.5, 27}}, 14, 1.8);
}

void otherMark(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x95, 0x9e, 0xab));
    for (qreal x : {18.5, 24.5, 30.5})
        p.drawEllipse(QPointF(x, 28), 2.1, 2.1);
}

QImage fileIcon(int size, const FileKind &kind)
{
    const qreal scale = size / 48.0;
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawSheet(p, image, scale, kind.paper);
    kind.mark(p, scale);
    return image;
}

QImage folderIcon(int size)
{
    const qreal scale = size / 48.0;
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath back;
    back.moveTo(5, 11);
    back.quadTo(5, 8, 8, 8);
    back.lineTo(17, 8);
    back.quadTo(19, 8, 20.5, 10);
    back.lineTo(22, 12);
    back.lineTo(40, 12);
    back.quadTo(43, 12, 43, 15);
    back.lineTo(43, 38);
    back.lineTo(5, 38);
    back.closeSubpath();
    const QPainterPath front = roundedRect(QRectF(4, 17, 40, 24), 2.5);

    p.drawImage(0, 0, shadow(back.united(front), image.size(), scale, QPointF(0, 0.9), 1.4, QColor(90, 60, 0, 80)));
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe8, 0xa3, 0x1c));
    p.drawPath(back);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(8, 14, 32, 12), 1, 1);
    p.setBrush(QColor(0xee, 0xf1, 0xf5));
    p.drawRect(QRectF(10, 16.5, 28, 1.2));
    QLinearGradient fill(0, 17, 0, 41);
    fill.setColorAt(0, QColor(0xff, 0xd5, 0x5c));
    fill.setColorAt(1, QColor(0xf7, 0xb9, 0x2e));
    p.setBrush(fill);
    p.drawPath(front);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawLine(QPointF(6.5, 18), QPointF(41.5, 18));
    return image;
}

const QVector<FileKind> &table()
{
    static const auto labelled = [](QColor color, QString label, void (*mark)(QPainter &, const QColor &)) {
        return [=](QPainter &p, qreal scale) {
            mark(p, color);
            drawBand(p, scale, color, label);
        };
    };
    const QColor white(Qt::white);
    static const QVector<FileKind> kinds = {
        {"ppt", white, labelled(QColor(0xe3, 0x5d, 0x26), "PPT", pptMark)},
        {"word", white, labelled(QColor(0x2b, 0x66, 0xd6), "DOC", wordMark)},
        {"xls", white, labelled(QColor(0x1d, 0x93, 0x54), "XLS", xlsMark)},
        {"pdf", white, labelled(QColor(0xdd, 0x34, 0x3b), "PDF", pdfMark)},
        {"rar", white, labelled(QColor(0x85, 0x55, 0xc4), "ZIP", zipMark)},
        {"music", white, [](QPainter &p, qreal) { musicMark(p, QColor(0xe2, 0x47, 0x8a)); }},
        {"video", white, [](QPainter &p, qreal) { videoMark(p, QColor(0x5a, 0x5f, 0xd8)); }},
        {"picture", white, [](QPainter &p, qreal) { pictureMark(p); }},
        {"docu", white, [](QPainter &p, qreal) { docuMark(p); }},
        {"other", QColor(0xee, 0xf0, 0xf3), [](QPainter &p, qreal) { otherMark(p); }},
    };
    return kinds;
}

}

namespace filesheets {

QStringList kinds()
{
    QStringList names;
    for (const FileKind &kind : table())
        names << QString::fromLatin1(kind.name);
    return names << QStringLiteral("folder");
}

QImage draw(const QString &kind, int size)
{
    if (kind == QLatin1String("folder"))
        return folderIcon(size);
    for (const FileKind &entry : table()) {
        if (kind == QLatin1String(entry.name))
            return fileIcon(size, entry);
    }
    return QImage();
}

}
