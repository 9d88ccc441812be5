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

// A lone value, parsed as the one element of an array: QJsonDocument takes
// nothing else at the top, and the array counts as deep as the object the
// value came from.
bool parseValue(const char *from, const char *to, QJsonValue *out)
{
    QByteArray wrapped;
    wrapped.reserve(int(to - from) + 2);
    wrapped.append('[').append(from, int(to - from)).append(']');
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError)
        return false;
    *out = document.array().at(0);
    return true;
}

// Whether the quoted name from-to is the member QJsonObject would find under
// name: 1 or 0, or -1 if it is not a valid JSON string. Asked of Qt itself,
// since its lookup compares what it stored, not the decoded text (a name
// starting with a byte order mark decodes to "data" without being "data").
int namesMember(const char *from, const char *to, QLatin1String name)
{
    QByteArray object;
    object.reserve(int(to - from) + 4);
    object.append('{').append(from, int(to - from)).append(":0}");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(object, &error);
    if (error.error != QJsonParseError::NoError)
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
    QJsonValue value;
    if (!parseValue(from, from + span.size, &value))
        return false;
    *out = QJsonObject();
    return true;
}
