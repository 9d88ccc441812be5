// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "downloads/modelitemfile.h"
#include "resources/resource.h"

#include <QFont>
#include <QFontMetrics>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QtTest>

using IconGetter = QPixmap *(Resource::*)();
Q_DECLARE_METATYPE(IconGetter)

namespace {

QJsonObject record(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

} // namespace

class tst_ModelItemFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { VellChatWBConfigure::init(); }
    void formatSizeText_data();
    void formatSizeText();
    void recordFields();
    void recordFieldConversions_data();
    void recordFieldConversions();
    void recordForAnotherKey();
    void missingFieldsStay();
    void fileSizeZeroLeavesTextEmpty();
    void percentage_data();
    void percentage();
    void sameOffsetKeepsPercentage();
    void iconByEnding_data();
    void iconByEnding();
    void grayIcon_data();
    void grayIcon();
    void nameTextShortName();
    void nameTextFits();
    void nameTextElided_data();
    void nameTextElided();
    void nameTextCacheFollowsWidth();
};

void tst_ModelItemFile::formatSizeText_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << quint64(0) << "0.0 B";
    QTest::newRow("largest byte count") << quint64(1023) << "1023.0 B";
    QTest::newRow("one KB") << quint64(1024) << "1.0 KB";
    QTest::newRow("truncated not rounded") << quint64(1500) << "1.4 KB";
    QTest::newRow("just under a MB") << quint64(1048575) << "1023.9 KB";
    QTest::newRow("installer") << quint64(64948616) << "61.9 MB";
    QTest::newRow("87 MB") << quint64(91566651) << "87.3 MB";
    QTest::newRow("one GB") << quint64(1073741824) << "1.0 GB";
    QTest::newRow("three TB stay GB") << quint64(3298534883328) << "3072.0 GB";
    // 2^64 - 1 bytes is 17179869184 GB less one byte: ten times it must not wrap.
    QTest::newRow("largest value") << quint64(18446744073709551615ULL) << "17179869183.9 GB";
}

void tst_ModelItemFile::formatSizeText()
{
    QFETCH(quint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(formatSize(bytes), text);
}

void tst_ModelItemFile::recordFields()
{
    ModelItemFile file("034430106b1456491f537ede8ab300af");
    file.fromJson(record(R"({"createTime":1526809226485,"downloadOffset":0,"fileExists":true,)"
                         R"("fileSize":64948616,"key":"034430106b1456491f537ede8ab300af",)"
                         R"("name":"VellChatSetup.exe","status":2,"updateTime":1526809226999})"));
    QCOMPARE(file.key(), QString("034430106b1456491f537ede8ab300af"));
    QCOMPARE(file.name(), QString("VellChatSetup.exe"));
    QCOMPARE(file.createTime(), quint64(1526809226485));
    QCOMPARE(file.updateTime(), quint64(1526809226999));
    QCOMPARE(file.fileSize(), quint64(64948616));
    QCOMPARE(file.fileSizeText(), QString("61.9 MB"));
    QCOMPARE(file.status(), ModelItemFile::StatusSuccess);
    QCOMPARE(file.downloadOffset(), quint64(0));
    QCOMPARE(file.fileExists(), true);
    QCOMPARE(file.icon(), Resource::ShareInstance()->otherIcon());
    QCOMPARE(file.downloadOffsetText(), QString());
    QCOMPARE(file.compareValue(), quint64(1526809226485));
    QCOMPARE(file.itemType(), 2);
}

void tst_ModelItemFile::recordFieldConversions_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<quint64>("createTime");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("numbers") << R"({"key":"k","createTime":42,"status":3,"fileExists":true})"
                             << quint64(42) << 3 << true;
    QTest::newRow("time as a numeric string")
        << R"({"key":"k","createTime":"1526809226485","status":1,"fileExists":true})"
        << quint64(1526809226485) << 1 << true;
    QTest::newRow("fractional status reads 0") << R"({"key":"k","createTime":7,"status":1.5,"fileExists":true})"
                                               << quint64(7) << 0 << true;
    QTest::newRow("text status reads 0") << R"({"key":"k","createTime":7,"status":"2","fileExists":true})"
                                         << quint64(7) << 0 << true;
    QTest::newRow("time that does not convert") << R"({"key":"k","createTime":"soon","status":2,"fileExists":true})"
                                                << quint64(0) << 2 << true;
    QTest::newRow("non-boolean fileExists reads false")
        << R"({"key":"k","createTime":1,"status":2,"fileExists":1})" << quint64(1) << 2 << false;
    QTest::newRow("unknown status kept") << R"({"key":"k","createTime":1,"status":9,"fileExists":false})"
                                         << quint64(1) << 9 << false;
}

