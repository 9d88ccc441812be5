// SPDX-License-Identifier: Apache-2.0
#include "window/windowplacement.h"

#include <QtTest>

using Screens = QList<QRect>;
Q_DECLARE_METATYPE(Screens)

// Where a stored rectangle (frame corner, client size) lands on the screens
// there are now; screens are their available areas.
class tst_WindowPlacement : public QObject
{
    Q_OBJECT
private slots:
    void reachable_data();
    void reachable();
};

void tst_WindowPlacement::reachable_data()
{
    QTest::addColumn<Screens>("screens");
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("placed");
    const QRect one(0, 0, 1280, 1024);
    const Screens single{one};
    const Screens sideBySide{one, QRect(1280, 0, 1920, 1080)};
    // a second screen above the first, and a panel of 30 along the first's top
    const Screens stacked{QRect(0, 30, 1280, 994), QRect(0, -1080, 1920, 1080)};

    QTest::newRow("inside stays") << single << QRect(100, 80, 700, 500) << QRect(100, 80, 700, 500);
    QTest::newRow("title bar above the top") << single << QRect(-1, -20, 700, 500) << QRect(-1, 0, 700, 500);
    QTest::newRow("hanging off the right keeps a grip") << single << QRect(1250, 80, 700, 500) << QRect(1180, 80, 700, 500);
    QTest::newRow("hanging off the left keeps a grip") << single << QRect(-650, 80, 700, 500) << QRect(-600, 80, 700, 500);
    QTest::newRow("partly off the right stays") << single << QRect(1000, 80, 700, 500) << QRect(1000, 80, 700, 500);
    QTest::newRow("near the bottom keeps a grip") << single << QRect(100, 1000, 700, 500) << QRect(100, 924, 700, 500);
    QTest::newRow("off every screen: inside the nearest") << single << QRect(3000, 2000, 700, 500) << QRect(580, 524, 700, 500);
    QTest::newRow("larger than the screen") << single << QRect(-50, -50, 2000, 1500) << QRect(-50, 0, 1280, 1024);
    QTest::newRow("on the second screen stays") << sideBySide << QRect(1400, 100, 700, 500) << QRect(1400, 100, 700, 500);
    QTest::newRow("across both, mostly the second") << sideBySide << QRect(1200, 100, 700, 500) << QRect(1200, 100, 700, 500);
    QTest::newRow("right of the second: inside it") << sideBySide << QRect(4000, 100, 700, 500) << QRect(2500, 100, 700, 500);
    QTest::newRow("below the second: inside it") << sideBySide << QRect(2000, 1500, 700, 500) << QRect(2000, 580, 700, 500);
    QTest::newRow("under the panel") << stacked << QRect(100, 10, 700, 500) << QRect(100, 30, 700, 500);
    QTest::newRow("on the screen above stays") << stacked << QRect(100, -900, 700, 500) << QRect(100, -900, 700, 500);
    QTest::newRow("no screens: as stored") << Screens() << QRect(-5000, 0, 700, 500) << QRect(-5000, 0, 700, 500);
}

void tst_WindowPlacement::reachable()
{
    QFETCH(Screens, screens);
    QFETCH(QRect, stored);
    QTEST(WindowPlacement::reachable(stored, screens), "placed");
}

QTEST_MAIN(tst_WindowPlacement)
#include "tst_windowplacement.moc"
