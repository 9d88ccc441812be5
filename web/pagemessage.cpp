// SPDX-License-Identifier: Apache-2.0
#include "web/pagemessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <iterator>

namespace {

#define WB_PAGE_MESSAGE_ROW(name, handler, action, category, subcommand, delivery) \
    {PageMessage::name, wire::word(#handler), wire::word(action), category, subcommand, PageMessage::delivery},
const PageMessage rows[] = {WB_PAGE_MESSAGES(WB_PAGE_MESSAGE_ROW)};
#undef WB_PAGE_MESSAGE_ROW

}

const PageMessage &PageMessage::row(Name name)
{
    return rows[name];
}

int PageMessage::count()
{
    return int(std::size(rows));
}

const PageMessage *PageMessage::fromPostMessage(const QString &text, QString *payload)
{
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
    const QString action = object.value(QStringLiteral("action")).toString();
    const QString data = object.value(wire::field::kData).toString();
    if (action.isEmpty() || data.isEmpty())
        return nullptr;
    for (const PageMessage &message : rows) {
        if (message.action == action) {
            *payload = data;
            return &message;
        }
    }
    return nullptr;
}
