// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "widgets/informbox.h"
#include "widgets/textbutton.h"

#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace {

InformBox *makeBox(QWidget *parent, const QString &message, const QString &cancelText,
                   InformBox::Callback onConfirm = {}, InformBox::Callback onCancel = {})
{
    return new InformBox(parent, message, QStringLiteral("Ok"), onConfirm, cancelText, onCancel);
}

TextButton *confirmOf(InformBox *box) { return box->findChildren<TextButton *>().value(0); }
TextButton *cancelOf(InformBox *box) { return box->findChildren<TextButton *>().value(1); }

} // namespace

class tst_InformBox : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        VellChatWBConfigure::init();
        frame.reset(new QWidget);
        frame->resize(640, 480);
    }
    void cleanup() { frame.reset(); }
    void workedExample();
    void layout_data();
    void layout();
    void singleButton();
    void callbacks_data();
    void callbacks();
    void holdEnds();
    void fieldTakesTheKeys_data();
    void fieldTakesTheKeys();
    void keyboardStaysInTheBox();
    void replacedBoxHandsBack();
    void goneFocusGoesToTheParent();
    void longMessage_data();
    void longMessage();
    void markupIsText();
    void whiteFill();
    void blackCaptions();
    void debugLineOnDestruction();

private:
    QScopedPointer<QWidget> frame;
};

void tst_InformBox::workedExample()
{
    InformBox *box = makeBox(frame.data(), QStringLiteral("Remove all?"), QStringLiteral("Cancel"));
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.data()));
    QCOMPARE(box->size(), QSize(300, 100));

    // Force the button sizes of the worked example and lay out again.
    confirmOf(box)->resize(60, 30);
    cancelOf(box)->resize(70, 30);
    box->resize(301, 100);
    box->resize(300, 100);

    // confirm: (300 - 60 - 22, 100 - 30 - 16) = (218, 54); cancel: (218 - 70, 54) = (148, 54)
    QCOMPARE(box->findChild<QLabel *>()->pos(), QPoint(20, 20));
    QCOMPARE(confirmOf(box)->pos(), QPoint(218, 54));
    QCOMPARE(cancelOf(box)->pos(), QPoint(148, 54));
}