void tst_ModelItemFile::recordFieldConversions()
{
    QFETCH(QString, json);
    QFETCH(quint64, createTime);
    QFETCH(int, status);
    QFETCH(bool, fileExists);
    ModelItemFile file("k");
    file.fromJson(record(json.toUtf8().constData()));
    QCOMPARE(file.createTime(), createTime);
    QCOMPARE(int(file.status()), status);
    QCOMPARE(file.fileExists(), fileExists);
}

void tst_ModelItemFile::recordForAnotherKey()
{
    ModelItemFile file("mine");
    file.fromJson(record(R"({"key":"mine","name":"a.pdf","fileSize":1024,"status":1})"));
    file.fromJson(record(R"({"key":"other","name":"b.zip","fileSize":2048,"status":3,"fileExists":false})"));
    QCOMPARE(file.name(), QString("a.pdf"));
    QCOMPARE(file.fileSize(), quint64(1024));
    QCOMPARE(file.status(), ModelItemFile::StatusDownloading);
    QCOMPARE(file.fileExists(), true);
    // A record without "key" is for the file with an empty key only.
    file.fromJson(record(R"({"name":"c.txt"})"));
    QCOMPARE(file.name(), QString("a.pdf"));
}

void tst_ModelItemFile::missingFieldsStay()
{
    ModelItemFile file("k");
    file.fromJson(record(R"({"key":"k","name":"a.pdf","createTime":5,"updateTime":6,"fileSize":1000,)"
                         R"("status":1,"downloadOffset":250,"fileExists":true})"));
    file.fromJson(record(R"({"key":"k"})"));
    QCOMPARE(file.name(), QString("a.pdf"));
    QCOMPARE(file.createTime(), quint64(5));
    QCOMPARE(file.updateTime(), quint64(6));
    QCOMPARE(file.fileSize(), quint64(1000));
    QCOMPARE(file.status(), ModelItemFile::StatusDownloading);
    QCOMPARE(file.downloadOffset(), quint64(250));
    QCOMPARE(file.downloadOffsetText(), QString("25 %"));
}

void tst_ModelItemFile::fileSizeZeroLeavesTextEmpty()
{
    ModelItemFile file("k");
    file.fromJson(record(R"({"key":"k","fileSize":0})"));
    QCOMPARE(file.fileSizeText(), QString());
    file.setFileSize(1);
    QCOMPARE(file.fileSizeText(), QString("1.0 B"));
    file.setFileSize(0);
    QCOMPARE(file.fileSizeText(), QString("0.0 B"));
}

void tst_ModelItemFile::percentage_data()
{
    QTest::addColumn<quint64>("size");
    QTest::addColumn<quint64>("offset");
    QTest::addColumn<float>("percent");
    QTest::addColumn<QString>("text");
    QTest::newRow("one decimal") << quint64(1000) << quint64(453) << 45.3f << "45.3 %";
    QTest::newRow("truncated permille") << quint64(3) << quint64(1) << 33.3f << "33.3 %";
    QTest::newRow("smallest step") << quint64(10000) << quint64(10) << 0.1f << "0.1 %";
    QTest::newRow("below a step") << quint64(10000) << quint64(9) << 0.0f << "0 %";
    QTest::newRow("complete") << quint64(64948616) << quint64(64948616) << 100.0f << "100 %";
    QTest::newRow("offset past size") << quint64(100) << quint64(250) << 100.0f << "100 %";
    QTest::newRow("huge offset does not wrap") << quint64(1000) << quint64(18446744073709551615ULL) << 100.0f
                                               << "100 %";
    QTest::newRow("no size yet") << quint64(0) << quint64(500) << 0.0f << QString();
}

void tst_ModelItemFile::percentage()
{
    QFETCH(quint64, size);
    QFETCH(quint64, offset);
    QFETCH(float, percent);
    QFETCH(QString, text);
    ModelItemFile file("k");
    file.setFileSize(size);
    file.setDownloadOffset(offset);
    QCOMPARE(file.downloadOffset(), offset);
    QCOMPARE(file.downloadPercent(), percent);
    QCOMPARE(file.downloadOffsetText(), text);
}

