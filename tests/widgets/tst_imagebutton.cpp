// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "widgets/imagebutton.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

namespace {

QPixmap solid(int w, int h, qreal dpr, const QColor &colour)
{
    QPixmap p(w, h);
    p.fill(colour);
    p.setDevicePixelRatio(dpr);
    return p;
}

QImage paint(QWidget *w)
{
    QImage image(w->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool near(QRgb got, QRgb want)
{
    return qAbs(qRed(got) - qRed(want)) <= 2 && qAbs(qGreen(got) - qGreen(want)) <= 2
        && qAbs(qBlue(got) - qBlue(want)) <= 2;
}

} // namespace

class tst_ImageButton : public QObject
{
    Q_OBJECT
private slots:
    void init() { VellChatWBConfigure::init(); }
    void logicalSize_data();
    void logicalSize();
    void keepsOwnCopy();
    void missingPixmap();
    void opacity_data();
    void opacity();
};

void tst_ImageButton::logicalSize_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("40x40 at 2") << QSize(40, 40) << 2.0 << QSize(20, 20);
    QTest::newRow("40x40 at 1") << QSize(40, 40) << 1.0 << QSize(40, 40);
    QTest::newRow("halves round up") << QSize(25, 15) << 2.0 << QSize(13, 8);
    QTest::newRow("30x45 at 1.5") << QSize(30, 45) << 1.5 << QSize(20, 30);
    QTest::newRow("7x11 at 3") << QSize(7, 11) << 3.0 << QSize(2, 4);
}

void tst_ImageButton::logicalSize()
{
    QFETCH(QSize, pixels);
    QFETCH(qreal, dpr);
    QFETCH(QSize, expected);
    const QPixmap p = solid(pixels.width(), pixels.height(), dpr, Qt::blue);

    ImageButton built(nullptr, &p);
    QCOMPARE(built.size(), expected);

    ImageButton later(nullptr);
    later.setImage(p);
    QCOMPARE(later.size(), expected);
    QCOMPARE(later.cursor().shape(), Qt::PointingHandCursor);
}

// The host may replace an icon after the button took it; the button keeps
// showing what it was given.
void tst_ImageButton::keepsOwnCopy()
{
    QPixmap source = solid(10, 10, 1.0, Qt::red);
    ImageButton built(nullptr, &source);
    ImageButton later(nullptr);
    later.setImage(source);
    source.fill(Qt::blue);

    QCOMPARE(paint(&built).pixel(5, 5), qRgb(255, 0, 0));
    QCOMPARE(paint(&later).pixel(5, 5), qRgb(255, 0, 0));
}

void tst_ImageButton::missingPixmap()
{
    ImageButton button(nullptr, nullptr);
    QCOMPARE(button.size(), QSize(0, 0));
    button.resize(8, 8);
    QCOMPARE(paint(&button).pixel(4, 4), qRgb(255, 255, 255));
}

void tst_ImageButton::opacity_data()
{
    QTest::addColumn<double>("opacity");
    QTest::addColumn<QRgb>("expected");   // red at that opacity over white
    QTest::newRow("opaque") << 1.0 << qRgb(255, 0, 0);
    QTest::newRow("half") << 0.5 << qRgb(255, 128, 128);
    QTest::newRow("quarter") << 0.25 << qRgb(255, 191, 191);
    QTest::newRow("invisible") << 0.0 << qRgb(255, 255, 255);
}

void tst_ImageButton::opacity()
{
    QFETCH(double, opacity);
    QFETCH(QRgb, expected);
    const QPixmap p = solid(10, 10, 1.0, Qt::red);
    ImageButton button(nullptr, &p);
    button.setOpacity(opacity);
    const QImage image = paint(&button);
    QVERIFY2(near(image.pixel(2, 7), expected), qPrintable(QString::number(image.pixel(2, 7), 16)));
    // Hovering leaves the picture as it is.
    button.setOver(true);
    QCOMPARE(paint(&button), image);
}

QTEST_MAIN(tst_ImageButton)
#include "tst_imagebutton.moc"
