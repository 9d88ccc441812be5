// SPDX-License-Identifier: Apache-2.0
#include "config/configkeys.h"
#include "config/vellchatwbconfigure.h"
#include "resources/resource.h"

#include <QBuffer>
#include <QPixmap>
#include <QtTest>

using Store = VellChatWBConfigure;
Q_DECLARE_METATYPE(QMargins)

class tst_ConfigKeys : public QObject
{
    Q_OBJECT
private slots:
    void init() { Store::init(); }
    void numbers_data();
    void numbers();
    void texts();
    void colourList_data();
    void colourList();
    void captionColours_data();
    void captionColours();
    void colourNumber_data();
    void colourNumber();
    void integerLists_data();
    void integerLists();
    void windowsRectKeepsMaximized();
    void images_data();
    void images();
    void notAnImage();
    void unknownKeys();
    void hardeningLists_data();
    void hardeningLists();
    void strictCertificates_data();
    void strictCertificates();
    void permissionPolicy();
    void pageSwitches_data();
    void pageSwitches();
};

static void apply(const char *key, const QByteArray &value)
{
    ConfigKeys::apply(QString::fromLatin1(key), value);
}

void tst_ConfigKeys::numbers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("height");
    QTest::newRow("36") << QByteArray("36") << 1 << 36;
    QTest::newRow("36 at 150 % is not scaled") << QByteArray("36") << 3 << 36;
    QTest::newRow("blanks around") << QByteArray(" 36\n") << 1 << 36;
    QTest::newRow("zero") << QByteArray("0") << 1 << 40;
    QTest::newRow("negative") << QByteArray("-5") << 1 << 40;
    QTest::newRow("trailing letter") << QByteArray("4a") << 1 << 40;
    QTest::newRow("empty") << QByteArray() << 1 << 40;
}

void tst_ConfigKeys::numbers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, scale);
    Store::SetScreenScale(Store::DBIScale(scale));
    apply("titleHeight", value);
    QTEST(Store::TitleHeight(), "height");
}

void tst_ConfigKeys::texts()
{
    apply("title", "First");
    apply("title", "");
    QCOMPARE(Store::Title(), QStringLiteral("First"));

    apply("accessToken", "t0k3n");
    QCOMPARE(Store::AccessToken(), QStringLiteral("t0k3n"));
    apply("accessToken", "");
    QCOMPARE(Store::AccessToken(), QString());

    apply("webFileMissedText", "Gone");
    apply("infoBoxClean", "Wipe");
    apply("webFileLoadingText", "Fetching");
    apply("webFileLoadingText", "");
    QCOMPARE(Store::WebFileLoadingText(), QStringLiteral("Fetching"));
    QCOMPARE(Store::WebFileMissedText(), QStringLiteral("Gone"));
    QCOMPARE(Store::InfoClean(), QStringLiteral("Wipe"));

    apply("infoBoxBlock", "Nein");
    apply("permissionCameraText", "%1 will die Kamera");
    QCOMPARE(Store::InfoBlock(), QStringLiteral("Nein"));
    QCOMPARE(Store::PermissionCameraText(), QStringLiteral("%1 will die Kamera"));
    QCOMPARE(Store::PermissionScreenText(), QStringLiteral("%1 wants to share your screen"));
    apply("findBarMatchesText", "%1 / %2");
    apply("findBarNoMatchesText", "");
    QCOMPARE(Store::FindBarMatchesText(), QStringLiteral("%1 / %2"));
    QCOMPARE(Store::FindBarNoMatchesText(), QStringLiteral("No matches"));
}

void tst_ConfigKeys::permissionPolicy()
{
    apply("permissionPolicy", "Screen=HOST, camera=allow");
    QCOMPARE(Store::PermissionRules(), (QStringList{"screen=host", "camera=allow"}));
    apply("permissionPolicy", "camera=allow,printer=allow");
    QCOMPARE(Store::PermissionRules(), (QStringList{"screen=host", "camera=allow"}));
    apply("permissionPolicy", "");
    QCOMPARE(Store::PermissionRules(), QStringList());
}