void tst_ModelItemFile::sameOffsetKeepsPercentage()
{
    ModelItemFile file("k");
    file.fromJson(record(R"({"key":"k","fileSize":1000,"downloadOffset":500})"));
    QCOMPARE(file.downloadOffsetText(), QString("50 %"));
    // The size doubles but the offset is unchanged: nothing is recomputed.
    file.fromJson(record(R"({"key":"k","fileSize":2000,"downloadOffset":500})"));
    QCOMPARE(file.downloadPercent(), 50.0f);
    QCOMPARE(file.downloadOffsetText(), QString("50 %"));
    // A new offset is measured against the new size.
    file.fromJson(record(R"({"key":"k","fileSize":4000,"downloadOffset":1000})"));
    QCOMPARE(file.downloadOffsetText(), QString("25 %"));
    // Offset zero on a fresh file never produces a text.
    ModelItemFile fresh("f");
    fresh.fromJson(record(R"({"key":"f","fileSize":4000,"downloadOffset":0})"));
    QCOMPARE(fresh.downloadOffsetText(), QString());
    QCOMPARE(fresh.downloadPercent(), 0.0f);
}

void tst_ModelItemFile::iconByEnding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<IconGetter>("icon");
    QTest::newRow("ppt") << "slides.ppt" << IconGetter(&Resource::pptIcon);
    QTest::newRow("pptx") << "slides.pptx" << IconGetter(&Resource::pptIcon);
    QTest::newRow("doc") << "letter.doc" << IconGetter(&Resource::docIcon);
    QTest::newRow("docx") << "letter.docx" << IconGetter(&Resource::docIcon);
    QTest::newRow("xls") << "sheet.xls" << IconGetter(&Resource::xlsIcon);
    QTest::newRow("xlsx") << "sheet.xlsx" << IconGetter(&Resource::xlsIcon);
    QTest::newRow("pdf") << "paper.pdf" << IconGetter(&Resource::pdfIcon);
    QTest::newRow("rar") << "a.rar" << IconGetter(&Resource::rarIcon);
    QTest::newRow("zip") << "a.zip" << IconGetter(&Resource::rarIcon);
    QTest::newRow("7z") << "a.7z" << IconGetter(&Resource::rarIcon);
    QTest::newRow("tar") << "a.tar" << IconGetter(&Resource::rarIcon);
    QTest::newRow("tar.gz") << "source-1.2.tar.gz" << IconGetter(&Resource::rarIcon);
    QTest::newRow("plain gz") << "log.gz" << IconGetter(&Resource::otherIcon);
    QTest::newRow("xz") << "a.xz" << IconGetter(&Resource::rarIcon);
    QTest::newRow("mp3") << "song.mp3" << IconGetter(&Resource::audioIcon);
    QTest::newRow("wav") << "song.wav" << IconGetter(&Resource::audioIcon);
    QTest::newRow("img") << "disk.img" << IconGetter(&Resource::imgIcon);
    QTest::newRow("png") << "shot.png" << IconGetter(&Resource::imgIcon);
    QTest::newRow("gif") << "anim.gif" << IconGetter(&Resource::imgIcon);
    QTest::newRow("jpg") << "photo.jpg" << IconGetter(&Resource::imgIcon);
    QTest::newRow("jpeg is not jpg") << "photo.jpeg" << IconGetter(&Resource::otherIcon);
    QTest::newRow("mp4") << "clip.mp4" << IconGetter(&Resource::videoIcon);
    QTest::newRow("txt") << "notes.txt" << IconGetter(&Resource::txtIcon);
    QTest::newRow("log") << "run.log" << IconGetter(&Resource::txtIcon);
    QTest::newRow("upper case PDF") << "PAPER.PDF" << IconGetter(&Resource::otherIcon);
    QTest::newRow("upper case Zip") << "a.Zip" << IconGetter(&Resource::otherIcon);
    QTest::newRow("no ending") << "README" << IconGetter(&Resource::otherIcon);
    QTest::newRow("ending only in the middle") << "a.pdf.exe" << IconGetter(&Resource::otherIcon);
}

void tst_ModelItemFile::iconByEnding()
{
    QFETCH(QString, name);
    QFETCH(IconGetter, icon);
    ModelItemFile file("k");
    QCOMPARE(file.icon(), static_cast<QPixmap *>(nullptr));
    // Status and presence do not matter to setName: always the coloured icon.
    file.setStatus(ModelItemFile::StatusSuccess);
    file.setFileExists(false);
    file.setName(name);
    QCOMPARE(file.icon(), (Resource::ShareInstance()->*icon)());
}