void tst_InformBox::layout_data()
{
    // With the bundled font at 100 % the "Ok" button is 28 x 30 and "Cancel" 53 x 30
    // (checked below), so by default: confirm (300 - 28 - 22, 100 - 30 - 16) = (250, 54),
    // cancel (250 - 53, 54) = (197, 54). A line of the message is 20 px high (the
    // buttons' 30 less their 10 px of padding) and at most 300 - 20 - 22 = 258 px
    // wide; 10 px separate the last line from the buttons.
    QTest::addColumn<QSize>("frameSize");    // invalid: the box has no parent
    QTest::addColumn<QSize>("configured");   // invalid: keep the default size and margins
    QTest::addColumn<QString>("message");
    QTest::addColumn<QSize>("boxSize");
    QTest::addColumn<QPoint>("labelPos");
    QTest::addColumn<int>("labelHeight");
    QTest::addColumn<QPoint>("confirmPos");
    QTest::addColumn<QPoint>("cancelPos");
    const QString shortText = QStringLiteral("Remove all?");
    QTest::newRow("roomy frame") << QSize(640, 480) << QSize() << shortText << QSize(300, 100)
                                 << QPoint(20, 20) << 20 << QPoint(250, 54) << QPoint(197, 54);
    QTest::newRow("no parent") << QSize() << QSize() << shortText << QSize(300, 100)
                               << QPoint(20, 20) << 20 << QPoint(250, 54) << QPoint(197, 54);
    QTest::newRow("exactly fits") << QSize(300, 100) << QSize() << shortText << QSize(300, 100)
                                  << QPoint(20, 20) << 20 << QPoint(250, 54) << QPoint(197, 54);
    // 250 - 28 - 22 = 200, 200 - 53 = 147
    QTest::newRow("narrow frame") << QSize(250, 400) << QSize() << shortText << QSize(250, 100)
                                  << QPoint(20, 20) << 20 << QPoint(200, 54) << QPoint(147, 54);
    // 80 - 30 - 16 = 34
    QTest::newRow("low frame") << QSize(400, 80) << QSize() << shortText << QSize(300, 80)
                               << QPoint(20, 20) << 20 << QPoint(250, 34) << QPoint(197, 34);
    // 200 - 28 - 22 = 150, 150 - 53 = 97; 50 - 30 - 16 = 4
    QTest::newRow("small frame") << QSize(200, 50) << QSize() << shortText << QSize(200, 50)
                                 << QPoint(20, 20) << 20 << QPoint(150, 4) << QPoint(97, 4);
    // margins (5, 6, 7, 8): 400 - 28 - 7 = 365, 365 - 53 = 312; 150 - 30 - 8 = 112
    QTest::newRow("configured size and margins") << QSize(640, 480) << QSize(400, 150) << shortText << QSize(400, 150)
                                                 << QPoint(5, 6) << 20 << QPoint(365, 112) << QPoint(312, 112);
    // Two lines: 20 + 40 + 10 + 30 + 16 = 116; confirm at 116 - 30 - 16 = 70.
    QTest::newRow("two lines grow the box")
        << QSize(640, 480) << QSize() << QStringLiteral("Downloading notes.txt - see Download History")
        << QSize(300, 116) << QPoint(20, 20) << 40 << QPoint(250, 70) << QPoint(197, 70);
    // A line break of the host's own counts: three lines, 20 + 60 + 10 + 30 + 16 = 136.
    QTest::newRow("line breaks in the message")
        << QSize(640, 480) << QSize() << QStringLiteral("One\nTwo\nThree")
        << QSize(300, 136) << QPoint(20, 20) << 60 << QPoint(250, 90) << QPoint(197, 90);
    // An address has no space to break at: it breaks where the line is full.
    QTest::newRow("a word longer than a line")
        << QSize(640, 480) << QSize() << QStringLiteral("http://127.0.0.1:8080/files/quarterly-report-2024-final.pdf")
        << QSize(300, 116) << QPoint(20, 20) << 40 << QPoint(250, 70) << QPoint(197, 70);
    // Seven lines would need 20 + 140 + 10 + 30 + 16 = 216; the frame allows 150, the
    // buttons sit at 150 - 30 - 16 = 104 and the text keeps above 104 - 10 = 94: 74 px.
    QTest::newRow("taller than the frame stops at the frame")
        << QSize(640, 150) << QSize() << QStringLiteral("1\n2\n3\n4\n5\n6\n7")
        << QSize(300, 150) << QPoint(20, 20) << 74 << QPoint(250, 104) << QPoint(197, 104);
    // The configured size is the least: a larger one holds two lines as it is.
    QTest::newRow("configured size roomy enough")
        << QSize(640, 480) << QSize(300, 150) << QStringLiteral("Downloading notes.txt - see Download History")
        << QSize(300, 150) << QPoint(5, 6) << 40 << QPoint(265, 112) << QPoint(212, 112);
}

