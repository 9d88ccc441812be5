// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QPixmap;

// The "config" keys of the host link: decodes, checks and stores one value.
class ConfigKeys
{
public:
    // decoded: the Base64-decoded value bytes. Unknown keys and values that
    // fail their check leave the store as it was.
    static void apply(const QString &key, const QByteArray &decoded);
    // Every key apply() knows, sorted.
    static QStringList keys();

    // An image value adapted to the screen the way the built-in icons are.
    static QPixmap *screenImage(const QByteArray &bytes);
};
