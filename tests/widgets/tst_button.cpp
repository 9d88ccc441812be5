// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "widgets/button.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtTest>

namespace {

// The button under test is 40 x 20: (40, 10) is just past its right edge and
// (39.4, 19.4) rounds onto its last pixel.
const QPointF inside(10, 10);
const QPointF outside(40, 10);
const QPointF lastPixel(39.4, 19.4);

void sendMouse(Button *b, QEvent::Type type, const QPointF &pos, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent e(type, pos, pos, b->mapToGlobal(pos.toPoint()), button, held, Qt::NoModifier);
    QApplication::sendEvent(b, &e);
}

void sendKey(Button *b, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false)
{
    QKeyEvent e(QEvent::KeyPress, key, modifiers, QString(), repeat);
    QApplication::sendEvent(b, &e);
}

void sendPlain(Button *b, QEvent::Type type)
{
    QEvent e(type);
    QApplication::sendEvent(b, &e);
}

// One step of a script: a pointer event as the window system would deliver it
// to the button, or a setter call.
void step(Button *b, const QString &op)
{
    if (op == "enter")
        sendPlain(b, QEvent::Enter);
    else if (op == "leave")
        sendPlain(b, QEvent::Leave);
    else if (op == "pressL")
        sendMouse(b, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    else if (op == "pressR")
        sendMouse(b, QEvent::MouseButtonPress, inside, Qt::RightButton, Qt::RightButton);
    else if (op == "pressRwithL")
        sendMouse(b, QEvent::MouseButtonPress, inside, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    else if (op == "dclick")
        sendMouse(b, QEvent::MouseButtonDblClick, inside, Qt::LeftButton, Qt::LeftButton);
    else if (op == "release")
        sendMouse(b, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    else if (op == "releaseOut")
        sendMouse(b, QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton);
    else if (op == "dragOut")
        sendMouse(b, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    else if (op == "dragIn")
        sendMouse(b, QEvent::MouseMove, lastPixel, Qt::NoButton, Qt::LeftButton);
    else if (op == "hoverOut")
        sendMouse(b, QEvent::MouseMove, outside, Qt::NoButton, Qt::NoButton);
    else if (op == "space")
        sendKey(b, Qt::Key_Space);
    else if (op == "spaceHeld")
        sendKey(b, Qt::Key_Space, Qt::NoModifier, true);
    else if (op == "return")
        sendKey(b, Qt::Key_Return);
    else if (op == "keypadEnter")
        sendKey(b, Qt::Key_Enter, Qt::KeypadModifier);
    else if (op == "ctrlReturn")
        sendKey(b, Qt::Key_Return, Qt::ControlModifier);
    else if (op == "escape")
        sendKey(b, Qt::Key_Escape);
    else if (op == "letter")
        sendKey(b, Qt::Key_A);
    else if (op == "over+")
        b->setOver(true);
    else if (op == "over-")
        b->setOver(false);
    else if (op == "disable+")
        b->setDisabled(true);
    else if (op == "disable-")
        b->setDisabled(false);
    else if (op == "clear")
        b->clearState();
    else
        QFAIL(qPrintable("unknown step " + op));
}

} // namespace

class tst_Button : public QObject
{
    Q_OBJECT
private slots:
    void init() { VellChatWBConfigure::init(); }
    void stateMachine_data();
    void stateMachine();
    void signalOrder();
    void realPointer();
};

void tst_Button::stateMachine_data()
{
    QTest::addColumn<bool>("acceptBoth");
    QTest::addColumn<QString>("script");
    // "sN": stateChanged with oldState N, "c": clicked(), in emission order
    QTest::addColumn<QString>("log");
    QTest::addColumn<int>("finalState");
    QTest::addColumn<bool>("tracking");

    QTest::newRow("click then leave") << false << "enter pressL release leave"
                                      << "s0 s1 s3 c s1" << 0 << false;
    QTest::newRow("right press ignored") << false << "enter pressR release"
                                         << "s0" << 1 << true;
    QTest::newRow("right press with acceptBoth") << true << "enter pressR release"
                                                 << "s0 s1 s3 c" << 1 << true;
    QTest::newRow("right press while left held") << false << "enter pressRwithL release"
                                                 << "s0 s1 s3 c" << 1 << true;
    QTest::newRow("second press") << false << "enter pressL pressL release"
                                  << "s0 s1 s3 c" << 1 << true;
    QTest::newRow("release without press") << false << "enter release" << "s0" << 1 << true;
    QTest::newRow("drag out, release outside") << false << "enter pressL dragOut leave releaseOut"
                                               << "s0 s1 s3 s2" << 0 << false;
    QTest::newRow("drag out and back in") << false << "enter pressL dragOut leave dragIn release"
                                          << "s0 s1 s3 s2 s3 c" << 1 << true;
    QTest::newRow("press without enter") << false << "pressL release" << "s0 s1 s3 c" << 1 << true;
    QTest::newRow("disabled still clicks") << false << "disable+ enter pressL release"
                                           << "s0 s4 s5 s7 c" << 5 << true;
    QTest::newRow("double click") << false << "enter pressL release dclick release"
                                  << "s0 s1 s3 c s1 s3 c" << 1 << true;
    QTest::newRow("hover moves out") << false << "enter hoverOut" << "s0 s1" << 0 << true;
    QTest::newRow("setOver twice") << false << "over+ over+" << "s0" << 1 << false;
    QTest::newRow("clear on zero") << false << "clear" << "s0" << 0 << false;
    QTest::newRow("clear from over and disabled") << false << "over+ disable+ clear"
                                                  << "s0 s1 s5" << 0 << false;
    QTest::newRow("unset flags already clear") << false << "over- disable-" << "" << 0 << false;
    QTest::newRow("disable twice, enable") << false << "disable+ disable+ disable-"
                                           << "s0 s4" << 0 << false;
    // Keys press the way a click does, without touching the pointer's state.
    QTest::newRow("space") << false << "space" << "c" << 0 << false;
    QTest::newRow("return") << false << "return" << "c" << 0 << false;
    QTest::newRow("keypad enter") << false << "keypadEnter" << "c" << 0 << false;
    QTest::newRow("space held down") << false << "space spaceHeld spaceHeld" << "c" << 0 << false;
    QTest::newRow("space while hovered") << false << "enter space" << "s0 c" << 1 << true;
    QTest::newRow("ctrl+return") << false << "ctrlReturn" << "" << 0 << false;
    QTest::newRow("other keys") << false << "escape letter" << "" << 0 << false;
    QTest::newRow("disabled still presses") << false << "disable+ space" << "s0 c" << 4 << false;
}

void tst_Button::stateMachine()
{
    QFETCH(bool, acceptBoth);
    QFETCH(QString, script);
    QFETCH(QString, log);
    QFETCH(int, finalState);
    QFETCH(bool, tracking);

    Button button(nullptr);
    button.resize(40, 20);
    button.setAcceptBoth(acceptBoth);
    QStringList seen;
    connect(&button, &Button::stateChanged, this,
            [&seen](int old) { seen << QStringLiteral("s%1").arg(old); });
    connect(&button, &Button::clicked, this, [&seen] { seen << QStringLiteral("c"); });

    for (const QString &op : script.split(' ', Qt::SkipEmptyParts))
        step(&button, op);

    QCOMPARE(seen.join(' '), log);
    QCOMPARE(button.getState(), finalState);
    QCOMPARE(button.hasMouseTracking(), tracking);
}

// Owners read the new state inside stateChanged; it must already be in place.
void tst_Button::signalOrder()
{
    Button button(nullptr);
    button.resize(40, 20);
    QList<int> statesSeen;
    connect(&button, &Button::stateChanged, this,
            [&button, &statesSeen](int) { statesSeen << button.getState(); });
    int stateAtClick = -1;
    connect(&button, &Button::clicked, this,
            [&button, &stateAtClick] { stateAtClick = button.getState(); });

    step(&button, "pressL");
    step(&button, "release");
    QCOMPARE(statesSeen, QList<int>({1, 3, 1}));
    QCOMPARE(stateAtClick, 1);
}

// The same machine fed by the window system, enter and leave included.
void tst_Button::realPointer()
{
    QWidget window;
    window.resize(200, 100);
    Button *button = new Button(&window);
    button->setGeometry(10, 10, 40, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int clicks = 0;
    connect(button, &Button::clicked, this, [&clicks] { ++clicks; });

    QTest::mouseMove(&window, QPoint(150, 80));
    QTest::mouseMove(button, QPoint(20, 10));
    QTRY_COMPARE(button->getState(), int(Button::StateOver));
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(clicks, 1);
    QCOMPARE(button->getState(), int(Button::StateOver));
    QTest::mouseMove(&window, QPoint(150, 80));
    QTRY_COMPARE(button->getState(), 0);
    QVERIFY(!button->hasMouseTracking());
    QCOMPARE(clicks, 1);
}

QTEST_MAIN(tst_Button)
#include "tst_button.moc"
