// SPDX-License-Identifier: Apache-2.0
#include "web/pagedownloads.h"

#include <QtTest>

// What the host is told of a download a page started.
class tst_PageDownloads : public QObject
{
    Q_OBJECT
private slots:
    void cleanName_data();
    void cleanName();
};

void tst_PageDownloads::cleanName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("clean");
    QTest::newRow("plain") << "report.pdf" << "report.pdf";
    QTest::newRow("right-to-left override") << QString::fromUtf8("invoice\u202Efdp.exe") << "invoicefdp.exe";
    QTest::newRow("every embedding and override") << QString::fromUtf8("a\u202A\u202B\u202C\u202D\u202Eb.txt") << "ab.txt";
    QTest::newRow("isolates") << QString::fromUtf8("\u2066a\u2067b\u2068c\u2069.txt") << "abc.txt";
    QTest::newRow("direction marks") << QString::fromUtf8("a\u200Eb\u200Fc\u061C.txt") << "abc.txt";
    QTest::newRow("line breaks") << "two\r\nlines\n.txt" << "twolines.txt";
    QTest::newRow("line and paragraph separators") << QString::fromUtf8("a\u2028b\u2029.txt") << "ab.txt";
    QTest::newRow("NUL") << QString::fromLatin1("a\0b.txt", 7) << "ab.txt";
    QTest::newRow("tab, escape and DEL") << "a\tb\x1b[31mc\x7f.txt" << "ab[31mc.txt";
    QTest::newRow("C1 controls") << QString::fromUtf8("a\u0085b\u009bc.txt") << "abc.txt";
    QTest::newRow("letters of other scripts") << QString::fromUtf8("Grüße отчёт 報告.txt") << QString::fromUtf8("Grüße отчёт 報告.txt");
    QTest::newRow("Arabic and Hebrew") << QString::fromUtf8("تقرير שלום.pdf") << QString::fromUtf8("تقرير שלום.pdf");
    QTest::newRow("emoji joined by ZWJ") << QString::fromUtf8("👩\u200D💻.png") << QString::fromUtf8("👩\u200D💻.png");
    QTest::newRow("nothing left") << QString::fromUtf8("\u202E\n") << "";
}

void tst_PageDownloads::cleanName()
{
    QFETCH(QString, name);
    QTEST(PageDownloads::cleanName(name), "clean");
}

QTEST_GUILESS_MAIN(tst_PageDownloads)
#include "tst_pagedownloads.moc"
