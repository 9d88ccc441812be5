// SPDX-License-Identifier: Apache-2.0
// iconforge: draws every picture of the two image bundles at the pixel sizes
// they ship in, normal and double resolution, straight from vector shapes so
// that both come out sharp.
//
//     iconforge <resources dir>
//
// It needs <resources dir>/font/OpenSans-Bold.ttf for the labels and writes
// into <resources dir>/gui/icons/ and <resources dir>/art/.

#include "tools/artkit.h"
#include "tools/filesheets.h"

#include <QDir>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <functional>

using namespace artkit;

namespace {

const QColor brandBlue(0x2a, 0x7f, 0xf0);
const QColor brandBlueLight(0x5c, 0xae, 0xff);
const QColor brandBlueDeep(0x17, 0x5c, 0xd3);

// ---- the speech-bubble globe, shared by the channel logo and the app icon ----

QPainterPath bubble(QPointF c, qreal r)
{
    QPainterPath disc;
    disc.addEllipse(c, r, r);
    // The tail leaves the disc low on the left and curls out to a point.
    QPainterPath tail;
    tail.moveTo(c + QPointF(-0.80 * r, 0.35 * r));
    tail.quadTo(c + QPointF(-0.78 * r, 0.85 * r), c + QPointF(-1.02 * r, 1.10 * r));
    tail.quadTo(c + QPointF(-0.45 * r, 1.08 * r), c + QPointF(-0.10 * r, 0.86 * r));
    tail.closeSubpath();
    return disc.united(tail).simplified();
}

void drawGlobeLines(QPainter &p, QPointF c, qreal r, qreal width, const QBrush &ink, bool latitudes)
{
    p.save();
    QPainterPath disc;
    disc.addEllipse(c, r, r);
    p.setClipPath(disc);
    p.setPen(QPen(ink, width, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const qreal inner = r - width * 0.9;
    p.drawEllipse(c, inner * 0.42, inner);
    // Without a rim the bubble's own edge is the globe's outline.
    const qreal reach = latitudes ? inner : r;
    p.drawLine(QPointF(c.x() - reach, c.y()), QPointF(c.x() + reach, c.y()));
    if (latitudes) {
        p.drawEllipse(c, inner, inner);
        const qreal dy = inner * 0.52;
        const qreal dx = std::sqrt(inner * inner - dy * dy);
        p.drawLine(QPointF(c.x() - dx, c.y() - dy), QPointF(c.x() + dx, c.y() - dy));
        p.drawLine(QPointF(c.x() - dx, c.y() + dy), QPointF(c.x() + dx, c.y() + dy));
    }
    p.restore();
}

QImage channelLogo(int size)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 20.0, size / 20.0);
    QLinearGradient fill(0, 0, 0, 20);
    fill.setColorAt(0, brandBlueLight);
    fill.setColorAt(1, brandBlueDeep);
    p.fillPath(roundedRect(QRectF(0, 0, 20, 20), 4.6), fill);
    const QPointF c(10.6, 9.2);
    const qreal r = 6.1;
    p.fillPath(bubble(c, r), Qt::white);
    drawGlobeLines(p, c, r, size >= 40 ? 1.0 : 1.15, brandBlue, false);
    return image;
}

QImage appIcon(int size)
{
    const qreal scale = size / 256.0;
    QImage image = canvas(size, size);
    const QRectF badgeRect(22, 20, 212, 212);
    const QPainterPath badge = roundedRect(badgeRect, 50);
    QPainter p(&image);
    p.drawImage(0, 0, shadow(badge, image.size(), scale, QPointF(0, 7), 10, QColor(10, 40, 90, 110)));
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);

    QLinearGradient fill(0, badgeRect.top(), 0, badgeRect.bottom());
    fill.setColorAt(0, QColor(0x6b, 0xb8, 0xff));
    fill.setColorAt(0.55, brandBlue);
    fill.setColorAt(1, brandBlueDeep);
    p.fillPath(badge, fill);

