// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "resources/resource.h"

#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPixmap>
#include <QScopedPointer>
#include <QtTest>

using Store = VellChatWBConfigure;

class tst_Resource : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void screenReady_data();
    void screenReady();
    void titleIconsAtStart();
    void fileIconIsCached();
    void accessorFiles_data();
    void accessorFiles();
    void rarGrayIsItsOwnPicture();
    void grayVariant_data();
    void grayVariant();
    void nullTitleIcon_data();
    void nullTitleIcon();
    void bundledPictures_data();
    void bundledPictures();
    void bundledFonts_data();
    void bundledFonts();
    void windowFontFamily();
};

static void setScreen(Store::DBIScale screen, Store::DBIScale real, bool retina, double factor)
{
    Store::SetScreenScale(screen);
    Store::SetRealScale(real);
    Store::SetRetina(retina);
    Store::SetRetinaFactor(factor);
}

// The singleton loads its title icons once, so it is first touched here, on a
// plain 100 % screen; every other scale goes through loadScreenPixmap.
void tst_Resource::initTestCase()
{
    Store::init();
    setScreen(Store::dbisOne, Store::dbisAuto, false, 1.0);
    QVERIFY(Resource::ShareInstance());
}

void tst_Resource::init()
{
    Store::init();
    setScreen(Store::dbisOne, Store::dbisAuto, false, 1.0);
}

void tst_Resource::screenReady_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("screenScale");
    QTest::addColumn<int>("realScale");
    QTest::addColumn<bool>("retina");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("ratio");

    const QString close = QStringLiteral("gui/icons/close");
    const QString pdf = QStringLiteral("art/overview_icon_file_pdf");
    QTest::newRow("close at 100 %") << close << 1 << 0 << false << 1.0 << QSize(23, 19) << 1.0;
    // The @2x file is 47 wide, not twice 23.
    QTest::newRow("close, retina x2") << close << 1 << 1 << true << 2.0 << QSize(47, 38) << 2.0;
    // Other ratios get the @2x drawing resampled to cover as many logical
    // pixels as the normal picture: 23 x 1.5 = 34.5 -> 35, 19 x 1.5 = 28.5 -> 29.
    QTest::newRow("close, retina x1.5") << close << 1 << 1 << true << 1.5 << QSize(35, 29) << 1.5;
    QTest::newRow("close, retina x3") << close << 1 << 1 << true << 3.0 << QSize(69, 57) << 3.0;
    QTest::newRow("retina ignores the screen scale") << close << 3 << 0 << true << 2.0 << QSize(47, 38) << 2.0;
    QTest::newRow("pdf at 150 %") << pdf << 3 << 0 << false << 1.0 << QSize(72, 72) << 1.0;
    QTest::newRow("pdf at 125 %") << pdf << 2 << 0 << false << 1.0 << QSize(60, 60) << 1.0;
    QTest::newRow("pdf at 200 %") << pdf << 4 << 0 << false << 1.0 << QSize(96, 96) << 1.0;
    QTest::newRow("100 % screen ignores real 150 %") << pdf << 1 << 3 << false << 1.0 << QSize(48, 48) << 1.0;
    // Enlarged pictures are the @2x drawing (47 x 38) brought down, not the
    // normal one blown up. 23 x 1.5 = 34.5 rounds down after the 0.01 nudge;
    // the height follows the width and the toolkit rounds it up: 38 x 34 / 47 = 27.49 -> 28.
    QTest::newRow("close at 150 %") << close << 3 << 0 << false << 1.0 << QSize(34, 28) << 1.0;
    // 23 x 1.25 = 28.75 -> 29; 38 x 29 / 47 = 23.45 -> 24.
    QTest::newRow("close at 125 %") << close << 2 << 0 << false << 1.0 << QSize(29, 24) << 1.0;
    // The real scale wins over the screen scale once the screen is not 100 %.
    QTest::newRow("real 200 % over screen 125 %") << pdf << 2 << 4 << false << 1.0 << QSize(96, 96) << 1.0;
    QTest::newRow("x at 125 %") << QStringLiteral("gui/icons/x") << 2 << 0 << false << 1.0 << QSize(15, 15) << 1.0;
    QTest::newRow("empty picture at 150 %") << QStringLiteral("gui/icons/webfileempty") << 3 << 0 << false << 1.0
                                            << QSize(321, 321) << 1.0;
}

