// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "widgets/keyboardtrap.h"
#include "widgets/textbutton.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QtTest>

Q_DECLARE_METATYPE(VellChatWBConfigure::DBIScale)

namespace {

QImage paint(QWidget *w)
{
    QImage image(w->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    // No window background: only what the button itself paints shows up.
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool isWhite(QRgb c) { return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255; }
bool isReddish(QRgb c) { return qRed(c) - qGreen(c) > 100 && qRed(c) - qBlue(c) > 100; }
bool isDarkGrey(QRgb c)
{
    return qRed(c) < 128 && qAbs(qRed(c) - qGreen(c)) < 8 && qAbs(qRed(c) - qBlue(c)) < 8;
}

int countPixels(const QImage &image, bool (*pred)(QRgb))
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += pred(image.pixel(x, y)) ? 1 : 0;
    return n;
}

int firstInkRow(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isWhite(image.pixel(x, y)))
                return y;
    return -1;
}

} // namespace

class tst_TextButton : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        VellChatWBConfigure::init();
        VellChatWBConfigure::SetScreenScale(VellChatWBConfigure::dbisOne);
        VellChatWBConfigure::SetRealScale(VellChatWBConfigure::dbisAuto);
        font = QFont(QStringLiteral("Open Sans"));
        font.setPixelSize(14);
    }
    void sizeFollowsScale_data();
    void sizeFollowsScale();
    void hoverFontKeepsSize();
    void pointingHandCursor();
    void hoverSinksCaption();
    void hoverColour();
    void stateChangeRepaints();
    void captionCentring_data();
    void captionCentring();
    void newCaption();
    void focusRing_data();
    void focusRing();
private:
    QFont font;
};

void tst_TextButton::sizeFollowsScale_data()
{
    QTest::addColumn<VellChatWBConfigure::DBIScale>("screenScale");
    QTest::addColumn<VellChatWBConfigure::DBIScale>("realScale");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("height");   // 14 px Open Sans is 20 px high, with either toolkit
    QTest::newRow("100 %") << VellChatWBConfigure::dbisOne << VellChatWBConfigure::dbisAuto << 10 << 30;
    QTest::newRow("125 %") << VellChatWBConfigure::dbisOneAndQuarter << VellChatWBConfigure::dbisAuto << 12 << 32;
    QTest::newRow("150 %") << VellChatWBConfigure::dbisOneAndHalf << VellChatWBConfigure::dbisAuto << 15 << 35;
    QTest::newRow("200 %") << VellChatWBConfigure::dbisTwo << VellChatWBConfigure::dbisAuto << 20 << 40;
    // A high-density screen pins the real scale to 1 whatever the screen says.
    QTest::newRow("real scale wins") << VellChatWBConfigure::dbisTwo << VellChatWBConfigure::dbisOne << 10 << 30;
}

void tst_TextButton::sizeFollowsScale()
{
    QFETCH(VellChatWBConfigure::DBIScale, screenScale);
    QFETCH(VellChatWBConfigure::DBIScale, realScale);
    QFETCH(int, margin);
    QFETCH(int, height);
    VellChatWBConfigure::SetScreenScale(screenScale);
    VellChatWBConfigure::SetRealScale(realScale);

    TextButton button(nullptr, QStringLiteral("Refresh"), font, Qt::black);
    const QFontMetrics fm(font);
    QCOMPARE(button.size(), QSize(fm.horizontalAdvance(QStringLiteral("Refresh")) + margin, height));
}

void tst_TextButton::hoverFontKeepsSize()
{
    TextButton button(nullptr, QStringLiteral("Share"), font, Qt::black);
    const QSize before = button.size();
    QFont big = font;
    big.setPixelSize(30);
    button.setHoverFont(big);
    button.setOver(true);
    QCOMPARE(button.size(), before);
}

void tst_TextButton::pointingHandCursor()
{
    TextButton button(nullptr, QStringLiteral("Share"), font, Qt::black);
    QCOMPARE(button.cursor().shape(), Qt::PointingHandCursor);
}

// With the hover look left as the normal one, the only hover feedback is the
// caption one pixel lower: the hovered picture is the normal one shifted down.
void tst_TextButton::hoverSinksCaption()
{
    TextButton button(nullptr, QStringLiteral("Collect"), font, Qt::black);
    const QImage normal = paint(&button);
    button.setOver(true);
    const QImage hovered = paint(&button);

    const int w = button.width();
    const int h = button.height();
    QVERIFY(normal != hovered);
    QCOMPARE(hovered.copy(0, 1, w, h - 1), normal.copy(0, 0, w, h - 1));
    QCOMPARE(firstInkRow(hovered), firstInkRow(normal) + 1);
    // The caption box starts at (30 - 20) / 2 = 5 in a 20-pixel-high font:
    // nothing above it is painted, and no background either.
    QVERIFY(firstInkRow(normal) >= 5);
    QVERIFY(isWhite(normal.pixel(0, 0)));
    QVERIFY(isWhite(hovered.pixel(w - 1, h - 1)));

    // Pressed and disabled do not change the look.
    button.setDisabled(true);
    QCOMPARE(paint(&button), hovered);
}

void tst_TextButton::hoverColour()
{
    TextButton button(nullptr, QStringLiteral("Channel"), font, Qt::black);
    button.setHoverColor(Qt::red);
    const QImage normal = paint(&button);
    QVERIFY(countPixels(normal, isDarkGrey) > 0);
    QCOMPARE(countPixels(normal, isReddish), 0);

    button.setOver(true);
    const QImage hovered = paint(&button);
    QVERIFY(countPixels(hovered, isReddish) > 0);
    QCOMPARE(countPixels(hovered, isDarkGrey), 0);

    button.setOver(false);
    QCOMPARE(paint(&button), normal);
}