void tst_InformBox::layout()
{
    QFETCH(QSize, frameSize);
    QFETCH(QSize, configured);
    QFETCH(QString, message);
    QFETCH(QSize, boxSize);
    QFETCH(QPoint, labelPos);
    QFETCH(int, labelHeight);
    QFETCH(QPoint, confirmPos);
    QFETCH(QPoint, cancelPos);
    if (configured.isValid()) {
        VellChatWBConfigure::SetInfoBoxSize(configured);
        VellChatWBConfigure::SetInfoBoxMargins(QMargins(5, 6, 7, 8));
    }
    QScopedPointer<InformBox> parentless;
    InformBox *box = nullptr;
    if (frameSize.isValid()) {
        frame->resize(frameSize);
        box = makeBox(frame.data(), message, QStringLiteral("Cancel"));
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.data()));
    } else {
        parentless.reset(makeBox(nullptr, message, QStringLiteral("Cancel")));
        box = parentless.data();
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
    }

    QCOMPARE(confirmOf(box)->size(), QSize(28, 30));
    QCOMPARE(cancelOf(box)->size(), QSize(53, 30));
    QCOMPARE(box->size(), boxSize);
    QLabel *label = box->findChild<QLabel *>();
    QCOMPARE(label->pos(), labelPos);
    QCOMPARE(label->height(), labelHeight);
    QCOMPARE(label->text(), message);
    // within the box's margins, and never under the buttons
    QVERIFY2(label->geometry().right() < box->width() - VellChatWBConfigure::InfoBoxMargins().right(),
             qPrintable(QString::number(label->geometry().right())));
    // A box lower than 20 + 20 + 10 + 30 + 16 = 96 px cannot keep even one line clear.
    if (boxSize.height() >= 96)
        QVERIFY(label->geometry().bottom() < confirmOf(box)->y());
    QCOMPARE(confirmOf(box)->pos(), confirmPos);
    QCOMPARE(cancelOf(box)->pos(), cancelPos);
    QVERIFY(cancelOf(box)->isVisible());
}

void tst_InformBox::singleButton()
{
    InformBox *box = makeBox(frame.data(), QStringLiteral("Saved"), QString());
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.data()));
    QVERIFY(!cancelOf(box)->isVisible());
    QCOMPARE(confirmOf(box)->pos(), QPoint(250, 54));   // the bottom-right corner as with two
    QVERIFY(confirmOf(box)->isVisible());
}

void tst_InformBox::callbacks_data()
{
    // "click confirm" / "click cancel", or keys pressed one after the other
    // where the keyboard is; the box opens with it on its confirm button.
    QTest::addColumn<QString>("press");
    QTest::addColumn<bool>("single");   // a box with only the confirm button
    QTest::addColumn<bool>("confirmSet");
    QTest::addColumn<bool>("cancelSet");
    QTest::addColumn<QString>("heard");
    QTest::addColumn<bool>("held");     // a page's box, just shown: takes nothing yet
    QTest::newRow("confirm") << "click confirm" << false << true << true << "confirm" << false;
    QTest::newRow("cancel") << "click cancel" << false << true << true << "cancel" << false;
    QTest::newRow("confirm without callback") << "click confirm" << false << false << true << "" << false;
    QTest::newRow("cancel without callback") << "click cancel" << false << true << false << "" << false;
    QTest::newRow("Return confirms") << "Return" << false << true << true << "confirm" << false;
    QTest::newRow("keypad Enter confirms") << "Enter" << false << true << true << "confirm" << false;
    QTest::newRow("Space presses the focused button") << "Space" << false << true << true << "confirm" << false;
    QTest::newRow("Escape cancels") << "Escape" << false << true << true << "cancel" << false;
    QTest::newRow("Escape without a cancel callback") << "Escape" << false << true << false << "" << false;
    QTest::newRow("Escape closes a one-button box") << "Escape" << true << true << false << "confirm" << false;
    QTest::newRow("Tab, then Return presses cancel") << "Tab Return" << false << true << true << "cancel" << false;
    QTest::newRow("Tab goes round the two buttons") << "Tab Tab Space" << false << true << true << "confirm" << false;
    QTest::newRow("Shift+Tab goes round too") << "Backtab Space" << false << true << true << "cancel" << false;
    QTest::newRow("Tab stays on a lone button") << "Tab Return" << true << true << false << "confirm" << false;
    QTest::newRow("other keys do nothing") << "A Down F5 Delete" << false << true << true << "" << false;
    QTest::newRow("held: a click") << "click confirm" << false << true << true << "" << true;
    QTest::newRow("held: Return") << "Return" << false << true << true << "" << true;
    QTest::newRow("held: Space") << "Space" << false << true << true << "" << true;
    QTest::newRow("held: Escape") << "Escape" << false << true << true << "" << true;
    QTest::newRow("held: Tab, then Return") << "Tab Return" << false << true << true << "" << true;
}

