// SPDX-License-Identifier: Apache-2.0
#include "host/demofiles.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QtEndian>
#include <array>

namespace demofiles {

quint32 crc32(const QByteArray &data)
{
    static const auto table = [] {
        std::array<quint32, 256> t {};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

static void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

static void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

QByteArray storedZip(const QList<QPair<QByteArray, QByteArray>> &entries)
{
    // 2024-01-01 12:00 in the MS-DOS form the format keeps.
    const quint16 dosTime = 12 << 11;
    const quint16 dosDate = ((2024 - 1980) << 9) | (1 << 5) | 1;
    QByteArray out;
    QByteArray directory;
    for (const auto &entry : entries) {
        const quint32 offset = quint32(out.size());
        const quint32 crc = crc32(entry.second);
        const quint32 size = quint32(entry.second.size());
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0);
        put16(out, 0);   // stored
        put16(out, dosTime);
        put16(out, dosDate);
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, quint16(entry.first.size()));
        put16(out, 0);
        out.append(entry.first);
        out.append(entry.second);

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, dosTime);
        put16(directory, dosDate);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        put16(directory, quint16(entry.first.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory.append(entry.first);
    }
    const quint32 directoryOffset = quint32(out.size());
    out.append(directory);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

QByteArray notesText()
{
    return QByteArrayLiteral("Demo notes\n"
                             "==========\n"
                             "This file was served by the reference host's demo site\n"
                             "and saved by the host itself, not by the browser.\n");
}

QByteArray pdf()
{
    const QByteArray content = "BT /F1 28 Tf 72 760 Td (Quarterly report) Tj ET\n"
                               "BT /F1 14 Tf 72 720 Td (A one-page sample from the demo site.) Tj ET\n";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    QByteArray out = "%PDF-1.4\n";
    QList<int> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets.append(out.size());
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const int xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const int offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

static const QByteArray kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
static const QByteArray kRelsType = "application/vnd.openxmlformats-package.relationships+xml";
static const QByteArray kOfficeDocument = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";

static QByteArray contentTypes(const QList<QPair<QByteArray, QByteArray>> &overrides)
{
    QByteArray xml = kXmlHead + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                "<Default Extension=\"rels\" ContentType=\"" + kRelsType + "\"/>"
                                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    for (const auto &o : overrides)
        xml += "<Override PartName=\"" + o.first + "\" ContentType=\"" + o.second + "\"/>";
    return xml + "</Types>";
}

static QByteArray relationships(const QByteArray &type, const QByteArray &target)
{
    return kXmlHead + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"" + type + "\" Target=\"" + target + "\"/></Relationships>";
}

QByteArray docx()
{
    QByteArray body;
    for (const char *line : {"Dear reader,", "this letter came from the demo site of the reference host.", "Kind regards"})
        body += QByteArray("<w:p><w:r><w:t>") + line + "</w:t></w:r></w:p>";
    const QByteArray document = kXmlHead + "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                                           "<w:body>" + body + "</w:body></w:document>";
    return storedZip({
        {"[Content_Types].xml", contentTypes({{"/word/document.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"}})},
        {"_rels/.rels", relationships(kOfficeDocument, "word/document.xml")},
        {"word/document.xml", document},
    });
}

QByteArray xlsx()
{
    const QByteArray ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray workbook = kXmlHead + "<workbook xmlns=\"" + ns + "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                           "<sheets><sheet name=\"Budget\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    QByteArray rows;
    const QList<QPair<QByteArray, int>> items = {{"Coffee", 42}, {"Paper", 17}, {"Stickers", 8}};
    rows += "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Item</t></is></c><c r=\"B1\" t=\"inlineStr\"><is><t>Amount</t></is></c></row>";
    for (int i = 0; i < items.size(); ++i) {
        const QByteArray r = QByteArray::number(i + 2);
        rows += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"inlineStr\"><is><t>" + items.at(i).first + "</t></is></c>"
                "<c r=\"B" + r + "\"><v>" + QByteArray::number(items.at(i).second) + "</v></c></row>";
    }
    const QByteArray sheet = kXmlHead + "<worksheet xmlns=\"" + ns + "\"><sheetData>" + rows + "</sheetData></worksheet>";
    return storedZip({
        {"[Content_Types].xml", contentTypes({{"/xl/workbook.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"},
                                              {"/xl/worksheets/sheet1.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"}})},
        {"_rels/.rels", relationships(kOfficeDocument, "xl/workbook.xml")},
        {"xl/workbook.xml", workbook},
        {"xl/_rels/workbook.xml.rels", relationships("http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet", "worksheets/sheet1.xml")},
        {"xl/worksheets/sheet1.xml", sheet},
    });
}

QByteArray png()
{
    QImage image(320, 200, QImage::Format_ARGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, QColor(120, 180, 240));
    sky.setColorAt(1, QColor(230, 240, 250));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 200, 60));
    painter.drawEllipse(QPointF(250, 55), 28, 28);
    painter.setBrush(QColor(70, 130, 90));
    painter.drawPolygon(QPolygonF({QPointF(0, 200), QPointF(90, 100), QPointF(180, 200)}));
    painter.setBrush(QColor(50, 105, 75));
    painter.drawPolygon(QPolygonF({QPointF(110, 200), QPointF(220, 85), QPointF(320, 200)}));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray mp3(int frames)
{
    // MPEG-1 layer III, 128 kbit/s, 44.1 kHz, mono: 417-byte frames. A frame
    // whose side information is all zero carries no audio data: silence.
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0xC4);
    QByteArray out;
    for (int i = 0; i < frames; ++i)
        out += frame;
    return out;
}

QList<DemoFile> all()
{
    const QByteArray picture = png();
    return {
        {QStringLiteral("report.pdf"), "application/pdf", pdf(), QStringLiteral("One-page report")},
        {QStringLiteral("letter.docx"), "application/vnd.openxmlformats-officedocument.wordprocessingml.document", docx(), QStringLiteral("Word letter")},
        {QStringLiteral("budget.xlsx"), "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", xlsx(), QStringLiteral("Spreadsheet")},
        {QStringLiteral("bundle.zip"), "application/zip", storedZip({{"notes.txt", notesText()}, {"picture.png", picture}}), QStringLiteral("Archive of two files")},
        {QStringLiteral("picture.png"), "image/png", picture, QStringLiteral("Landscape picture")},
        {QStringLiteral("tone.mp3"), "audio/mpeg", mp3(77), QStringLiteral("Two seconds of silence")},
        {QStringLiteral("notes.txt"), "text/plain; charset=utf-8", notesText(), QStringLiteral("Plain text")},
    };
}

}
