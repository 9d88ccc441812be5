// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfiledelegate.h"
#include "downloads/downloadfilemodel.h"
#include "downloads/ilink.h"
#include "downloads/modelitemfile.h"
#include "downloads/modelitemroot.h"
#include "resources/resource.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QtTest>

namespace {

const qint64 day20 = 1526809226485;          // a time on one day
const qint64 day19 = day20 - 86400000;       // the same time a day earlier

const QRgb white = qRgb(255, 255, 255);
const QRgb track = qRgb(194, 194, 194);
const QRgb fill = qRgb(108, 165, 209);
const QRgb rule = qRgb(226, 226, 226);

// Days and files as the panel holds them.
struct History
{
    ModelItemRoot root;
    DownloadFileModel model{&root, nullptr};

    QModelIndex add(const QString &key, qint64 time, const QString &fields)
    {
        auto *file = new ModelItemFile(key);
        const QString json = QString(R"({"key":"%1","createTime":%2,%3})").arg(key).arg(time).arg(fields);
        file->fromJson(QJsonDocument::fromJson(json.toUtf8()).object());
        model.insertItem(file);
        return model.index(file);
    }
};

QImage render(const DownloadFileDelegate &delegate, const QModelIndex &index, const QSize &size,
              QStyle::State state = QStyle::State_Enabled)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0, 255, 0));
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = QRect(QPoint(0, 0), size);
    option.state = state;
    delegate.paint(&painter, option, index);
    painter.end();
    return image;
}

// The first run of non-white pixels on row y at or right of x.
QPair<int, int> runFrom(const QImage &image, int x, int y)
{
    while (x < image.width() && image.pixel(x, y) == white)
        ++x;
    int end = x;
    while (end + 1 < image.width() && image.pixel(end + 1, y) != white)
        ++end;
    return {x, end};
}

bool anyPixel(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &test)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixel(x, y)))
                return true;
    return false;
}

void setScale(int percent)
{
    VellChatWBConfigure::measureScreen(percent == 150 ? 144 : 96, 1.0);
    VellChatWBConfigure::setDefaults();
}

} // namespace

class tst_DownloadFileDelegate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { VellChatWBConfigure::init(); }
    void sizeHints_data();
    void sizeHints();
    void dayRow();
    void background();
    void emptyProgress_data();
    void emptyProgress();
    void halfProgress();
    void fullProgress_data();
    void fullProgress();
    void secondLine();
    void nameColour();
    void separator_data();
    void separator();
    void hitTest_data();
    void hitTest();
    void hitTestDayRow();
};

void tst_DownloadFileDelegate::initTestCase()
{
    // Pictures are loaded once per process; take them at 100 %, as the hit
    // test expectations below assume a 12-pixel delete icon and 48-pixel type icons.
    VellChatWBConfigure::init();
    QCOMPARE(VellChatWBConfigure::ScreenScale(), VellChatWBConfigure::dbisOne);
    QCOMPARE(Resource::ShareInstance()->fileHistoryDeleteIcon()->width(), 12);
    QCOMPARE(Resource::ShareInstance()->otherIcon()->width(), 48);
}

void tst_DownloadFileDelegate::sizeHints_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("day");
    QTest::addColumn<QSize>("file");
    QTest::newRow("100 %") << 100 << QSize(300, 30) << QSize(300, 120);
    QTest::newRow("150 %") << 150 << QSize(450, 45) << QSize(450, 180);
}

void tst_DownloadFileDelegate::sizeHints()
{
    QFETCH(int, percent);
    QFETCH(QSize, day);
    QFETCH(QSize, file);
    setScale(percent);
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QModelIndex fileIndex = history.add("k", day20, R"("name":"a.pdf")");
    QCOMPARE(delegate.sizeHint(QStyleOptionViewItem(), fileIndex), file);
    QCOMPARE(delegate.sizeHint(QStyleOptionViewItem(), fileIndex.parent()), day);
}

void tst_DownloadFileDelegate::dayRow()
{
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QModelIndex day = history.add("k", day20, R"("name":"a.pdf")").parent();
    const QImage image = render(delegate, day, QSize(600, 30));
    QCOMPARE(image.pixel(5, 5), qRgb(238, 238, 238));
    QCOMPARE(image.pixel(595, 25), qRgb(238, 238, 238));
    // The date sits 58 pixels in, in grey.
    auto greyInk = [](QRgb p) { return qRed(p) < 200 && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p); };
    QVERIFY(!anyPixel(image, QRect(0, 0, 58, 30), greyInk));
    QVERIFY(anyPixel(image, QRect(58, 0, 60, 30), greyInk));
    // An index without a node draws nothing.
    const QImage nothing = render(delegate, QModelIndex(), QSize(600, 30));
    QCOMPARE(nothing.pixel(5, 5), qRgb(0, 255, 0));
}