void tst_InformBox::callbacks()
{
    QFETCH(QString, press);
    QFETCH(bool, single);
    QFETCH(bool, confirmSet);
    QFETCH(bool, cancelSet);
    QFETCH(QString, heard);
    QFETCH(bool, held);
    QStringList log;
    QWidget *seen = nullptr;
    auto record = [&](const QString &name) {
        return [&log, &seen, name](QWidget *box) { log << name; seen = box; };
    };
    InformBox *box = makeBox(frame.data(), QStringLiteral("Delete?"), single ? QString() : QStringLiteral("Cancel"),
                             confirmSet ? InformBox::Callback(record("confirm")) : InformBox::Callback(),
                             cancelSet ? InformBox::Callback(record("cancel")) : InformBox::Callback());
    QPointer<InformBox> alive(box);
    QSignalSpy closed(box, &InformBox::closed);
    if (held)
        box->holdInput(600000);   // far longer than the test
    frame->show();
    QVERIFY(QTest::qWaitForWindowActive(frame.data()));

    if (press.startsWith("click")) {
        TextButton *pressed = press == "click confirm" ? confirmOf(box) : cancelOf(box);
        QTest::mouseClick(pressed, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    } else {
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(confirmOf(box)));
        const QMetaEnum keys = QMetaEnum::fromType<Qt::Key>();
        for (const QString &name : press.split(' '))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(keys.keyToValue(qPrintable("Key_" + name))));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(log.join(' '), heard);
    if (!heard.isEmpty())
        QCOMPARE(seen, static_cast<QWidget *>(box));
    // Closing is the owner's business: the box neither hides, dies nor says "closed".
    QVERIFY(alive);
    QVERIFY(box->isVisible());
    QCOMPARE(closed.count(), 0);
}

// While a box is shown nothing else in its window gets a key: not what had
// the keyboard before (the page, say), not what tries to take it back.
// Once its moment is over, a page's box answers as any other.
void tst_InformBox::holdEnds()
{
    QStringList log;
    InformBox *box = makeBox(frame.data(), QStringLiteral("Open?"), QStringLiteral("Cancel"),
                             [&log](QWidget *) { log << "confirm"; }, [&log](QWidget *) { log << "cancel"; });
    box->holdInput(50);
    frame->show();
    QVERIFY(QTest::qWaitForWindowActive(frame.data()));
    const bool answered = QTest::qWaitFor([&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        return !log.isEmpty();
    }, 20000);
    QVERIFY(answered);
    QCOMPARE(log, QStringList{"confirm"});
}

// A box with a line to type into (a page's prompt()): the line has the
// keyboard, Tab goes round it and the buttons, Enter in it confirms with
// what was typed, Escape cancels; held, it takes no typing either.
void tst_InformBox::fieldTakesTheKeys_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Qt::Key>("last");
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("heard");
    QTest::newRow("typing replaces the text, Enter") << "xy" << Qt::Key_Return << false << "confirm xy";
    QTest::newRow("nothing typed, Enter keeps the text") << "" << Qt::Key_Enter << false << "confirm ab";
    QTest::newRow("Escape") << "xy" << Qt::Key_Escape << false << "cancel";
    QTest::newRow("held: neither typing nor Enter") << "xy" << Qt::Key_Return << true << "";
}

void tst_InformBox::fieldTakesTheKeys()
{
    QFETCH(QString, typed);
    QFETCH(Qt::Key, last);
    QFETCH(bool, held);
    QFETCH(QString, heard);
    QStringList log;
    InformBox *box = nullptr;
    box = makeBox(frame.data(), QStringLiteral("Name?"), QStringLiteral("Cancel"),
                  [&](QWidget *) { log << "confirm " + box->fieldText(); }, [&](QWidget *) { log << "cancel"; });
    const int plainHeight = box->height();
    box->addField(QStringLiteral("ab"));
    QVERIFY(box->height() > plainHeight);
    if (held)
        box->holdInput(600000);
    frame->show();
    box->show();
    QVERIFY(QTest::qWaitForWindowActive(frame.data()));
    auto *field = box->findChild<QLineEdit *>();
    QVERIFY(field);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(field));
    // the message, the line and the buttons do not overlap
    QVERIFY(field->geometry().bottom() < confirmOf(box)->geometry().top());
    QVERIFY(box->findChild<QLabel *>()->geometry().bottom() < field->geometry().top());
    if (!held) {
        QTest::keyClick(field, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(cancelOf(box)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(field));
    }
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, last);
    QCOMPARE(log.join(' '), heard);
    QCOMPARE(field->text(), held || typed.isEmpty() ? QStringLiteral("ab") : typed);
}