    // A wide, faint sheen over the upper half gives the badge some volume.
    p.save();
    p.setClipPath(badge);
    QRadialGradient sheen(QPointF(128, -40), 220);
    sheen.setColorAt(0, QColor(255, 255, 255, 70));
    sheen.setColorAt(0.7, QColor(255, 255, 255, 18));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(badgeRect, sheen);
    p.restore();
    p.setPen(QPen(QColor(255, 255, 255, 60), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedRect(badgeRect.adjusted(1, 1, -1, -1), 49));

    const QPointF c(136, 118);
    const qreal r = 66;
    const QPainterPath mark = bubble(c, r);
    p.resetTransform();
    p.drawImage(0, 0, shadow(mark, image.size(), scale, QPointF(0, 5), 7, QColor(8, 40, 110, 90)));
    p.scale(scale, scale);
    QLinearGradient paper(0, c.y() - r, 0, c.y() + r);
    paper.setColorAt(0, Qt::white);
    paper.setColorAt(1, QColor(0xe6, 0xf0, 0xff));
    p.fillPath(mark, paper);
    QLinearGradient ink(0, c.y() - r, 0, c.y() + r);
    ink.setColorAt(0, QColor(0x3d, 0x94, 0xff));
    ink.setColorAt(1, brandBlueDeep);
    drawGlobeLines(p, c, r - 14, 7.5, ink, true);
    return image;
}

// ---- window buttons: white glyphs with a faint rim, on nothing ----

enum class WindowGlyph { Minimize, Maximize, Restore, Close };

QImage windowButton(int width, int height, WindowGlyph glyph)
{
    const int k = height >= 38 ? 2 : 1;   // stroke width in pixels
    // A 9-pixel box at 1x, grown by one where needed so it sits on whole pixels.
    int gw = 9 * k;
    int gh = 9 * k;
    if ((width - gw) % 2)
        ++gw;
    if ((height - gh) % 2)
        ++gh;
    const int left = (width - gw) / 2;
    const int top = (height - gh) / 2;
    const QColor ink(0xfb, 0xfc, 0xfd);

    QImage image = canvas(width, height);
    QPainter p(&image);
    auto frame = [&](int x, int y, int w, int h, int topEdge) {
        p.fillRect(x, y, w, topEdge, ink);
        p.fillRect(x, y + h - k, w, k, ink);
        p.fillRect(x, y, k, h, ink);
        p.fillRect(x + w - k, y, k, h, ink);
    };
    switch (glyph) {
    case WindowGlyph::Minimize:
        p.fillRect(left, top + (gh - k) / 2, gw, k, ink);
        break;
    case WindowGlyph::Maximize:
        frame(left, top, gw, gh, k);
        break;
    case WindowGlyph::Restore: {
        const int shift = 2 * k;
        const int w = gw - shift;
        const int h = gh - shift;
        frame(left, top + shift, w, h, k);
        // The window behind shows only where the front one does not cover it.
        p.fillRect(left + shift, top, w, k, ink);
        p.fillRect(left + gw - k, top, k, h, ink);
        p.fillRect(left + shift, top, k, shift, ink);
        p.fillRect(left + w, top + h - k, shift, k, ink);
        break;
    }
    case WindowGlyph::Close: {
        if (k == 1 && gw == gh) {
            // A one-pixel diagonal only stays sharp when it steps pixel by pixel.
            for (int i = 0; i < gw; ++i) {
                p.fillRect(left + i, top + i, 1, 1, ink);
                p.fillRect(left + gw - 1 - i, top + i, 1, 1, ink);
            }
            break;
        }
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(ink, k * 1.15, Qt::SolidLine, Qt::FlatCap));
        const qreal inset = 0.5 * k;
        p.drawLine(QPointF(left + inset, top + inset), QPointF(left + gw - inset, top + gh - inset));
        p.drawLine(QPointF(left + gw - inset, top + inset), QPointF(left + inset, top + gh - inset));
        break;
    }
    }
    p.end();
    return withHalo(image, k, QColor(40, 46, 56, 70));
}

QImage deleteCross(int size)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 12.0, size / 12.0);
    p.setPen(QPen(QColor(0x9a, 0xa1, 0xab), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 3), QPointF(9, 9));
    p.drawLine(QPointF(9, 3), QPointF(3, 9));
    return image;
}

// ---- the empty download history: a tray waiting for something to fall in ----

