// SPDX-License-Identifier: Apache-2.0
#include "host/demofiles.h"

#include <QImage>
#include <QRegularExpression>
#include <QtEndian>
#include <QtTest>

static quint32 le32(const QByteArray &b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
static quint16 le16(const QByteArray &b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }

class tst_DemoFiles : public QObject
{
    Q_OBJECT
private slots:
    void crc32_data();
    void crc32();
    void storedZipLayout();
    void archives_data();
    void archives();
    void pdfCrossReference();
    void mediaFiles();
};

void tst_DemoFiles::crc32_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("crc");
    QTest::newRow("empty") << QByteArray() << quint32(0);
    QTest::newRow("hi") << QByteArray("hi") << quint32(0xd8932aac);
    QTest::newRow("check value") << QByteArray("123456789") << quint32(0xcbf43926);
}

void tst_DemoFiles::crc32()
{
    QFETCH(QByteArray, data);
    QFETCH(quint32, crc);
    QCOMPARE(demofiles::crc32(data), crc);
}

void tst_DemoFiles::storedZipLayout()
{
    // 30-byte local header + "a.txt" + "hi", 46-byte directory entry + "a.txt", 22-byte end record
    const QByteArray zip = demofiles::storedZip({{"a.txt", "hi"}});
    QCOMPARE(zip.size(), 110);
    QCOMPARE(le32(zip, 0), quint32(0x04034b50));
    QCOMPARE(le16(zip, 8), quint16(0));              // stored
    QCOMPARE(le32(zip, 14), quint32(0xd8932aac));
    QCOMPARE(le32(zip, 18), quint32(2));
    QCOMPARE(le32(zip, 22), quint32(2));
    QCOMPARE(zip.mid(30, 7), QByteArray("a.txthi"));
    QCOMPARE(le32(zip, 37), quint32(0x02014b50));
    QCOMPARE(le32(zip, 37 + 42), quint32(0));        // local header offset
    QCOMPARE(zip.mid(37 + 46, 5), QByteArray("a.txt"));
    QCOMPARE(le32(zip, 88), quint32(0x06054b50));
    QCOMPARE(le16(zip, 88 + 10), quint16(1));        // entries
    QCOMPARE(le32(zip, 88 + 12), quint32(51));       // directory size
    QCOMPARE(le32(zip, 88 + 16), quint32(37));       // directory offset
}

void tst_DemoFiles::archives_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("docx") << "letter.docx" << QStringList{"[Content_Types].xml", "_rels/.rels", "word/document.xml"};
    QTest::newRow("xlsx") << "budget.xlsx" << QStringList{"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml",
                                                          "xl/_rels/workbook.xml.rels", "xl/worksheets/sheet1.xml"};
    QTest::newRow("zip") << "bundle.zip" << QStringList{"notes.txt", "picture.png"};
}

void tst_DemoFiles::archives()
{
    QFETCH(QString, file);
    QFETCH(QStringList, entries);
    QByteArray zip;
    for (const DemoFile &f : demofiles::all())
        if (f.name == file)
            zip = f.bytes;
    QVERIFY(!zip.isEmpty());
    // Walk the archive the way an unzip does: from the end record through
    // the directory to every local header and its data.
    const int end = zip.size() - 22;
    QCOMPARE(le32(zip, end), quint32(0x06054b50));
    int at = int(le32(zip, end + 16));
    QStringList names;
    for (int i = 0; i < le16(zip, end + 10); ++i) {
        QCOMPARE(le32(zip, at), quint32(0x02014b50));
        const int nameLength = le16(zip, at + 28);
        const QByteArray name = zip.mid(at + 46, nameLength);
        const int local = int(le32(zip, at + 42));
        QCOMPARE(le32(zip, local), quint32(0x04034b50));
        QCOMPARE(zip.mid(local + 30, le16(zip, local + 26)), name);
        const QByteArray data = zip.mid(local + 30 + le16(zip, local + 26) + le16(zip, local + 28), int(le32(zip, local + 18)));
        QCOMPARE(demofiles::crc32(data), le32(zip, at + 16));
        if (name.endsWith(".xml") || name.endsWith(".rels"))
            QVERIFY2(data.startsWith("<?xml"), name.constData());
        names << QString::fromUtf8(name);
        at += 46 + nameLength;
    }
    QCOMPARE(at, end);
    QCOMPARE(names, entries);
}

void tst_DemoFiles::pdfCrossReference()
{
    const QByteArray pdf = demofiles::pdf();
    QVERIFY(pdf.startsWith("%PDF-1.4\n"));
    QVERIFY(pdf.endsWith("%%EOF\n"));
    const QRegularExpressionMatch start = QRegularExpression("startxref\n(\\d+)\n").match(QString::fromLatin1(pdf));
    QVERIFY(start.hasMatch());
    const int xref = start.captured(1).toInt();
    QVERIFY(pdf.mid(xref).startsWith("xref\n0 6\n0000000000 65535 f \n"));
    // every entry points at the object it numbers
    for (int object = 1; object <= 5; ++object) {
        const QByteArray entry = pdf.mid(xref + 9 + 20 * object, 20);
        QVERIFY2(entry.endsWith(" 00000 n \n"), entry.constData());
        const int offset = entry.left(10).toInt();
        QVERIFY2(pdf.mid(offset).startsWith(QByteArray::number(object) + " 0 obj\n"), qPrintable(QString::number(object)));
    }
    // the content stream is as long as it says
    const QRegularExpressionMatch length = QRegularExpression("/Length (\\d+) >>\nstream\n").match(QString::fromLatin1(pdf));
    QVERIFY(length.hasMatch());
    const int streamStart = length.capturedEnd();
    QCOMPARE(pdf.mid(streamStart + length.captured(1).toInt(), 9), QByteArray("endstream"));
}

void tst_DemoFiles::mediaFiles()
{
    QImage picture;
    QVERIFY(picture.loadFromData(demofiles::png(), "PNG"));
    QCOMPARE(picture.size(), QSize(320, 200));

    const QByteArray tone = demofiles::mp3(3);
    QCOMPARE(tone.size(), 3 * 417);
    for (int frame = 0; frame < 3; ++frame)
        QCOMPARE(tone.mid(frame * 417, 4), QByteArray("\xff\xfb\x90\xc4"));
}

QTEST_MAIN(tst_DemoFiles)
#include "tst_demofiles.moc"