void tst_InformBox::keyboardStaysInTheBox()
{
    auto *behind = new QLineEdit(frame.data());
    frame->show();
    QVERIFY(QTest::qWaitForWindowActive(frame.data()));
    behind->setFocus();
    QStringList log;
    InformBox *box = makeBox(frame.data(), QStringLiteral("Downloading..."), QString(),
                             [&log](QWidget *) { log << "confirm"; });
    box->show();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(confirmOf(box)));

    // keys that still reach the field get no further
    QTest::keyClicks(behind, "ab");
    QTest::keyClick(behind, Qt::Key_Return);
    QCOMPARE(behind->text(), QString());
    QCOMPARE(log, QStringList());

    // the field grabbing the focus: its keys go to the box until the box
    // has taken the focus back
    behind->setFocus();
    QTest::keyClicks(behind, "ab");
    QTest::keyClick(behind, Qt::Key_Return);
    QCOMPARE(behind->text(), QString());
    QCOMPARE(log, QStringList{"confirm"});
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(confirmOf(box)));

    // once the box is gone, the field has the keyboard again
    box->hide();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(behind));
    QTest::keyClicks(behind, "c");
    QCOMPARE(behind->text(), QStringLiteral("c"));
    QCOMPARE(log, QStringList{"confirm"});
}

// A box that replaces another still on screen hands the keyboard back to
// where it was before the first one opened.
void tst_InformBox::replacedBoxHandsBack()
{
    auto *behind = new QLineEdit(frame.data());
    frame->show();
    QVERIFY(QTest::qWaitForWindowActive(frame.data()));
    behind->setFocus();
    InformBox *first = makeBox(frame.data(), QStringLiteral("Saved"), QString());
    first->show();
    InformBox *second = makeBox(frame.data(), QStringLiteral("Delete?"), QStringLiteral("Cancel"));
    second->show();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(confirmOf(second)));
    // the first one, still shown until it is deleted, does not pull the keyboard back
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(confirmOf(second)));
    delete first;
    second->hide();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(behind));
}

// What had the keyboard went away while the box was open: the box's parent
// takes it, not a button of the box on its way out.
void tst_InformBox::goneFocusGoesToTheParent()
{
    auto *behind = new QLineEdit(frame.data());
    frame->show();
    QVERIFY(QTest::qWaitForWindowActive(frame.data()));
    behind->setFocus();
    InformBox *box = makeBox(frame.data(), QStringLiteral("Saved"), QString());
    box->show();
    delete behind;
    box->hide();
    QCOMPARE(QApplication::focusWidget(), frame.data());
}

void tst_InformBox::longMessage_data()
{
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("inkedLines");   // 20 px bands from the label's top that hold text
    QTest::newRow("sentence") << QSize(640, 480)
                              << QStringLiteral("This message is much longer than the box that is meant to hold it") << 2;
    // a W is 13 px wide here: 19 to a 258 px line, 90 of them on five lines
    QTest::newRow("one long word") << QSize(640, 480) << QString(90, QLatin1Char('W')) << 5;
    // 150 px high: room for three lines and a half; three are drawn, the third ending in an ellipsis
    QTest::newRow("more than the frame holds") << QSize(640, 150)
                                               << QStringLiteral("Line one\nLine two\nLine three\nLine four\nLine five") << 3;
    // A runaway message of one word: the box takes the whole 480 px frame, the
    // text 480 - 16 - 30 - 10 - 20 = 404 px of it, 20 lines; what follows is
    // never laid out, so this costs what the 20 lines cost.
    QTest::newRow("a word of 100000 characters") << QSize(640, 480) << QString(100000, QLatin1Char('W')) << 20;
}

