// SPDX-License-Identifier: Apache-2.0
#include "config/permissionpolicy.h"

#include "wire/permissionlist.h"

#include <QHash>

namespace {

const QHash<QString, PermissionPolicy::Rule> &ruleWords()
{
    static const QHash<QString, PermissionPolicy::Rule> words = {
        {QStringLiteral("ask"), PermissionPolicy::Rule::Ask},
        {QStringLiteral("allow"), PermissionPolicy::Rule::Allow},
        {QStringLiteral("deny"), PermissionPolicy::Rule::Deny},
        {QStringLiteral("host"), PermissionPolicy::Rule::Host},
    };
    return words;
}

// Larger is more careful; a combined request takes the largest.
int care(PermissionPolicy::Rule r)
{
    switch (r) {
    case PermissionPolicy::Rule::Allow: return 0;
    case PermissionPolicy::Rule::Ask: return 1;
    case PermissionPolicy::Rule::Host: return 2;
    case PermissionPolicy::Rule::Deny: return 3;
    }
    return 3;
}

}

QStringList PermissionPolicy::featureWords()
{
#define CWB_WORD(Feature, word, ...) QStringLiteral(word),
    return {CWB_PERMISSION_FEATURES(CWB_WORD)};
#undef CWB_WORD
}

bool PermissionPolicy::parse(const QString &text, QStringList *items)
{
    const QStringList features = featureWords();
    QStringList parsed;
    const QStringList pieces = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        const QString item = piece.trimmed().toLower();
        if (item.isEmpty())
            continue;
        const int eq = item.indexOf(QLatin1Char('='));
        if (eq < 0)
            return false;
        const QString feature = item.left(eq).trimmed();
        const QString ruleWord = item.mid(eq + 1).trimmed();
        if (!features.contains(feature) || !ruleWords().contains(ruleWord))
            return false;
        const QString prefix = feature + QLatin1Char('=');
        for (int i = parsed.size() - 1; i >= 0; --i) {
            if (parsed.at(i).startsWith(prefix))
                parsed.removeAt(i);
        }
        parsed << prefix + ruleWord;
    }
    *items = parsed;
    return true;
}

PermissionPolicy::Rule PermissionPolicy::rule(const QStringList &items, const QString &feature)
{
    const QString prefix = feature + QLatin1Char('=');
    for (const QString &item : items) {
        if (item.startsWith(prefix))
            return ruleWords().value(item.mid(prefix.size()), Rule::Deny);
    }
#define CWB_DEFAULT(Feature, word, Question, Default, ...) \
    if (feature == QLatin1String(word)) \
        return Rule::Default;
    CWB_PERMISSION_FEATURES(CWB_DEFAULT)
#undef CWB_DEFAULT
    // A feature this program has no word for is never handed out unasked.
    return Rule::Deny;
}

PermissionPolicy::Rule PermissionPolicy::rule(const QStringList &items, const QStringList &features)
{
    if (features.isEmpty())
        return Rule::Deny;
    Rule strictest = Rule::Allow;
    for (const QString &feature : features) {
        const Rule r = rule(items, feature);
        if (care(r) > care(strictest))
            strictest = r;
    }
    return strictest;
}
