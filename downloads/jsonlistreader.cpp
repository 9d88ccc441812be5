// SPDX-License-Identifier: Apache-2.0
#include "downloads/jsonlistreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

// QJsonDocument refuses a document nested deeper than this.
const int nestingLimit = 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

const char *skipSpace(const char *p, const char *end)
{
    while (p < end && isSpace(*p))
        ++p;
    return p;
}

// Past the closing quote of the string opening at p; null if it never closes.
// Whether its escapes and UTF-8 are sound is left to QJsonDocument.
const char *stringEnd(const char *p, const char *end)
{
    for (++p; p < end; ++p) {
        if (*p == '\\')
            ++p;
        else if (*p == '"')
            return p + 1;
    }
    return nullptr;
}

// Past the value starting at p, which may open at most depthLeft arrays and
// objects inside one another; null if it does not end or goes deeper. Only
// the extent is found: a scalar runs to the next separator, whatever it holds,
// and brackets are counted without minding their kind, which QJsonDocument
// checks when the value is parsed.
const char *valueEnd(const char *p, const char *end, int depthLeft)
{
    if (p >= end)
        return nullptr;
    if (*p == '"')
        return stringEnd(p, end);
    if (*p != '{' && *p != '[') {
        const char *from = p;
        while (p < end && !isSpace(*p) && *p != ',' && *p != ']' && *p != '}')
            ++p;
        return p > from ? p : nullptr;
    }
    int depth = 0;
    for (; p < end; ++p) {
        switch (*p) {
        case '"':
            p = stringEnd(p, end);
            if (!p)
                return nullptr;
            --p;
            break;
        case '{':
        case '[':
            if (++depth > depthLeft)
                return nullptr;
            break;
        case '}':
        case ']':
            if (--depth == 0)
                return p + 1;
            break;
        default:
            break;
        }
    }
    return nullptr;
}

// The text from-to with open before it and close after it, parsed; false if
// that is not JSON. QJsonDocument takes nothing but an object or an array at
// the top, so a lone value goes inside one, as deep as where it came from.
bool parseWithin(const char *open, const char *from, const char *to, const char *close, QJsonDocument *out)
{
    QByteArray text;
    text.reserve(int(to - from) + int(qstrlen(open)) + int(qstrlen(close)));
    text.append(open).append(from, int(to - from)).append(close);
    QJsonParseError error;
    *out = QJsonDocument::fromJson(text, &error);
    return error.error == QJsonParseError::NoError;
}

// Whether the quoted name from-to is the member QJsonObject would find under
// name: 1 or 0, or -1 if it is not a valid JSON string. Asked of Qt itself,
// since its lookup compares what it stored, not the decoded text (a name
// starting with a byte order mark decodes to "data" without being "data").
int namesMember(const char *from, const char *to, QLatin1String name)
{
    QJsonDocument document;
    if (!parseWithin("{", from, to, ":0}", &document))
        return -1;
    return document.object().contains(name) ? 1 : 0;
}

} // namespace

JsonListReader::JsonListReader(const QByteArray &json, QLatin1String arrayName)
    : json(json)
    , arrayName(arrayName)
{
    valid = parseMembers();
    if (!valid) {
        members = QJsonObject();
        records.clear();
    }
}

bool JsonListReader::parseMembers()
{
    const char *const base = json.constData();
    const char *const end = base + json.size();
    const char *p = base;
    // As QJsonDocument does, a UTF-8 byte order mark ahead of the text is skipped.
    if (end - p >= 3 && uchar(p[0]) == 0xef && uchar(p[1]) == 0xbb && uchar(p[2]) == 0xbf)
        p += 3;
    p = skipSpace(p, end);
    if (p == end || *p != '{')
        return false;
    p = skipSpace(p + 1, end);

    // The object again, with each array of the name standing in as [its
    // number]: QJsonDocument parses the rest as it would the whole, and its
    // choice among repeated names is the one it would make there.
    QByteArray outline("{");
    QVector<QVector<Span>> arrays;
    if (p < end && *p == '}') {
        p = skipSpace(p + 1, end);
    } else {
        for (;;) {
            if (p == end || *p != '"')
                return false;
            const char *nameEnd = stringEnd(p, end);
            int isArrayName = -1;
            if (!nameEnd || (isArrayName = namesMember(p, nameEnd, arrayName)) < 0)
                return false;
            outline.append(p, int(nameEnd - p)).append(':');
            p = skipSpace(nameEnd, end);
            if (p == end || *p != ':')
                return false;
            p = skipSpace(p + 1, end);
            if (isArrayName && p < end && *p == '[') {
                QVector<Span> elements;
                if (!scanArray(p, &elements))
                    return false;
                outline.append('[').append(QByteArray::number(arrays.size())).append(']');
                arrays.append(elements);
            } else {
                const char *from = p;
                p = valueEnd(p, end, nestingLimit - 1);
                if (!p)
                    return false;
                outline.append(from, int(p - from));
            }
            p = skipSpace(p, end);
            if (p == end)
                return false;
            if (*p == '}') {
                p = skipSpace(p + 1, end);
                break;
            }
            if (*p != ',')
                return false;
            outline.append(',');
            p = skipSpace(p + 1, end);
        }
    }
    if (p != end)
        return false;
    outline.append('}');
    QJsonParseError error;
    members = QJsonDocument::fromJson(outline, &error).object();
    if (error.error != QJsonParseError::NoError)
        return false;

    // Every array of the name has to be valid JSON, the one that counts and
    // the ones it replaces; the records of the one that counts are checked as
    // they are read.
    const QJsonValue chosenValue = members.value(arrayName);
    const int chosen = chosenValue.isArray() ? chosenValue.toArray().at(0).toInt() : -1;
    for (int i = 0; i < arrays.size(); ++i) {
        records = arrays.at(i);
        if (i != chosen && !checkRecords())
            return false;
    }
    records.clear();
    if (chosen >= 0) {
        records = arrays.at(chosen);
        members.remove(arrayName);
    }
    return true;
}

// Finds the elements of the array opening at p and leaves p past its end.
bool JsonListReader::scanArray(const char *&p, QVector<Span> *elements) const
{
    const char *const base = json.constData();
    const char *const end = base + json.size();
    p = skipSpace(p + 1, end);
    if (p < end && *p == ']') {
        ++p;
        return true;
    }
    for (;;) {
        // The object and the array above an element count towards the limit.
        const char *to = valueEnd(p, end, nestingLimit - 2);
        if (!to)
            return false;
        elements->append({int(p - base), int(to - p)});
        p = skipSpace(to, end);
        if (p == end)
            return false;
        if (*p == ']') {
            ++p;
            return true;
        }
        if (*p != ',')
            return false;
        p = skipSpace(p + 1, end);
    }
}

bool JsonListReader::checkRecords() const
{
    QJsonObject record;
    for (int i = 0; i < recordCount(); ++i) {
        if (!this->record(i, &record))
            return false;
    }
    return true;
}

bool JsonListReader::record(int index, QJsonObject *out) const
{
    const Span span = records.at(index);
    const char *from = json.constData() + span.from;
    if (*from == '{' || *from == '[') {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromRawData(from, span.size), &error);
        if (error.error != QJsonParseError::NoError)
            return false;
        *out = document.object();
        return true;
    }
    QJsonDocument document;
    if (!parseWithin("[", from, from + span.size, "]", &document))
        return false;
    *out = QJsonObject();
    return true;
}