// A shown button must repaint by itself when its state changes.
void tst_TextButton::stateChangeRepaints()
{
    QWidget window;
    window.resize(200, 100);
    TextButton *button = new TextButton(&window, QStringLiteral("Back"), font, Qt::black);
    // away from the corner, where the pointer of a screen without one rests
    button->move(100, 50);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!(button->getState() & Button::StateOver));

    class PaintCounter : public QObject
    {
    public:
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    QApplication::processEvents();
    button->installEventFilter(&counter);
    button->setOver(true);
    QTRY_VERIFY(counter.paints > 0);
}

void tst_TextButton::captionCentring_data()
{
    // At 100 % the caption has 10 spare pixels each way and starts 5 in. The halving
    // truncates: one extra pixel changes nothing (11 / 2 = 5), two move it by one (12 / 2 = 6).
    QTest::addColumn<QSize>("extra");
    QTest::addColumn<QPoint>("shift");
    QTest::newRow("one wider") << QSize(1, 0) << QPoint(0, 0);
    QTest::newRow("two wider") << QSize(2, 0) << QPoint(1, 0);
    QTest::newRow("one higher") << QSize(0, 1) << QPoint(0, 0);
    QTest::newRow("three higher") << QSize(0, 3) << QPoint(0, 1);
    QTest::newRow("five wider, four higher") << QSize(5, 4) << QPoint(2, 2);
}

void tst_TextButton::captionCentring()
{
    QFETCH(QSize, extra);
    QFETCH(QPoint, shift);
    TextButton reference(nullptr, QStringLiteral("Refresh"), font, Qt::black);
    TextButton button(nullptr, QStringLiteral("Refresh"), font, Qt::black);
    button.resize(button.size() + extra);
    const QImage before = paint(&reference);
    const QImage after = paint(&button);
    // Row y, column x of the reference is row y + shift.y, column x + shift.x now.
    const int w = reference.width() - shift.x();
    const int h = reference.height() - shift.y();
    QCOMPARE(after.copy(shift.x(), shift.y(), w, h), before.copy(0, 0, w, h));
    QCOMPARE(firstInkRow(after), firstInkRow(before) + shift.y());
}

// A caption the host changes later looks exactly like one given at the start.
void tst_TextButton::newCaption()
{
    TextButton button(nullptr, QStringLiteral("Refresh"), font, Qt::black);
    TextButton fresh(nullptr, QStringLiteral("Reload the page"), font, Qt::black);
    button.setText(QStringLiteral("Reload the page"));
    QCOMPARE(button.caption(), QStringLiteral("Reload the page"));
    QCOMPARE(button.size(), fresh.size());
    QCOMPARE(paint(&button), paint(&fresh));
}

void tst_TextButton::focusRing_data()
{
    QTest::addColumn<QString>("how");   // how the keyboard came to the button
    QTest::addColumn<bool>("ring");
    QTest::newRow("no focus") << "" << false;
    QTest::newRow("by Tab") << "tab" << true;
    QTest::newRow("by Shift+Tab") << "backtab" << true;
    QTest::newRow("given by an opening box") << "given" << false;
    QTest::newRow("given, then a key") << "given key" << true;
    QTest::newRow("by Tab, then moved on") << "tab away" << false;
    QTest::newRow("given by a box opened with a key") << "keybox" << true;
    QTest::newRow("given by a box opened with a click") << "clickbox" << false;
}

// The ring is the caption's colour along the edge; without keyboard use the
// button looks exactly as at rest.
void tst_TextButton::focusRing()
{
    QFETCH(QString, how);
    QFETCH(bool, ring);
    QWidget window;
    window.resize(300, 100);
    TextButton *button = new TextButton(&window, QStringLiteral("Refresh"), font, Qt::black);
    TextButton *other = new TextButton(&window, QStringLiteral("Share"), font, Qt::black);
    other->move(150, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus(Qt::OtherFocusReason);
    const QImage rest = paint(button);

    for (const QString &step : how.split(' ', Qt::SkipEmptyParts)) {
        if (step == "tab")
            button->setFocus(Qt::TabFocusReason);
        else if (step == "backtab")
            button->setFocus(Qt::BacktabFocusReason);
        else if (step == "given")
            button->setFocus(Qt::OtherFocusReason);
        else if (step == "key")
            QTest::keyClick(button, Qt::Key_Down);
        else if (step == "away")
            other->setFocus(Qt::TabFocusReason);
        else if (step.endsWith("box")) {
            // the button stands for a box that takes the keyboard when it shows
            button->hide();
            new KeyboardTrap(button);
            if (step == "keybox")
                QTest::keyClick(other, Qt::Key_Delete);
            else
                QTest::mouseClick(other, Qt::LeftButton);
            button->show();
        }
    }
    const QImage now = paint(button);
    if (!ring) {
        QCOMPARE(now, rest);
        return;
    }
    const int w = button->width();
    const int h = button->height();
    QCOMPARE(now.pixel(w / 2, 0), qRgb(0, 0, 0));
    QCOMPARE(now.pixel(w / 2, h - 1), qRgb(0, 0, 0));
    QCOMPARE(now.pixel(0, h / 2), qRgb(0, 0, 0));
    QCOMPARE(now.pixel(w - 1, h / 2), qRgb(0, 0, 0));
    QCOMPARE(rest.pixel(w / 2, 0), qRgb(255, 255, 255));
}

QTEST_MAIN(tst_TextButton)
#include "tst_textbutton.moc"
