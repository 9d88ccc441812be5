// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QString>
#include <QStringList>

// Who answers a page's request for a device or a power, feature by feature.
// The host sends it as a comma list of word=rule items, e.g.
// "camera=ask,microphone=allow,screen=host,notifications=deny"; the features
// are those of wire/permissionlist.h, the rules ask (the user, in the
// window's box), allow, deny and host (the host, by a message). A feature
// not named keeps the list's default.
class PermissionPolicy
{
public:
    enum class Rule { Ask, Allow, Deny, Host };

    // The normal form: lower case, no blanks, one item per feature named, a
    // later item for the same feature replacing an earlier one. False (and
    // *items untouched) for an unknown feature or rule or an item without
    // '='; empty text is the empty list, every feature at its default.
    static bool parse(const QString &text, QStringList *items);

    // The rule for one feature word under a parsed list.
    static Rule rule(const QStringList &items, const QString &feature);
    // The rule for a request of several features at once (camera and
    // microphone): the most careful of theirs - deny, then host, then ask.
    static Rule rule(const QStringList &items, const QStringList &features);

    static QStringList featureWords();
};