void tst_DownloadFileDelegate::background()
{
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QModelIndex file = history.add("k", day20, R"("name":"a.pdf","status":2,"fileExists":true)");
    QCOMPARE(render(delegate, file, QSize(600, 120)).pixel(5, 5), white);
    QCOMPARE(render(delegate, file, QSize(600, 120), QStyle::State_Enabled | QStyle::State_MouseOver).pixel(5, 5),
             qRgb(250, 250, 250));
}

void tst_DownloadFileDelegate::emptyProgress_data()
{
    // Width 600 at 100 %: content 58..541, text edge 536, bar 369..519 on y 60.
    // Width 900 at 150 %: content 87..812, text edge 805, bar 555..780 on y 90.
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("y");
    QTest::addColumn<QList<int>>("onTrack");
    QTest::addColumn<QList<int>>("clear");
    QTest::newRow("100 %") << 100 << QSize(600, 120) << 60 << QList<int>{366, 450, 518, 522}
                           << QList<int>{362, 526, 535};
    QTest::newRow("150 %") << 150 << QSize(900, 180) << 90 << QList<int>{550, 700, 778, 785}
                           << QList<int>{545, 790, 804};
}

void tst_DownloadFileDelegate::emptyProgress()
{
    QFETCH(int, percent);
    QFETCH(QSize, size);
    QFETCH(int, y);
    QFETCH(QList<int>, onTrack);
    QFETCH(QList<int>, clear);
    setScale(percent);
    DownloadFileDelegate delegate(nullptr);
    History history;
    // The offset never moved: no percentage text, but the bar is drawn a
    // progress gap left of the text edge.
    const QModelIndex file = history.add("k", day20, R"("name":"a.7z","status":1,"fileSize":1000,"downloadOffset":0)");
    const QImage image = render(delegate, file, size);
    for (int x : onTrack)
        QCOMPARE(image.pixel(x, y), track);
    for (int x : clear)
        QCOMPARE(image.pixel(x, y), white);
}

void tst_DownloadFileDelegate::halfProgress()
{
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QModelIndex file = history.add("k", day20, R"("name":"a.7z","status":1,"fileSize":1000,"downloadOffset":500)");
    const QImage image = render(delegate, file, QSize(600, 120));
    const auto bar = runFrom(image, 200, 60);
    // The run is the 150-pixel track plus a 5-pixel round cap at each end.
    QVERIFY2(qAbs(bar.second - bar.first + 1 - 160) <= 1, qPrintable(QString("%1..%2").arg(bar.first).arg(bar.second)));
    int lastFill = -1;
    int firstTrack = -1;
    for (int x = bar.first; x <= bar.second; ++x) {
        if (image.pixel(x, 60) == fill)
            lastFill = x;
        if (firstTrack < 0 && image.pixel(x, 60) == track)
            firstTrack = x;
    }
    // Half of 150 is filled: the fill's cap ends 75 + 5 pixels past the bar's left end.
    const int barLeft = bar.first + 5;
    QVERIFY2(qAbs(lastFill - (barLeft + 80)) <= 2, qPrintable(QString::number(lastFill - barLeft)));
    QVERIFY(firstTrack > lastFill);
    QCOMPARE(image.pixel(barLeft + 2, 60), fill);
    QCOMPARE(image.pixel(barLeft + 148, 60), track);
}

void tst_DownloadFileDelegate::fullProgress_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("scanFrom");
    QTest::addColumn<int>("length");   // track plus both caps
    QTest::newRow("100 %") << 100 << QSize(600, 120) << 60 << 200 << 160;
    QTest::newRow("150 %") << 150 << QSize(900, 180) << 90 << 300 << 240;
}

void tst_DownloadFileDelegate::fullProgress()
{
    QFETCH(int, percent);
    QFETCH(QSize, size);
    QFETCH(int, y);
    QFETCH(int, scanFrom);
    QFETCH(int, length);
    setScale(percent);
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QModelIndex file = history.add("k", day20, R"("name":"a.7z","status":1,"fileSize":1000,"downloadOffset":1000)");
    const QImage image = render(delegate, file, size);
    const auto bar = runFrom(image, scanFrom, y);
    QVERIFY2(qAbs(bar.second - bar.first + 1 - length) <= 1, qPrintable(QString("%1..%2").arg(bar.first).arg(bar.second)));
    // Nothing of the track shows; away from the soft edges all is fill.
    for (int x = bar.first + 2; x <= bar.second - 2; ++x)
        QCOMPARE(image.pixel(x, y), fill);
}

