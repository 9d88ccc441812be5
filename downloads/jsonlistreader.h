// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1String>
#include <QString>
#include <QVector>

// Reads a JSON object holding one long array of records without building the
// document: the array's elements are only located, and each is parsed when
// asked for, so a list of 100,000 downloads never exists twice in memory.
//
// It accepts exactly what QJsonDocument::fromJson accepts, and where a name
// repeats, keeps the member QJsonDocument would keep. Everything but the
// records is checked and parsed when the reader is made; the records are
// checked as they are read, so the whole text is known to be valid only once
// every record has been read without error.
class JsonListReader
{
public:
    JsonListReader(const QByteArray &json, QLatin1String arrayName);

    // False if the text is not a JSON object, records aside.
    bool isValid() const { return valid; }

    // The object's members, except the array of records, which is only read
    // through record(); undefined for a missing one.
    const QJsonObject &object() const { return members; }
    bool contains(const QString &name) const { return members.contains(name); }
    QJsonValue value(const QString &name) const { return members.value(name); }

    // The records of the array, which an element that is not an object reads
    // as an empty object in. record() is false for an element that is not
    // valid JSON, which makes the whole text invalid.
    int recordCount() const { return int(records.size()); }
    bool record(int index, QJsonObject *out) const;

private:
    struct Span
    {
        int from;
        int size;
    };
    bool parseMembers();
    bool scanArray(const char *&p, QVector<Span> *elements) const;
    bool checkRecords() const;

    const QByteArray json;   // shares the caller's bytes
    const QLatin1String arrayName;
    QJsonObject members;
    QVector<Span> records;
    bool valid = false;
};