void tst_Resource::screenReady()
{
    QFETCH(QString, path);
    QFETCH(int, screenScale);
    QFETCH(int, realScale);
    QFETCH(bool, retina);
    QFETCH(double, factor);
    QFETCH(QSize, size);
    QFETCH(double, ratio);

    setScreen(Store::DBIScale(screenScale), Store::DBIScale(realScale), retina, factor);
    const QScopedPointer<QPixmap> pixmap(Resource::loadScreenPixmap(path));
    QVERIFY(pixmap);
    QVERIFY(!pixmap->isNull());
    QCOMPARE(pixmap->size(), size);
    QCOMPARE(pixmap->devicePixelRatio(), ratio);
}

void tst_Resource::titleIconsAtStart()
{
    Resource *resource = Resource::ShareInstance();
    QCOMPARE(resource->closeIcon()->size(), QSize(23, 19));
    QCOMPARE(resource->closeIcon()->devicePixelRatio(), 1.0);
}

void tst_Resource::fileIconIsCached()
{
    Resource *resource = Resource::ShareInstance();
    QPixmap *first = resource->videoIcon();
    QVERIFY(first);
    QCOMPARE(first->size(), QSize(48, 48));
    // A later scale change must not reload what is already cached.
    setScreen(Store::dbisOneAndHalf, Store::dbisAuto, false, 1.0);
    QCOMPARE(resource->videoIcon(), first);
    QCOMPARE(first->size(), QSize(48, 48));
}

using Accessor = QPixmap *(Resource::*)();

static const struct
{
    Accessor get;
    const char *file;
} accessors[] = {
    {&Resource::pptIcon, ":/art/overview_icon_file_ppt.png"},
    {&Resource::docIcon, ":/art/overview_icon_file_word.png"},
    {&Resource::xlsIcon, ":/art/overview_icon_file_xls.png"},
    {&Resource::pdfIcon, ":/art/overview_icon_file_pdf.png"},
    {&Resource::rarIcon, ":/art/overview_icon_file_rar.png"},
    {&Resource::audioIcon, ":/art/overview_icon_file_music.png"},
    {&Resource::videoIcon, ":/art/overview_icon_file_video.png"},
    {&Resource::imgIcon, ":/art/overview_icon_file_picture.png"},
    {&Resource::txtIcon, ":/art/overview_icon_file_docu.png"},
    {&Resource::otherIcon, ":/art/overview_icon_file_other.png"},
    {&Resource::pptGrayIcon, ":/art/overview_icon_file_ppt_gray.png"},
    {&Resource::docGrayIcon, ":/art/overview_icon_file_word_gray.png"},
    {&Resource::xlsGrayIcon, ":/art/overview_icon_file_xls_gray.png"},
    {&Resource::pdfGrayIcon, ":/art/overview_icon_file_pdf_gray.png"},
    {&Resource::rarGrayIcon, ":/art/overview_icon_file_rar_gray.png"},
    {&Resource::audioGrayIcon, ":/art/overview_icon_file_music_gray.png"},
    {&Resource::videoGrayIcon, ":/art/overview_icon_file_video_gray.png"},
    {&Resource::imgGrayIcon, ":/art/overview_icon_file_picture_gray.png"},
    {&Resource::txtGrayIcon, ":/art/overview_icon_file_docu_gray.png"},
    {&Resource::otherGrayIcon, ":/art/overview_icon_file_other_gray.png"},
    {&Resource::fileHistoryDeleteIcon, ":/gui/icons/x.png"},
    {&Resource::fileEmptyLog, ":/gui/icons/webfileempty.png"},
    {&Resource::channelLogo, ":/gui/icons/channel_webbroswer_logo.png"},
    {&Resource::miniIcon, ":/gui/icons/minimize.png"},
    {&Resource::maxIcon, ":/gui/icons/maximize.png"},
    {&Resource::restoreIcon, ":/gui/icons/restore.png"},
    {&Resource::closeIcon, ":/gui/icons/close.png"},
    {&Resource::windowIcon, ":/gui/icons/main.png"},
};

