// SPDX-License-Identifier: Apache-2.0
// The record-at-a-time reader of long JSON lists against QJsonDocument: on
// any bytes both must agree on whether the text is a valid JSON object, and
// on a valid one, on every member and every record of "data".

#include "downloads/jsonlistreader.h"
#include "fuzz/fuzzharness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const QLatin1String dataName("data");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const bool documentValid = error.error == QJsonParseError::NoError && document.isObject();

    const JsonListReader reader(json, dataName);
    bool readerValid = reader.isValid();
    QJsonArray records;
    for (int i = 0; readerValid && i < reader.recordCount(); ++i) {
        QJsonObject record;
        readerValid = reader.record(i, &record);
        records.append(record);
    }
    if (readerValid != documentValid)
        FuzzHarness::fail(documentValid ? "the reader refused a valid document" : "the reader took an invalid document",
                          json);
    if (!documentValid)
        return 0;

    QJsonObject expected = document.object();
    QJsonArray expectedRecords;
    if (expected.value(dataName).isArray()) {
        for (const QJsonValue &value : expected.value(dataName).toArray())
            expectedRecords.append(value.toObject());
        expected.remove(dataName);
    }
    if (reader.object() != expected)
        FuzzHarness::fail("the members differ", QJsonDocument(reader.object()).toJson(QJsonDocument::Compact));
    if (records != expectedRecords)
        FuzzHarness::fail("the records differ", QJsonDocument(records).toJson(QJsonDocument::Compact));
    return 0;
}