QImage emptyTray(int size)
{
    const qreal scale = size / 214.0;
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);

    QRadialGradient backdrop(QPointF(107, 104), 88);
    backdrop.setColorAt(0, QColor(0xf1, 0xf4, 0xf8));
    backdrop.setColorAt(0.85, QColor(0xf4, 0xf6, 0xf9));
    backdrop.setColorAt(1, QColor(0xf4, 0xf6, 0xf9, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(backdrop);
    p.drawEllipse(QPointF(107, 104), 88, 88);

    QRadialGradient ground(QPointF(107, 176), 66);
    ground.setColorAt(0, QColor(60, 72, 90, 40));
    ground.setColorAt(1, QColor(60, 72, 90, 0));
    p.setBrush(ground);
    p.save();
    p.translate(107, 176);
    p.scale(1, 0.11);
    p.drawEllipse(QPointF(0, 0), 66, 66);
    p.restore();

    // Inside of the tray, seen from above the front lip.
    QPainterPath inside;
    inside.moveTo(50, 128);
    inside.lineTo(66, 100);
    inside.lineTo(148, 100);
    inside.lineTo(164, 128);
    inside.closeSubpath();
    QLinearGradient insideFill(0, 100, 0, 128);
    insideFill.setColorAt(0, QColor(0xd3, 0xda, 0xe3));
    insideFill.setColorAt(1, QColor(0xc2, 0xcb, 0xd6));
    p.setBrush(insideFill);
    p.setPen(QPen(QColor(0xbd, 0xc6, 0xd1), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(inside);

    // The arrow drops into the tray, so it goes between the back and the front.
    QPainterPath arrow;
    arrow.addRoundedRect(QRectF(97, 28, 20, 52), 5, 5);
    QPainterPath head;
    head.moveTo(80, 74);
    head.lineTo(134, 74);
    head.lineTo(109.5, 102);
    head.quadTo(107, 105, 104.5, 102);
    head.closeSubpath();
    arrow = arrow.united(head).simplified();
    p.resetTransform();
    p.drawImage(0, 0, shadow(arrow, image.size(), scale, QPointF(0, 3), 4, QColor(20, 90, 200, 60)));
    p.scale(scale, scale);
    QLinearGradient arrowFill(0, 28, 0, 104);
    arrowFill.setColorAt(0, QColor(0x8c, 0xc4, 0xff));
    arrowFill.setColorAt(0.5, QColor(0x4c, 0x9c, 0xf8));
    arrowFill.setColorAt(1, brandBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(arrowFill);
    p.drawPath(arrow);

    // Front of the tray with the dip in its lip.
    QPainterPath front;
    front.moveTo(50, 128);
    front.lineTo(84, 128);
    front.cubicTo(88, 128, 88, 142, 94, 142);
    front.lineTo(120, 142);
    front.cubicTo(126, 142, 126, 128, 130, 128);
    front.lineTo(164, 128);
    front.lineTo(164, 166);
    front.quadTo(164, 174, 156, 174);
    front.lineTo(58, 174);
    front.quadTo(50, 174, 50, 166);
    front.closeSubpath();
    QLinearGradient frontFill(0, 128, 0, 174);
    frontFill.setColorAt(0, QColor(0xf7, 0xf9, 0xfb));
    frontFill.setColorAt(1, QColor(0xe3, 0xe8, 0xee));
    p.setBrush(frontFill);
    p.setPen(QPen(QColor(0xbd, 0xc6, 0xd1), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(front);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
    p.drawLine(QPointF(53, 131), QPointF(82, 131));
    p.drawLine(QPointF(132, 131), QPointF(161, 131));

    // A few quiet specks around it keep the picture from looking bare.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc9, 0xe0, 0xfb));
    p.drawEllipse(QPointF(52, 64), 4, 4);
    p.drawEllipse(QPointF(168, 140), 3, 3);
    p.setBrush(QColor(0xd9, 0xde, 0xe5));
    p.drawEllipse(QPointF(160, 58), 3, 3);
    p.drawEllipse(QPointF(44, 150), 2.5, 2.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xb6, 0xd5, 0xfa), 2));
    p.drawEllipse(QPointF(166, 86), 5, 5);
    return image;
}

class Forge
{
public:
    explicit Forge(const QString &resources) : root(resources) {}

    void write(const QString &relative, const QImage &image)
    {
        const QString path = root.filePath(relative);
        if (image.save(path, "PNG")) {
            ++written;
        } else {
            std::fprintf(stderr, "iconforge: cannot write %s\n", qPrintable(path));
            ++failed;
        }
    }

    // Normal and double resolution, each drawn at its own size.
    void pair(const QString &base, const std::function<QImage(int)> &draw, int normal)
    {
        write(base + ".png", draw(normal));
        write(base + "@2x.png", draw(normal * 2));
    }

    int written = 0;
    int failed = 0;

private:
    QDir root;
};

}

int main(int argc, char **argv)
{
    // Only images are drawn; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: iconforge <resources dir>\n");
        return 2;
    }
    const QDir resources(QString::fromLocal8Bit(argv[1]));
    if (!loadLabelFont(resources.filePath("font/OpenSans-Bold.ttf"))) {
        std::fprintf(stderr, "iconforge: cannot load %s\n", qPrintable(resources.filePath("font/OpenSans-Bold.ttf")));
        return 1;
    }
    if (!resources.mkpath("gui/icons") || !resources.mkpath("art")) {
        std::fprintf(stderr, "iconforge: cannot create the output folders\n");
        return 1;
    }

    Forge forge(resources.path());
    forge.pair("gui/icons/channel_webbroswer_logo", channelLogo, 20);
    forge.pair("gui/icons/main", appIcon, 256);
    forge.pair("gui/icons/x", deleteCross, 12);
    forge.pair("gui/icons/webfileempty", emptyTray, 214);
    const struct { const char *name; WindowGlyph glyph; } buttons[] = {
        {"minimize", WindowGlyph::Minimize}, {"maximize", WindowGlyph::Maximize},
        {"restore", WindowGlyph::Restore}, {"close", WindowGlyph::Close}};
    for (const auto &button : buttons) {
        const QString base = QStringLiteral("gui/icons/") + button.name;
        forge.write(base + ".png", windowButton(23, 19, button.glyph));
        forge.write(base + "@2x.png", windowButton(47, 38, button.glyph));
    }

    auto sheets = [&](const QString &name, const std::function<QImage(int)> &draw) {
        const QString base = QStringLiteral("art/overview_icon_file_") + name;
        for (int size : {48, 96}) {
            const QImage image = draw(size);
            const QString suffix = size == 48 ? QStringLiteral(".png") : QStringLiteral("@2x.png");
            forge.write(base + suffix, image);
            forge.write(base + "_gray" + suffix, faded(image));
        }
    };
    for (const QString &kind : filesheets::kinds())
        sheets(kind, [&](int size) { return filesheets::draw(kind, size); });

    QTextStream(stdout) << "iconforge: wrote " << forge.written << " files\n";
    return forge.failed ? 1 : 0;
}