void tst_ConfigKeys::colourList_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QColor>("title");
    QTest::newRow("half-transparent red") << QByteArray("255,0,0,128") << QColor(255, 0, 0, 128);
    QTest::newRow("fifth piece ignored") << QByteArray("0,128,255,255,9") << QColor(0, 128, 255);
    QTest::newRow("three pieces change nothing") << QByteArray("255,0,0") << QColor(0xc0, 0xc0, 0xc0);
    QTest::newRow("out of range stores an invalid colour") << QByteArray("300,0,0,255") << QColor();
    QTest::newRow("unreadable piece counts as 0") << QByteArray("x,10,20,255") << QColor(0, 10, 20);
}

void tst_ConfigKeys::colourList()
{
    QFETCH(QByteArray, value);
    apply("titleBackgroundColor", value);
    apply("shadowColor", value);
    QTEST(Store::TitleBG().color(), "title");
    if (value != "255,0,0")
        QTEST(Store::ShadowColor(), "title");
    else
        QCOMPARE(Store::ShadowColor(), QColor(0xa0, 0xa0, 0xa4));
}

void tst_ConfigKeys::captionColours_data()
{
    // Given one after the other: the caption colour, then the hover colour.
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<QByteArray>("hover");
    QTest::addColumn<QColor>("captionColour");
    QTest::addColumn<QColor>("hoverColour");
    QTest::newRow("neither: white, and white under the pointer") << QByteArray() << QByteArray() << QColor(Qt::white) << QColor(Qt::white);
    QTest::newRow("caption only: the hover follows") << QByteArray("20,20,20,255") << QByteArray() << QColor(20, 20, 20) << QColor(20, 20, 20);
    QTest::newRow("both") << QByteArray("20,20,20,255") << QByteArray("0,90,200,128") << QColor(20, 20, 20) << QColor(0, 90, 200, 128);
    QTest::newRow("caption out of range keeps white") << QByteArray("20,20,256,255") << QByteArray() << QColor(Qt::white) << QColor(Qt::white);
    QTest::newRow("hover out of range follows the caption") << QByteArray("20,20,20,255") << QByteArray("-1,0,0,255") << QColor(20, 20, 20) << QColor(20, 20, 20);
    QTest::newRow("three pieces change nothing") << QByteArray("20,20,20") << QByteArray("1,2,3") << QColor(Qt::white) << QColor(Qt::white);
}

void tst_ConfigKeys::captionColours()
{
    QFETCH(QByteArray, caption);
    QFETCH(QByteArray, hover);
    if (!caption.isEmpty())
        apply("titleTextColor", caption);
    if (!hover.isEmpty())
        apply("titleTextHoverColor", hover);
    QTEST(Store::TitleTextColor(), "captionColour");
    QTEST(Store::TitleTextHoverColor(), "hoverColour");
}

void tst_ConfigKeys::colourNumber_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("red") << QByteArray("16711680") << QColor(255, 0, 0);
    QTest::newRow("alpha byte ignored") << QByteArray("2147516416") << QColor(0, 128, 0);   // 0x80008000
    QTest::newRow("zero changes nothing") << QByteArray("0") << QColor(Qt::white);
    QTest::newRow("unreadable changes nothing") << QByteArray("blue") << QColor(Qt::white);
}

void tst_ConfigKeys::colourNumber()
{
    QFETCH(QByteArray, value);
    apply("containerBackgroundColor", value);
    QTEST(Store::ContainerBG().color(), "colour");
    QCOMPARE(Store::ContainerBG().color().alpha(), 255);
}