static QImage comparable(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void tst_Resource::accessorFiles_data()
{
    QTest::addColumn<int>("which");
    for (int i = 0; i < int(sizeof accessors / sizeof accessors[0]); ++i)
        QTest::newRow(accessors[i].file) << i;
}

// Each accessor shows its own picture: at 100 % the pixels are the file's.
void tst_Resource::accessorFiles()
{
    QFETCH(int, which);
    QPixmap *pixmap = (Resource::ShareInstance()->*accessors[which].get)();
    QVERIFY(pixmap);
    const QImage file(QString::fromLatin1(accessors[which].file));
    QVERIFY(!file.isNull());
    QCOMPARE(comparable(pixmap->toImage()), comparable(file));
}

void tst_Resource::rarGrayIsItsOwnPicture()
{
    Resource *resource = Resource::ShareInstance();
    QPixmap *gray = resource->rarGrayIcon();
    QPixmap *normal = resource->rarIcon();
    QVERIFY(gray && normal);
    QVERIFY(gray != normal);
    QVERIFY(comparable(gray->toImage()) != comparable(normal->toImage()));
}

void tst_Resource::grayVariant_data()
{
    QTest::addColumn<QString>("base");
    for (const char *type : {"ppt", "word", "xls", "pdf", "rar", "music", "video", "picture", "docu", "other", "folder"})
        QTest::newRow(type) << QStringLiteral("art/overview_icon_file_") + QLatin1String(type);
}

static qreal meanLightness(const QImage &image)
{
    qreal sum = 0;
    qreal weight = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            sum += c.lightnessF() * c.alphaF();
            weight += c.alphaF();
        }
    }
    return weight > 0 ? sum / weight : 0;
}

