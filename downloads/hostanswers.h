// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "wire/vocabulary.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// Reading the host's JSON answers to the history's requests.
namespace HostAnswers {

const QLatin1String keyName = wire::field::kKey;
const QLatin1String fileKeyName = wire::field::kFileKey;
const QLatin1String dataName = wire::field::kData;

// A payload that is not a JSON object reads as an empty one and is ignored
// for lack of a "key".
inline QJsonObject parseObject(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

// The file a restart or removal answer is about: empty unless the answer is
// a JSON object carrying both "key" and "fileKey".
inline QString answeredFileKey(const QByteArray &json)
{
    if (json.isEmpty())
        return QString();
    const QJsonObject answer = parseObject(json);
    if (!answer.contains(keyName) || !answer.contains(fileKeyName))
        return QString();
    return answer.value(fileKeyName).toString();
}

} // namespace HostAnswers