void tst_ConfigKeys::integerLists_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QSize>("boxSize");
    QTest::addColumn<QMargins>("margins");
    const QRect g(10, 10, 520, 850);
    const QSize s(300, 100);
    const QMargins m(20, 20, 22, 16);
    QTest::newRow("rect") << QByteArray("windowsRect") << QByteArray("100,50,800,600") << QRect(100, 50, 800, 600) << s << m;
    QTest::newRow("rect with letters") << QByteArray("windowsRect") << QByteArray("a,b,300,200") << QRect(0, 0, 300, 200) << s << m;
    QTest::newRow("rect too short") << QByteArray("windowsRect") << QByteArray("1,2,3") << g << s << m;
    QTest::newRow("box size") << QByteArray("infoBoxSize") << QByteArray("320,140") << g << QSize(320, 140) << m;
    QTest::newRow("box size too short") << QByteArray("infoBoxSize") << QByteArray("320") << g << s << m;
    QTest::newRow("margins") << QByteArray("infoBoxMargin") << QByteArray("1,2,3,4") << g << s << QMargins(1, 2, 3, 4);
    QTest::newRow("margins too short") << QByteArray("infoBoxMargin") << QByteArray("1,2,3") << g << s << m;
}

void tst_ConfigKeys::integerLists()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    apply(key.constData(), value);
    QTEST(Store::Geometry(), "geometry");
    QTEST(Store::InfoBoxSize(), "boxSize");
    QTEST(Store::InfoBoxMargins(), "margins");
}

void tst_ConfigKeys::windowsRectKeepsMaximized()
{
    apply("windowsRect", "100,50,800,600,0");
    QVERIFY(!Store::Maxsized());
    apply("windowsRect", "100,50,800,600,1");
    QVERIFY(Store::Maxsized());
    apply("windowsRect", "110,60,700,500,0");
    QCOMPARE(Store::Geometry(), QRect(110, 60, 700, 500));
    QVERIFY(Store::Maxsized());   // only ever set, never cleared by the key
}

