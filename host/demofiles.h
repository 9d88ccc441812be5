// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// One file the demo site offers for download.
struct DemoFile
{
    QString name;
    QByteArray mimeType;
    QByteArray bytes;
    QString description;
};

// Small but genuine files of the common kinds, made in memory, so that a
// person who opens a downloaded file finds a real document, not noise.
namespace demofiles {

// report.pdf, letter.docx, budget.xlsx, bundle.zip, picture.png, tone.mp3, notes.txt
QList<DemoFile> all();
QByteArray notesText();
QByteArray pdf();
QByteArray docx();
QByteArray xlsx();
QByteArray png();
QByteArray mp3(int frames);
// An archive that stores its entries uncompressed, which every unzip reads.
QByteArray storedZip(const QList<QPair<QByteArray, QByteArray>> &entries);
quint32 crc32(const QByteArray &data);

}