// Whatever the message, its ink stays inside the label, the label inside the
// margins and above the buttons.
void tst_InformBox::longMessage()
{
    QFETCH(QSize, frameSize);
    QFETCH(QString, message);
    QFETCH(int, inkedLines);
    frame->resize(frameSize);
    InformBox *box = makeBox(frame.data(), message, QString());
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.data()));
    QLabel *label = box->findChild<QLabel *>();
    QImage image(box->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    box->render(&image);
    const QRect text = label->geometry();
    const QRect button = confirmOf(box)->geometry();
    QVector<bool> inked(text.height() / 20 + 1);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == QColor(Qt::white) || button.contains(x, y))
                continue;
            QVERIFY2(text.contains(x, y), qPrintable(QStringLiteral("ink at (%1, %2) outside %3,%4 %5x%6")
                                                        .arg(x).arg(y).arg(text.x()).arg(text.y()).arg(text.width()).arg(text.height())));
            inked[(y - text.y()) / 20] = true;
        }
    }
    QCOMPARE(inked.count(true), inkedLines);
}

void tst_InformBox::markupIsText()
{
    // Messages name downloaded files; "<b>" in a name is part of the name.
    InformBox *tagged = makeBox(frame.data(), QStringLiteral("<b>Remove</b>"), QString());
    InformBox *bare = makeBox(frame.data(), QStringLiteral("Remove"), QString());
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.data()));
    const int taggedWidth = tagged->findChild<QLabel *>()->width();
    const int bareWidth = bare->findChild<QLabel *>()->width();
    // The seven tag characters take far more than 30 pixels at 14 px; bold type far less.
    QVERIFY2(taggedWidth > bareWidth + 30, qPrintable(QStringLiteral("%1 vs %2").arg(taggedWidth).arg(bareWidth)));
}

void tst_InformBox::whiteFill()
{
    InformBox *box = makeBox(frame.data(), QStringLiteral("Remove all?"), QStringLiteral("Cancel"));
    QImage image(box->size(), QImage::Format_ARGB32);
    image.fill(Qt::red);
    box->render(&image);
    // corners and the margin strip above the label, away from any text
    for (const QPoint &p : {QPoint(0, 0), QPoint(299, 0), QPoint(0, 99), QPoint(299, 99), QPoint(150, 10)})
        QCOMPARE(image.pixelColor(p), QColor(Qt::white));
}

// Both captions are black on the white box: only grey ink, and some of it dark.
void tst_InformBox::blackCaptions()
{
    InformBox *box = makeBox(frame.data(), QStringLiteral("Remove all?"), QStringLiteral("Cancel"));
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.data()));
    QImage image(box->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    box->render(&image);
    // "Ok" covers (250, 54, 28 x 30), "Cancel" (197, 54, 53 x 30): together x 197..277.
    int dark = 0;
    for (int y = 54; y < 84; ++y) {
        for (int x = 197; x < 278; ++x) {
            const QColor c = image.pixelColor(x, y);
            QVERIFY2(qAbs(c.red() - c.green()) < 8 && qAbs(c.red() - c.blue()) < 8,
                     qPrintable(QStringLiteral("(%1, %2) is %3").arg(x).arg(y).arg(c.name())));
            dark += c.red() < 100 ? 1 : 0;
        }
    }
    QVERIFY(dark > 0);
}

void tst_InformBox::debugLineOnDestruction()
{
    InformBox *box = makeBox(frame.data(), QStringLiteral("Bye"), QString());
    QPointer<InformBox> alive(box);
    QTest::ignoreMessage(QtDebugMsg, "~InformBox");
    box->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!alive);
}

QTEST_MAIN(tst_InformBox)
#include "tst_informbox.moc"
