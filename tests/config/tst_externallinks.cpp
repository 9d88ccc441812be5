// SPDX-License-Identifier: Apache-2.0
#include "config/externallinks.h"

#include <QUrl>
#include <QtTest>

Q_DECLARE_METATYPE(ExternalLinks::Decision)

class tst_ExternalLinks : public QObject
{
    Q_OBJECT
private slots:
    void decide_data();
    void decide();
    void question_data();
    void question();
};

void tst_ExternalLinks::decide_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("allowed");   // as the "externalSchemes" key stores it
    QTest::addColumn<ExternalLinks::Decision>("decision");
    QTest::newRow("https") << "https://example.org/" << QStringList{"none"} << ExternalLinks::Show;
    QTest::newRow("about") << "about:blank" << QStringList() << ExternalLinks::Show;
    QTest::newRow("blob") << "blob:https://example.org/1" << QStringList() << ExternalLinks::Show;
    QTest::newRow("file is the browser's own") << "file:///tmp/a.txt" << QStringList() << ExternalLinks::Show;
    QTest::newRow("mailto asks") << "mailto:a@example.org" << QStringList() << ExternalLinks::Ask;
    QTest::newRow("tel, other schemes allowed") << "tel:+100" << QStringList{"mailto"} << ExternalLinks::Ask;
    QTest::newRow("allowed ahead") << "tel:+100" << QStringList{"mailto", "tel"} << ExternalLinks::Open;
    QTest::newRow("allowed, any case") << "MAILTO:a@example.org" << QStringList{"mailto"} << ExternalLinks::Open;
    QTest::newRow("an application's scheme") << "x-app:open/1" << QStringList() << ExternalLinks::Ask;
    QTest::newRow("none") << "mailto:a@example.org" << QStringList{"none"} << ExternalLinks::Refuse;
}

void tst_ExternalLinks::decide()
{
    QFETCH(QString, url);
    QFETCH(QStringList, allowed);
    QTEST(ExternalLinks::decide(QUrl(url), allowed), "decision");
}

void tst_ExternalLinks::question_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("asker");   // the asking page's origin
    QTest::addColumn<QString>("question");
    QTest::newRow("mailto") << "mailto:alice@example.org?subject=hi" << ""
                            << "Open this mailto: link with another application?\nalice@example.org?subject=hi";
    QTest::newRow("application scheme") << "X-App://open/thing" << "" << "Open this x-app: link with another application?\n//open/thing";
    // 200 characters: the first 60 and the last 59 around an ellipsis
    QTest::newRow("long") << "tel:" + QString(100, 'a') + QString(100, 'b') << ""
                          << "Open this tel: link with another application?\n" + QString(60, 'a') + QChar(0x2026) + QString(59, 'b');
    QTest::newRow("who asks") << "x-app:run" << "http://localhost:8080"
                              << "Open this x-app: link with another application?\nrun\nAsked by http://localhost:8080";
    // A right-to-left override would show "invoice<RLO>fdp.exe" as "invoiceexe.pdf".
    QTest::newRow("bidi override shown as its escape") << QString("x-app:invoice") + QChar(0x202e) + "fdp.exe" << ""
                              << "Open this x-app: link with another application?\ninvoice%E2%80%AEfdp.exe";
    QTest::newRow("isolates and marks too") << QString("x-app:a") + QChar(0x2067) + "b" + QChar(0x200f) + "c" << ""
                              << "Open this x-app: link with another application?\na%E2%81%A7b%E2%80%8Fc";
    QTest::newRow("a line break") << "x-app:one%0Atwo" << ""
                              << "Open this x-app: link with another application?\none%0Atwo";
}

void tst_ExternalLinks::question()
{
    QFETCH(QString, url);
    QFETCH(QString, asker);
    QTEST(ExternalLinks::question(QUrl(url), asker), "question");
}

QTEST_APPLESS_MAIN(tst_ExternalLinks)
#include "tst_externallinks.moc"