static QByteArray png(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void tst_ConfigKeys::images_data()
{
    QTest::addColumn<int>("screenScale");
    QTest::addColumn<double>("retinaFactor");   // 0: not retina
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<double>("ratio");
    QTest::newRow("100 %") << 1 << 0.0 << QSize(20, 10) << 1.0;
    QTest::newRow("125 %") << 2 << 0.0 << QSize(25, 13) << 1.0;   // 12.5 rounds to 13 keeping the aspect
    QTest::newRow("150 %") << 3 << 0.0 << QSize(30, 15) << 1.0;
    QTest::newRow("200 %") << 4 << 0.0 << QSize(40, 20) << 1.0;
    QTest::newRow("retina 2") << 4 << 2.0 << QSize(20, 10) << 2.0;
}

void tst_ConfigKeys::images()
{
    QFETCH(int, screenScale);
    QFETCH(double, retinaFactor);
    Store::SetScreenScale(Store::DBIScale(screenScale));
    if (retinaFactor > 0) {
        Store::SetRetina(true);
        Store::SetRetinaFactor(retinaFactor);
        Store::SetRealScale(Store::dbisOne);
    }
    const QByteArray bytes = png(20, 10);
    const char *keys[] = {"titleCloseIconData", "titleLogoData", "titleMinisizeIconData", "titleMaxsizeIconData", "titleRestoreIconData", "Icon"};
    for (const char *key : keys)
        apply(key, bytes);
    const QPixmap *stored[] = {Store::TitleCloseIcon(), Store::TitleChannelLogo(), Store::TitleMiniIcon(), Store::TitleMaxIcon(), Store::TitleRestoreIcon(), Store::WindowIcon()};
    for (const QPixmap *p : stored) {
        QTEST(p->size(), "pixels");
        QTEST(p->devicePixelRatio(), "ratio");
    }
}

void tst_ConfigKeys::notAnImage()
{
    apply("Icon", "definitely not a picture");
    QVERIFY(Store::WindowIcon() != nullptr);
    QVERIFY(Store::WindowIcon()->isNull());
}

void tst_ConfigKeys::unknownKeys()
{
    apply("icon", png(20, 10));
    apply("Title", "nope");
    apply("titleheight", "30");
    QCOMPARE(Store::Title(), QString());
    QCOMPARE(Store::TitleHeight(), 40);
    QVERIFY(Store::WindowIcon()->width() != 20);
}


void tst_ConfigKeys::hardeningLists_data()
{
    // Each key is first given a good list, "a.org" or "https://a.org".
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("hosts, normal form") << "accessTokenHosts" << QByteArray("B.Org., *.C.org , [::1]")
                                        << QStringList{"b.org", "*.c.org", "::1"};
    QTest::newRow("hosts, empty: every host") << "accessTokenHosts" << QByteArray("") << QStringList();
    QTest::newRow("hosts, only commas: every host") << "accessTokenHosts" << QByteArray(" , ,") << QStringList();
    QTest::newRow("hosts, IDN") << "accessTokenHosts" << QByteArray("b\xc3\xbc" "cher.example")
                                << QStringList{"xn--bcher-kva.example"};
    QTest::newRow("hosts, port is malformed") << "accessTokenHosts" << QByteArray("b.org:8080") << QStringList{"a.org"};
    QTest::newRow("hosts, scheme is malformed") << "accessTokenHosts" << QByteArray("https://b.org") << QStringList{"a.org"};
    QTest::newRow("hosts, one bad item spoils all") << "accessTokenHosts" << QByteArray("b.org, b org") << QStringList{"a.org"};
    QTest::newRow("hosts, wildcard inside") << "accessTokenHosts" << QByteArray("b.*.org") << QStringList{"a.org"};
    QTest::newRow("hosts, bare wildcard") << "accessTokenHosts" << QByteArray("*") << QStringList{"a.org"};
    QTest::newRow("hosts, wildcard over an address") << "accessTokenHosts" << QByteArray("*.0.0.1") << QStringList{"a.org"};
    QTest::newRow("hosts, short IPv4") << "accessTokenHosts" << QByteArray("127.1") << QStringList{"a.org"};
    QTest::newRow("hosts, hyphen at a label's end") << "accessTokenHosts" << QByteArray("b-.org") << QStringList{"a.org"};
    QTest::newRow("hosts, empty label") << "accessTokenHosts" << QByteArray("b..org") << QStringList{"a.org"};
    QTest::newRow("origins, normal form") << "bridgeOrigins" << QByteArray("HTTP://B.org:80/, https://[::1]:8443")
                                          << QStringList{"http://b.org", "https://[::1]:8443"};
    QTest::newRow("origins, empty: every page") << "bridgeOrigins" << QByteArray("") << QStringList();
    QTest::newRow("origins, bare host is malformed") << "bridgeOrigins" << QByteArray("b.org") << QStringList{"https://a.org"};
    QTest::newRow("origins, path is malformed") << "bridgeOrigins" << QByteArray("https://b.org/app") << QStringList{"https://a.org"};
    QTest::newRow("origins, user info is malformed") << "bridgeOrigins" << QByteArray("https://u@b.org") << QStringList{"https://a.org"};
    QTest::newRow("origins, port 0") << "bridgeOrigins" << QByteArray("https://b.org:0") << QStringList{"https://a.org"};
    QTest::newRow("origins, port too large") << "bridgeOrigins" << QByteArray("https://b.org:65536") << QStringList{"https://a.org"};
    QTest::newRow("origins, wildcard") << "bridgeOrigins" << QByteArray("https://*.b.org") << QStringList{"https://a.org"};
    QTest::newRow("schemes, normal form") << "externalSchemes" << QByteArray("MailTo, tel ,x-app+v1.2") << QStringList{"mailto", "tel", "x-app+v1.2"};
    QTest::newRow("schemes, empty: all ask") << "externalSchemes" << QByteArray(" , ") << QStringList();
    QTest::newRow("schemes, none") << "externalSchemes" << QByteArray(" None ") << QStringList{"none"};
    QTest::newRow("schemes, none among others") << "externalSchemes" << QByteArray("none,tel") << QStringList{"a"};
    QTest::newRow("schemes, the browser's own") << "externalSchemes" << QByteArray("tel,https") << QStringList{"a"};
    QTest::newRow("schemes, file") << "externalSchemes" << QByteArray("file") << QStringList{"a"};
    QTest::newRow("schemes, with its colon") << "externalSchemes" << QByteArray("mailto:") << QStringList{"a"};
    QTest::newRow("schemes, leading digit") << "externalSchemes" << QByteArray("1app") << QStringList{"a"};
}

void tst_ConfigKeys::hardeningLists()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, value);
    const QHash<QString, QPair<QByteArray, QStringList (*)()>> good = {
        {"accessTokenHosts", {"a.org", &Store::AccessTokenHosts}},
        {"bridgeOrigins", {"https://a.org", &Store::BridgeOrigins}},
        {"externalSchemes", {"a", &Store::ExternalSchemes}},
    };
    ConfigKeys::apply(key, good.value(key).first);
    ConfigKeys::apply(key, value);
    QTEST(good.value(key).second(), "stored");
}