void tst_DownloadFileDelegate::secondLine()
{
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QModelIndex failed = history.add("f", day20, R"("name":"a.7z","status":3,"fileSize":2048)");
    const QModelIndex done = history.add("d", day20 - 1, R"("name":"a.7z","status":2,"fileSize":2048,"fileExists":true)");
    auto red = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
    // Name from y 36 (the 48-pixel icon centred on 40..79), the second line
    // a font height and 16 pixels lower, starting at x 116.
    const QRect secondLine(116, 66, 300, 40);
    const QRect nameLine(116, 36, 300, 24);
    const QImage failedImage = render(delegate, failed, QSize(600, 120));
    QVERIFY(anyPixel(failedImage, secondLine, red));
    QVERIFY(!anyPixel(failedImage, nameLine, red));
    QVERIFY(!anyPixel(render(delegate, done, QSize(600, 120)), QRect(0, 0, 600, 120), red));
}

void tst_DownloadFileDelegate::nameColour()
{
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QString name = R"("name":"annual-report.pdf","status":2,"fileSize":2048,"fileExists":%1)";
    const QModelIndex present = history.add("p", day20, name.arg("true"));
    const QModelIndex missing = history.add("m", day20 - 1, name.arg("false"));
    const QRect nameLine(116, 36, 300, 24);
    auto dark = [](QRgb p) { return qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80; };
    auto ink = [](QRgb p) { return p != qRgb(255, 255, 255); };
    const QImage presentImage = render(delegate, present, QSize(600, 120));
    const QImage missingImage = render(delegate, missing, QSize(600, 120));
    QVERIFY(anyPixel(presentImage, nameLine, dark));
    QVERIFY(anyPixel(missingImage, nameLine, ink));
    QVERIFY(!anyPixel(missingImage, nameLine, dark));
    // The missing file offers no link: nothing is drawn at the link place.
    QVERIFY(anyPixel(presentImage, QRect(500, 50, 36, 19), ink));
    QVERIFY(!anyPixel(missingImage, QRect(500, 50, 36, 19), ink));
}

void tst_DownloadFileDelegate::separator_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("which");   // file of the history below
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("y");
    QTest::addColumn<QList<int>>("onRule");
    QTest::addColumn<QList<int>>("offRule");
    // History: day 20 holds "new" (downloading) and "old" (finished, with a link);
    // day 19 holds "last" (downloading) and "link" (finished, with a link).
    QTest::newRow("not the last file of its day") << 100 << "new" << QSize(600, 120) << 118
                                                  << QList<int>{58, 300, 541} << QList<int>{57, 542};
    QTest::newRow("last file of a day before an older day") << 100 << "old" << QSize(600, 120) << 118
                                                            << QList<int>{} << QList<int>{58, 300, 536};
    QTest::newRow("a link row ends the rule at the text edge") << 100 << "link" << QSize(600, 120) << 118
                                                               << QList<int>{58, 300, 536} << QList<int>{57, 537, 541};
    QTest::newRow("not the last file of the oldest day") << 100 << "last" << QSize(600, 120) << 118
                                                         << QList<int>{58, 300, 541} << QList<int>{57, 542};
    QTest::newRow("150 %") << 150 << "new" << QSize(900, 180) << 178 << QList<int>{87, 500, 812}
                           << QList<int>{86, 813};
}

void tst_DownloadFileDelegate::separator()
{
    QFETCH(int, percent);
    QFETCH(QString, which);
    QFETCH(QSize, size);
    QFETCH(int, y);
    QFETCH(QList<int>, onRule);
    QFETCH(QList<int>, offRule);
    setScale(percent);
    DownloadFileDelegate delegate(nullptr);
    History history;
    QMap<QString, QModelIndex> files;
    files["new"] = history.add("new", day20, R"("name":"a.7z","status":1,"fileSize":10)");
    files["old"] = history.add("old", day20 - 1, R"("name":"a.7z","status":2,"fileExists":true,"fileSize":10)");
    files["last"] = history.add("last", day19, R"("name":"a.7z","status":1,"fileSize":10)");
    files["link"] = history.add("link", day19 - 1, R"("name":"a.7z","status":2,"fileExists":true,"fileSize":10)");
    const QImage image = render(delegate, files.value(which), size);
    for (int x : onRule)
        QCOMPARE(image.pixel(x, y), rule);
    for (int x : offRule)
        QCOMPARE(image.pixel(x, y), white);
}