// The gray file stands for a download that is gone: no colour, and paler.
void tst_Resource::grayVariant()
{
    QFETCH(QString, base);
    const QScopedPointer<QPixmap> normal(Resource::loadScreenPixmap(base));
    const QScopedPointer<QPixmap> gray(Resource::loadScreenPixmap(base + QStringLiteral("_gray")));
    const QImage normalImage = normal->toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage grayImage = gray->toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(grayImage.size(), normalImage.size());
    QVERIFY(grayImage != normalImage);
    for (int y = 0; y < grayImage.height(); ++y) {
        for (int x = 0; x < grayImage.width(); ++x) {
            const QRgb p = grayImage.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p))
                QFAIL(qPrintable(QStringLiteral("coloured pixel at %1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY(meanLightness(grayImage) > meanLightness(normalImage));
}

void tst_Resource::nullTitleIcon_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("channelLogo") << 0;
    QTest::newRow("miniIcon") << 1;
    QTest::newRow("maxIcon") << 2;
    QTest::newRow("restoreIcon") << 3;
    QTest::newRow("closeIcon") << 4;
    QTest::newRow("windowIcon") << 5;
}

// A host may send an icon that fails to load; the title bar still needs a picture.
void tst_Resource::nullTitleIcon()
{
    struct Slot
    {
        QPixmap *(Resource::*get)();
        void (Resource::*set)(QPixmap *);
        const char *path;
    };
    static const Slot icons[] = {
        {&Resource::channelLogo, &Resource::setChannelLogo, "gui/icons/channel_webbroswer_logo"},
        {&Resource::miniIcon, &Resource::setMiniIcon, "gui/icons/minimize"},
        {&Resource::maxIcon, &Resource::setMaxIcon, "gui/icons/maximize"},
        {&Resource::restoreIcon, &Resource::setRestoreIcon, "gui/icons/restore"},
        {&Resource::closeIcon, &Resource::setCloseIcon, "gui/icons/close"},
        {&Resource::windowIcon, &Resource::setWindowIcon, "gui/icons/main"},
    };
    QFETCH(int, which);
    const Slot &slot = icons[which];
    Resource *resource = Resource::ShareInstance();

    (resource->*slot.set)(nullptr);
    QPixmap *stand = (resource->*slot.get)();
    QVERIFY(stand);
    QCOMPARE(stand->size(), QSize(16, 16));
    const QImage image = stand->toImage();
    for (const QPoint &p : {QPoint(0, 0), QPoint(15, 0), QPoint(8, 8), QPoint(0, 15), QPoint(15, 15)})
        QCOMPARE(image.pixelColor(p), QColor(Qt::white));
    // The stand-in is kept, not made again on every call.
    QCOMPARE((resource->*slot.get)(), stand);

    (resource->*slot.set)(Resource::loadScreenPixmap(QLatin1String(slot.path)));
}

void tst_Resource::bundledPictures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    const struct { const char *name; QSize normal; QSize doubled; } icons[] = {
        {"channel_webbroswer_logo", {20, 20}, {40, 40}},
        {"minimize", {23, 19}, {47, 38}},
        {"maximize", {23, 19}, {47, 38}},
        {"restore", {23, 19}, {47, 38}},
        {"close", {23, 19}, {47, 38}},
        {"main", {256, 256}, {512, 512}},
        {"x", {12, 12}, {24, 24}},
        {"webfileempty", {214, 214}, {428, 428}},
    };
    for (const auto &icon : icons) {
        const QString base = QStringLiteral(":/gui/icons/") + QLatin1String(icon.name);
        QTest::newRow(qPrintable(base + ".png")) << base + ".png" << icon.normal;
        QTest::newRow(qPrintable(base + "@2x.png")) << base + "@2x.png" << icon.doubled;
    }
    for (const char *type : {"ppt", "word", "xls", "pdf", "rar", "music", "video", "picture", "docu", "other", "folder"}) {
        const QString base = QStringLiteral(":/art/overview_icon_file_") + QLatin1String(type);
        for (const QString &variant : {base, base + "_gray"}) {
            QTest::newRow(qPrintable(variant + ".png")) << variant + ".png" << QSize(48, 48);
            QTest::newRow(qPrintable(variant + "@2x.png")) << variant + "@2x.png" << QSize(96, 96);
        }
    }
}

void tst_Resource::bundledPictures()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const QImage image(file);
    QVERIFY2(!image.isNull(), qPrintable(file));
    QCOMPARE(image.size(), size);
    // They sit on title bars and panels of any colour, so none is a filled box.
    QVERIFY(image.hasAlphaChannel());
    QVERIFY(image.pixelColor(0, 0).alpha() < 255);
}

void tst_Resource::bundledFonts_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Regular") << QStringLiteral(":/font/OpenSans-Regular.ttf");
    QTest::newRow("Semibold") << QStringLiteral(":/font/OpenSans-Semibold.ttf");
    QTest::newRow("Bold") << QStringLiteral(":/font/OpenSans-Bold.ttf");
    QTest::newRow("Deng") << QStringLiteral(":/font/Deng.ttf");
}

void tst_Resource::bundledFonts()
{
    QFETCH(QString, file);
    QVERIFY2(QFile::exists(file), qPrintable(file));
    const int id = QFontDatabase::addApplicationFont(file);
    QVERIFY2(id >= 0, qPrintable(file));
    QVERIFY(!QFontDatabase::applicationFontFamilies(id).isEmpty());
}

void tst_Resource::windowFontFamily()
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/font/OpenSans-Regular.ttf"));
    QVERIFY(id >= 0);
    QVERIFY(QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Open Sans")));
}

QTEST_MAIN(tst_Resource)
#include "tst_resource.moc"
