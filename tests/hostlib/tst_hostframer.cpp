// SPDX-License-Identifier: Apache-2.0
#include "hostlib/hostframer.h"

#include <QtTest>

using namespace ChannelWebBrowser;

// "category|subcommand|payload" for each message, for easy comparison.
static QStringList flatten(const QList<HostMessage> &messages)
{
    QStringList out;
    for (const HostMessage &m : messages)
        out << m.category + QLatin1Char('|') + m.subcommand + QLatin1Char('|') + QString::fromUtf8(m.payload);
    return out;
}

class tst_HostFramer : public QObject
{
    Q_OBJECT
private slots:
    void splitReads_data();
    void splitReads();
    void garbage_data();
    void garbage();
    void encode_data();
    void encode();
    void runawayTail();
    void copiesGoOnAlone();
};

void tst_HostFramer::splitReads_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("tail");

    QTest::newRow("one read") << QByteArrayList{"webfile:getFileList:azE=;"}
                              << QStringList{"webfile|getFileList|k1"} << QByteArray();
    QTest::newRow("cut in the category") << QByteArrayList{"web", "file:getFileList:azE=;"}
                                         << QStringList{"webfile|getFileList|k1"} << QByteArray();
    QTest::newRow("cut in the payload") << QByteArrayList{"webfile:getFileList:az", "E=;"}
                                        << QStringList{"webfile|getFileList|k1"} << QByteArray();
    QTest::newRow("cut before the semicolon") << QByteArrayList{"feedback:refresh:", ";"}
                                              << QStringList{"feedback|refresh|"} << QByteArray();
    QTest::newRow("byte by byte") << QByteArrayList{"f", "e", "e", "d", "b", "a", "c", "k", ":", "s", "h", "a", "r", "e", ":", ";"}
                                  << QStringList{"feedback|share|"} << QByteArray();
    QTest::newRow("two in one read, half of a third")
        << QByteArrayList{"feedback:refresh:;feedback:share:;feedback:chan"}
        << QStringList{"feedback|refresh|", "feedback|share|"} << QByteArray("feedback:chan");
    QTest::newRow("no semicolon yet") << QByteArrayList{"feedback:receiveLog:aGk="}
                                      << QStringList() << QByteArray("feedback:receiveLog:aGk=");
}

void tst_HostFramer::splitReads()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, tail);
    HostFramer framer;
    QList<HostMessage> got;
    for (const QByteArray &read : reads)
        got += framer.feed(read);
    QCOMPARE(flatten(got), messages);
    QCOMPARE(framer.pending(), tail);
}

void tst_HostFramer::garbage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QList<int>>("fieldCounts");

    QTest::newRow("empty pieces") << QByteArray(";;  ;\n;") << QStringList() << QList<int>();
    QTest::newRow("white space around")
        << QByteArray("  feedback:refresh:  ;\r\n") << QStringList{"feedback|refresh|"} << QList<int>{3};
    QTest::newRow("one field") << QByteArray("hello;") << QStringList{"hello||"} << QList<int>{1};
    QTest::newRow("two fields") << QByteArray("webfile:getFileList;") << QStringList{"webfile|getFileList|"} << QList<int>{2};
    QTest::newRow("extra fields ignored")
        << QByteArray("feedback:receiveLog:aGk=:junk:more;") << QStringList{"feedback|receiveLog|hi"} << QList<int>{5};
    QTest::newRow("foreign bytes in the base64 skipped")
        << QByteArray("feedback:receiveLog:a!G*k=;") << QStringList{"feedback|receiveLog|hi"} << QList<int>{3};
    QTest::newRow("garbage then a good frame")
        << QByteArray("\x01\x02zz;webfile:getFileList:azE=;") << QStringList{"\x01\x02zz||", "webfile|getFileList|k1"} << QList<int>{1, 3};
}

void tst_HostFramer::garbage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, messages);
    QFETCH(QList<int>, fieldCounts);
    HostFramer framer;
    const QList<HostMessage> got = framer.feed(bytes);
    QCOMPARE(flatten(got), messages);
    QList<int> counts;
    for (const HostMessage &m : got)
        counts << m.fieldCount;
    QCOMPARE(counts, fieldCounts);
}

void tst_HostFramer::encode_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("subcommand");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty payload") << "event" << "active" << QString() << QByteArray("event:active:;");
    QTest::newRow("json") << "webfile" << "removeAllHistoryRes" << "{\"key\":\"k1\"}"
                          << QByteArray("webfile:removeAllHistoryRes:eyJrZXkiOiJrMSJ9;");
    QTest::newRow("non-ascii as utf-8") << "config" << "title" << QString::fromUtf8("Grüße")
                                        << QByteArray("config:title:R3LDvMOfZQ==;");
}

void tst_HostFramer::encode()
{
    QFETCH(QString, category);
    QFETCH(QString, subcommand);
    QFETCH(QString, payload);
    QFETCH(QByteArray, bytes);
    QCOMPARE(HostFramer::encode(category, subcommand, payload), bytes);
    // and what we write reads back the same
    HostFramer framer;
    QCOMPARE(flatten(framer.feed(bytes)), QStringList{category + QLatin1Char('|') + subcommand + QLatin1Char('|') + payload});
}

void tst_HostFramer::runawayTail()
{
    HostFramer framer;
    QCOMPARE(framer.feed(QByteArray(HostFramer::kMaxPending, 'a')).size(), 0);
    QCOMPARE(framer.discarded(), 0);
    QCOMPARE(framer.feed("bc").size(), 0);
    QCOMPARE(framer.discarded(), HostFramer::kMaxPending + 2);
    QCOMPARE(framer.pending(), QByteArray());
    QCOMPARE(flatten(framer.feed("feedback:refresh:;")), QStringList{"feedback|refresh|"});
}

void tst_HostFramer::copiesGoOnAlone()
{
    HostFramer framer;
    QCOMPARE(framer.feed("feedback:ref").size(), 0);
    const HostFramer copy(framer);
    HostFramer assigned;
    assigned = framer;
    QCOMPARE(flatten(framer.feed("resh:;")), QStringList{"feedback|refresh|"});
    // both kept the start of the message, and neither saw the rest
    QCOMPARE(copy.pending(), QByteArray("feedback:ref"));
    QCOMPARE(flatten(assigned.feed("erence:;")), QStringList{"feedback|reference|"});
    QCOMPARE(framer.pending(), QByteArray());
}

QTEST_GUILESS_MAIN(tst_HostFramer)
#include "tst_hostframer.moc"