void tst_ConfigKeys::strictCertificates_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("strict");
    QTest::newRow("1") << QByteArray("1") << true;
    QTest::newRow("1 and a line break") << QByteArray("1\n") << true;
    QTest::newRow("0") << QByteArray("0") << false;
    QTest::newRow("true is not 1") << QByteArray("true") << false;
    QTest::newRow("11") << QByteArray("11") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void tst_ConfigKeys::strictCertificates()
{
    QFETCH(QByteArray, value);
    QVERIFY(!Store::StrictCertificates());
    apply("strictCertificates", "1");
    apply("strictCertificates", value);
    QTEST(Store::StrictCertificates(), "strict");
}

void tst_ConfigKeys::pageSwitches_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("on");
    // Printing is on until the host says 0; the menu and the viewer are off until it says 1.
    QTest::newRow("printing 0") << "printing" << QByteArray("0") << false;
    QTest::newRow("printing 0 and a line break") << "printing" << QByteArray("0\n") << false;
    QTest::newRow("printing 1") << "printing" << QByteArray("1") << true;
    QTest::newRow("printing false is not 0") << "printing" << QByteArray("false") << true;
    QTest::newRow("page menu 1") << "pageMenu" << QByteArray("1") << true;
    QTest::newRow("page menu 0") << "pageMenu" << QByteArray("0") << false;
    QTest::newRow("page menu true is not 1") << "pageMenu" << QByteArray("true") << false;
    QTest::newRow("pdf viewer 1") << "pdfViewer" << QByteArray(" 1") << true;
    QTest::newRow("pdf viewer empty") << "pdfViewer" << QByteArray() << false;
    QTest::newRow("report navigation 1") << "reportNavigation" << QByteArray("1\n") << true;
    QTest::newRow("report navigation true is not 1") << "reportNavigation" << QByteArray("true") << false;
    QTest::newRow("popups 1") << "allowPopups" << QByteArray("1") << true;
    QTest::newRow("popups true is not 1") << "allowPopups" << QByteArray("true") << false;
}

void tst_ConfigKeys::pageSwitches()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, value);
    auto stored = [&key] {
        return key == QLatin1String("printing") ? Store::Printing()
             : key == QLatin1String("pageMenu") ? Store::PageMenu()
             : key == QLatin1String("reportNavigation") ? Store::ReportNavigation()
             : key == QLatin1String("allowPopups") ? Store::AllowPopups() : Store::PdfViewer();
    };
    QCOMPARE(stored(), key == QLatin1String("printing"));
    ConfigKeys::apply(key, value);
    QTEST(stored(), "on");
}

QTEST_MAIN(tst_ConfigKeys)
#include "tst_configkeys.moc"