void tst_ModelItemFile::grayIcon_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<IconGetter>("icon");
    QTest::newRow("finished and gone") << R"({"key":"k","name":"a.pdf","status":2,"fileExists":false})"
                                       << IconGetter(&Resource::pdfGrayIcon);
    QTest::newRow("archive gone") << R"({"key":"k","name":"a.tar.gz","status":2,"fileExists":false})"
                                  << IconGetter(&Resource::rarGrayIcon);
    QTest::newRow("unknown type gone") << R"({"key":"k","name":"a.bin","status":2,"fileExists":false})"
                                       << IconGetter(&Resource::otherGrayIcon);
    QTest::newRow("failed and gone") << R"({"key":"k","name":"a.pdf","status":3,"fileExists":false})"
                                     << IconGetter(&Resource::pdfIcon);
    QTest::newRow("downloading and gone") << R"({"key":"k","name":"a.pdf","status":1,"fileExists":false})"
                                          << IconGetter(&Resource::pdfIcon);
    QTest::newRow("finished and present") << R"({"key":"k","name":"a.pdf","status":2,"fileExists":true})"
                                          << IconGetter(&Resource::pdfIcon);
}

void tst_ModelItemFile::grayIcon()
{
    QFETCH(QString, json);
    QFETCH(IconGetter, icon);
    ModelItemFile file("k");
    file.fromJson(record(json.toUtf8().constData()));
    QCOMPARE(file.icon(), (Resource::ShareInstance()->*icon)());
}

void tst_ModelItemFile::nameTextShortName()
{
    ModelItemFile file("k");
    file.setName("a.7z");
    const QFontMetrics metrics(VellChatWBConfigure::font());
    QCOMPARE(file.nameText(0, metrics), QString("a.7z"));
    QCOMPARE(file.nameText(-5, metrics), QString("a.7z"));
}

void tst_ModelItemFile::nameTextFits()
{
    ModelItemFile file("k");
    file.setName("report.pdf");
    const QFontMetrics metrics(VellChatWBConfigure::font());
    QCOMPARE(file.nameText(10000, metrics), QString("report.pdf"));
}

void tst_ModelItemFile::nameTextElided_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    const QString longName = "quarterly-financial-statement-final-version.xlsx";
    QTest::newRow("room for some") << longName << 150;
    QTest::newRow("room for a little") << longName << 90;
    QTest::newRow("no room") << longName << 1;
    QTest::newRow("zero width") << longName << 0;
    QTest::newRow("negative width") << longName << -40;
    QTest::newRow("five characters") << "a.pdf" << 1;
    QTest::newRow("seven characters") << "abc.zip" << 1;
    QTest::newRow("nine characters") << "abcde.zip" << 1;
}

void tst_ModelItemFile::nameTextElided()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    ModelItemFile file("k");
    file.setName(name);
    const QFontMetrics metrics(VellChatWBConfigure::font());
    const QString text = file.nameText(width, metrics);
    const QString tail = name.right(5);
    QVERIFY2(text.endsWith("..." + tail), qPrintable(text));
    const QString head = text.left(text.size() - 8);
    QVERIFY2(name.startsWith(head), qPrintable(text));
    QVERIFY(head.size() <= qMax(0, name.size() - 6));
    // Whatever it keeps of the head fits and one more character would not,
    // give or take the kerning between reordered characters.
    if (!head.isEmpty())
        QVERIFY(metrics.horizontalAdvance(text) <= width + 2);
    if (width > 0 && metrics.horizontalAdvance("..." + tail) <= width) {
        const QString longer = name.left(head.size() + 1) + "..." + tail;
        QVERIFY2(metrics.horizontalAdvance(longer) >= width - 2, qPrintable(text));
    }
    // The same width and metrics give the same text again.
    QCOMPARE(file.nameText(width, metrics), text);
}

void tst_ModelItemFile::nameTextCacheFollowsWidth()
{
    ModelItemFile file("k");
    file.setName("quarterly-financial-statement-final-version.xlsx");
    const QFontMetrics metrics(VellChatWBConfigure::font());
    const QString narrow = file.nameText(100, metrics);
    const QString wide = file.nameText(250, metrics);
    QVERIFY(wide.size() > narrow.size());
    QCOMPARE(file.nameText(100, metrics), narrow);
    file.setName("another-rather-long-file-name.docx");
    QVERIFY(file.nameText(100, metrics).endsWith("....docx"));
}

QTEST_MAIN(tst_ModelItemFile)
#include "tst_modelitemfile.moc"