void tst_DownloadFileDelegate::hitTest_data()
{
    // Row 600 x 120 at 100 %: delete icon 529..541 x 14..26; link text right
    // edge 536, link top 50.
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QString>("action");   // what a click on the hit reports
    QTest::addColumn<int>("cursor");
    const QString done = R"("name":"a.pdf","status":2,"fileExists":true)";
    const QString gone = R"("name":"a.pdf","status":2,"fileExists":false)";
    const QString failed = R"("name":"a.pdf","status":3)";
    const QString running = R"("name":"a.pdf","status":1,"fileSize":100,"downloadOffset":40)";
    const QString fresh = R"("name":"a.pdf","status":0)";
    const int hand = Qt::PointingHandCursor;
    const int arrow = Qt::ArrowCursor;
    QTest::newRow("open in folder") << done << QPoint(530, 60) << "openfilefolder" << hand;
    QTest::newRow("link right edge") << done << QPoint(536, 60) << "openfilefolder" << hand;
    QTest::newRow("right of the link") << done << QPoint(537, 60) << QString() << arrow;
    QTest::newRow("above the link") << done << QPoint(530, 49) << QString() << arrow;
    QTest::newRow("file gone: no link") << gone << QPoint(530, 60) << QString() << arrow;
    QTest::newRow("redownload") << failed << QPoint(530, 60) << "redownloadfile" << hand;
    QTest::newRow("downloading: no link") << running << QPoint(530, 60) << QString() << arrow;
    QTest::newRow("status 0: no link") << fresh << QPoint(530, 60) << QString() << arrow;
    QTest::newRow("delete icon") << done << QPoint(535, 20) << "removedownloadfile" << hand;
    QTest::newRow("delete icon corner") << failed << QPoint(529, 14) << "removedownloadfile" << hand;
    QTest::newRow("delete icon far corner") << gone << QPoint(541, 26) << "removedownloadfile" << hand;
    QTest::newRow("delete while downloading") << running << QPoint(535, 20) << "removedownloadfile" << hand;
    QTest::newRow("left of delete") << done << QPoint(528, 20) << QString() << arrow;
    QTest::newRow("below delete") << done << QPoint(535, 27) << QString() << arrow;
    QTest::newRow("on the name") << done << QPoint(150, 50) << QString() << arrow;
}

void tst_DownloadFileDelegate::hitTest()
{
    QFETCH(QString, fields);
    QFETCH(QPoint, position);
    QFETCH(QString, action);
    QFETCH(int, cursor);
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QModelIndex file = history.add("the-key", day20, fields);
    Qt::CursorShape shape = Qt::WaitCursor;
    ILink *link = nullptr;
    delegate.getState(position, QRect(0, 0, 600, 120), file, shape, link);
    QScopedPointer<ILink> owned(link);
    QCOMPARE(int(shape), cursor);
    QCOMPARE(link ? link->action() : QString(), action);
    if (link) {
        QCOMPARE(link->key(), QString("the-key"));
        QCOMPARE(link->parent(), nullptr);
    }
    // The same place on a row further down the view hits the same way.
    ILink *moved = nullptr;
    Qt::CursorShape movedShape = Qt::WaitCursor;
    delegate.getState(position + QPoint(0, 360), QRect(0, 360, 600, 120), file, movedShape, moved);
    QScopedPointer<ILink> ownedMoved(moved);
    QCOMPARE(int(movedShape), cursor);
    QCOMPARE(moved ? moved->action() : QString(), action);
}

void tst_DownloadFileDelegate::hitTestDayRow()
{
    DownloadFileDelegate delegate(nullptr);
    History history;
    const QModelIndex day = history.add("k", day20, R"("name":"a.pdf","status":3)").parent();
    Qt::CursorShape shape = Qt::WaitCursor;
    ILink *link = nullptr;
    delegate.getState(QPoint(535, 20), QRect(0, 0, 600, 30), day, shape, link);
    QCOMPARE(shape, Qt::WaitCursor);
    QCOMPARE(link, nullptr);
}

QTEST_MAIN(tst_DownloadFileDelegate)
#include "tst_downloadfiledelegate.moc"
