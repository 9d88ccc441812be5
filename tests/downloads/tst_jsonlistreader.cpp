// SPDX-License-Identifier: Apache-2.0
#include "downloads/jsonlistreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

// The reader must see a list answer exactly as QJsonDocument would: every row
// is also parsed whole and the two compared, member by member and record by
// record.
class tst_JsonListReader : public QObject
{
    Q_OBJECT
private slots:
    void sameAsDocument_data();
    void sameAsDocument();
    void brokenRecordFoundWhenRead();
};

namespace {

QByteArray nested(int depth)
{
    return QByteArray(depth, '[') + QByteArray(depth, ']');
}

// More members than a small sort keeps in order, the same name among them.
QByteArray manyRepeats()
{
    QByteArray json = "{";
    for (int i = 0; i < 40; ++i)
        json += "\"k" + QByteArray::number(i % 7) + "\":" + QByteArray::number(i) + ",\"data\":[{\"n\":" + QByteArray::number(i) + "}],";
    return json + "\"key\":\"x\"}";
}

} // namespace

void tst_JsonListReader::sameAsDocument_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("records");

    QTest::newRow("answer") << QByteArray(R"({"key":"k","data":[{"key":"a","status":2},{"key":"b"}]})") << true << 2;
    QTest::newRow("white space everywhere")
        << QByteArray(" \t\r\n{ \"data\" : [ {\"key\" : \"a\"} , { } ] , \"key\" : \"k\" }\n ") << true << 2;
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf{\"data\":[{}]}") << true << 1;
    QTest::newRow("empty object") << QByteArray("{}") << true << 0;
    QTest::newRow("empty array") << QByteArray(R"({"key":"k","data":[]})") << true << 0;
    QTest::newRow("elements that are not objects")
        << QByteArray(R"({"data":[1,"s",null,true,-2.5e3,[],[{"key":"x"}],{"key":"y"}]})") << true << 8;
    QTest::newRow("strings holding brackets, quotes and escapes")
        << QByteArray(R"({"key":"]}\"","data":[{"name":"a]}[{\\\"b\"","x":"\u005d"}]})") << true << 1;
    QTest::newRow("name behind a byte order mark is not data")
        << QByteArray("{\"key\":\"k\",\"\xef\xbb\xbf" "data\":[{\"key\":\"x\"}],\"data\":[{}]}") << true << 1;
    QTest::newRow("name written with an escape") << QByteArray(R"({"d\u0061ta":[{"a":1}],"key":"k"})") << true << 1;
    QTest::newRow("data not an array") << QByteArray(R"({"key":"k","data":{"key":"a"}})") << true << 0;
    QTest::newRow("later data replaces an array") << QByteArray(R"({"data":[{"a":1}],"data":7})") << true << 0;
    QTest::newRow("later array replaces data") << QByteArray(R"({"data":7,"data":[{"a":1},{}]})") << true << 2;
    QTest::newRow("many repeated names") << manyRepeats() << true << 1;
    QTest::newRow("deepest record") << QByteArray("{\"data\":[" + nested(1022) + "]}") << true << 1;
    QTest::newRow("deepest other member") << QByteArray("{\"key\":" + nested(1023) + "}") << true << 0;

    QTest::newRow("record one level too deep") << QByteArray("{\"data\":[" + nested(1023) + "]}") << false << 0;
    QTest::newRow("member one level too deep") << QByteArray("{\"key\":" + nested(1024) + "}") << false << 0;
    QTest::newRow("not an object") << QByteArray(R"([{"key":"k"}])") << false << 0;
    QTest::newRow("empty text") << QByteArray() << false << 0;
    QTest::newRow("garbage after the object") << QByteArray(R"({"data":[]} x)") << false << 0;
    QTest::newRow("NUL after the object") << QByteArray("{\"data\":[]}\0", 12) << false << 0;
    QTest::newRow("comma before the end of the array") << QByteArray(R"({"data":[{},]})") << false << 0;
    QTest::newRow("comma before the end of the object") << QByteArray(R"({"data":[],})") << false << 0;
    QTest::newRow("missing separator between records") << QByteArray(R"({"data":[{} {}]})") << false << 0;
    QTest::newRow("missing value") << QByteArray(R"({"key":,"data":[]})") << false << 0;
    QTest::newRow("cut inside a record") << QByteArray(R"({"data":[{"key":"a"},{"key":"b)") << false << 0;
    QTest::newRow("cut after the array") << QByteArray(R"({"data":[{"key":"a"}])") << false << 0;
    QTest::newRow("invalid UTF-8 in a name") << QByteArray("{\"\xff\":1,\"data\":[]}") << false << 0;
    QTest::newRow("bad scalar member") << QByteArray(R"({"key":tru,"data":[]})") << false << 0;
    QTest::newRow("replaced value that is not JSON") << QByteArray(R"({"data":{"a":},"data":[]})") << false << 0;
    QTest::newRow("replaced array with a broken record") << QByteArray(R"({"data":[{"a":01}],"data":[]})") << false << 0;
    QTest::newRow("brackets of the wrong kind") << QByteArray(R"({"data":[{"a":[1}]]})") << false << 1;
    QTest::newRow("broken record") << QByteArray(R"({"key":"k","data":[{"a":1},{"b":-}]})") << false << 2;
    QTest::newRow("bad scalar record") << QByteArray(R"({"data":[{},nul]})") << false << 2;
}

void tst_JsonListReader::sameAsDocument()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, valid);
    QFETCH(int, records);

    const JsonListReader reader(json, QLatin1String("data"));
    QCOMPARE(reader.recordCount(), records);
    bool readerValid = reader.isValid();
    QJsonArray read;
    for (int i = 0; readerValid && i < reader.recordCount(); ++i) {
        QJsonObject record;
        readerValid = reader.record(i, &record);
        read.append(record);
    }
    QCOMPARE(readerValid, valid);

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    QCOMPARE(error.error == QJsonParseError::NoError && document.isObject(), valid);
    if (!valid)
        return;
    QJsonObject members = document.object();
    QJsonArray expected;
    if (members.value("data").isArray()) {
        for (const QJsonValue &value : members.value("data").toArray())
            expected.append(value.toObject());
        members.remove("data");
    }
    QCOMPARE(reader.object(), members);
    QCOMPARE(read, expected);
}

void tst_JsonListReader::brokenRecordFoundWhenRead()
{
    // The rest of the answer is known good at once; a record only when read.
    const JsonListReader reader(R"({"key":"k","data":[{"key":"a"},{"key":"b",}]})", QLatin1String("data"));
    QVERIFY(reader.isValid());
    QCOMPARE(reader.value("key").toString(), QString("k"));
    QJsonObject record;
    QVERIFY(reader.record(0, &record));
    QCOMPARE(record.value("key").toString(), QString("a"));
    QVERIFY(!reader.record(1, &record));
}

QTEST_APPLESS_MAIN(tst_JsonListReader)
#include "tst_jsonlistreader.moc"
