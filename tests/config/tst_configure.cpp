// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"

#include <QtTest>

using Store = VellChatWBConfigure;
Q_DECLARE_METATYPE(QMargins)

class tst_Configure : public QObject
{
    Q_OBJECT
private slots:
    void init() { Store::init(); }
    void dpiScaled_data();
    void dpiScaled();
    void screenMeasure_data();
    void screenMeasure();
    void defaultsPerScale_data();
    void defaultsPerScale();
    void fixedDefaults();
};

void tst_Configure::dpiScaled_data()
{
    QTest::addColumn<int>("screenScale");
    QTest::addColumn<int>("realScale");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("expected");
    QTest::newRow("100 %") << 1 << 0 << 10 << 10;
    QTest::newRow("125 %, 10") << 2 << 0 << 10 << 12;     // 12.49
    QTest::newRow("125 %, 14") << 2 << 0 << 14 << 17;     // 17.49
    QTest::newRow("125 %, 850") << 2 << 0 << 850 << 1062; // 1062.49
    QTest::newRow("125 %, 4") << 2 << 0 << 4 << 5;        // 4.99
    QTest::newRow("150 %, 10") << 3 << 0 << 10 << 15;     // 14.99
    QTest::newRow("150 %, 48") << 3 << 0 << 48 << 72;     // 71.99
    QTest::newRow("150 %, 5") << 3 << 0 << 5 << 7;        // 7.49
    QTest::newRow("200 %") << 4 << 0 << 10 << 20;
    QTest::newRow("real scale wins") << 4 << 1 << 520 << 520;
    QTest::newRow("real scale 150 %") << 1 << 3 << 10 << 15;
    QTest::newRow("unknown scale") << 7 << 0 << 10 << 10;
}

void tst_Configure::dpiScaled()
{
    QFETCH(int, screenScale);
    QFETCH(int, realScale);
    QFETCH(int, n);
    Store::SetScreenScale(Store::DBIScale(screenScale));
    Store::SetRealScale(Store::DBIScale(realScale));
    QTEST(::dpiScaled(n), "expected");
}

void tst_Configure::screenMeasure_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("screenScale");
    QTest::addColumn<int>("realScale");
    QTest::addColumn<bool>("retina");
    QTest::addColumn<double>("factor");
    QTest::newRow("96") << 96.0 << 1.0 << 1 << 0 << false << 1.0;
    QTest::newRow("108 exactly") << 108.0 << 1.0 << 1 << 0 << false << 1.0;
    QTest::newRow("108.5") << 108.5 << 1.0 << 2 << 0 << false << 1.0;
    QTest::newRow("120") << 120.0 << 1.0 << 2 << 0 << false << 1.0;
    QTest::newRow("132 exactly") << 132.0 << 1.0 << 2 << 0 << false << 1.0;
    QTest::newRow("144") << 144.0 << 1.0 << 3 << 0 << false << 1.0;
    QTest::newRow("168 exactly") << 168.0 << 1.0 << 3 << 0 << false << 1.0;
    QTest::newRow("192") << 192.0 << 1.0 << 4 << 0 << false << 1.0;
    QTest::newRow("192 at ratio 2") << 192.0 << 2.0 << 4 << 1 << true << 2.0;
    QTest::newRow("96 at ratio 1.5") << 96.0 << 1.5 << 1 << 1 << true << 1.5;
}

void tst_Configure::screenMeasure()
{
    QFETCH(double, dpi);
    QFETCH(double, ratio);
    Store::measureScreen(dpi, ratio);
    QTEST(int(Store::ScreenScale()), "screenScale");
    QTEST(int(Store::RealScale()), "realScale");
    QTEST(Store::Retina(), "retina");
    QTEST(Store::RetinaFactor(), "factor");
}

void tst_Configure::defaultsPerScale_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QSize>("infoBoxSize");
    QTest::addColumn<QMargins>("infoBoxMargins");
    QTest::addColumn<int>("fontPixels");
    QTest::newRow("96 dpi") << 96.0 << 1.0 << QRect(10, 10, 520, 850) << QSize(300, 100) << QMargins(20, 20, 22, 16) << 14;
    QTest::newRow("120 dpi") << 120.0 << 1.0 << QRect(12, 12, 650, 1062) << QSize(375, 125) << QMargins(25, 25, 27, 20) << 17;
    QTest::newRow("144 dpi") << 144.0 << 1.0 << QRect(15, 15, 780, 1275) << QSize(450, 150) << QMargins(30, 30, 33, 24) << 21;
    QTest::newRow("192 dpi at ratio 2") << 192.0 << 2.0 << QRect(10, 10, 520, 850) << QSize(300, 100) << QMargins(20, 20, 22, 16) << 14;
}

void tst_Configure::defaultsPerScale()
{
    QFETCH(double, dpi);
    QFETCH(double, ratio);
    Store::measureScreen(dpi, ratio);
    Store::setDefaults();
    QTEST(Store::Geometry(), "geometry");
    QTEST(Store::InfoBoxSize(), "infoBoxSize");
    QTEST(Store::InfoBoxMargins(), "infoBoxMargins");
    QTEST(Store::font().pixelSize(), "fontPixels");
    QCOMPARE(Store::font().family(), QStringLiteral("Open Sans"));
    // plain pixel values at every scale
    QCOMPARE(Store::MiniWidth(), 520);
    QCOMPARE(Store::TitleHeight(), 40);
    QCOMPARE(Store::TitleSkip(), 5);
}

void tst_Configure::fixedDefaults()
{
    QCOMPARE(Store::TitleBG().color(), QColor(0xc0, 0xc0, 0xc0));
    QCOMPARE(Store::TitleBG().style(), Qt::SolidPattern);
    QCOMPARE(Store::ShadowColor(), QColor(0xa0, 0xa0, 0xa4));
    QCOMPARE(Store::TitleWebFileText(), QStringLiteral("Download History"));
    QCOMPARE(Store::WebFileFailedText(), QStringLiteral("Download failed"));
    QCOMPARE(Store::WebFileEmptyText(), QStringLiteral("Download Empty"));
    QCOMPARE(Store::WebFileLoadingText(), QStringLiteral("Loading..."));
    QCOMPARE(Store::WebFileRemoveAllTipsText(), QStringLiteral("Clean all download record?"));
    QCOMPARE(Store::InfoOK(), QStringLiteral("Ok"));
    QVERIFY(Store::Title().isEmpty());
    QVERIFY(Store::AccessToken().isEmpty());
    QVERIFY(!Store::Maxsized());
    QVERIFY(Store::TitleStoreToVellShow());
    QVERIFY(Store::TitleShareToFriendShow());
    QVERIFY(!Store::TitleOpenOutsideShow());
    QVERIFY(!Store::TitleCheckChannelShow());
}

QTEST_MAIN(tst_Configure)
#include "tst_configure.moc"
