// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "wire/vocabulary.h"

#include <QLatin1String>
#include <QString>
#include <functional>

// What a page may send the host through jsbridge, one row per message: its
// name here, the bridge method the page calls for it (postMessage's rows are
// told apart by the "action" of the page's object), the host message it
// becomes, and whether it may be dropped while the host leaves page messages
// unread. A new postMessage action is a row here, its handling at the host
// and its test; a new bridge method also needs its slot in VellJsBridge, and
// a test holds every row's method to the bridge's published slots.
//   name         bridge method       action                category         subcommand                    delivery
#define WB_PAGE_MESSAGES(X) \
    X(Log,         postLog,            "",                   wire::kFeedback, wire::feedback::kReceiveLog,  Droppable) \
    X(GoToChannel, postMessage,        "go_to_channel_info", wire::kFeedback, wire::feedback::kGotoChannel, Droppable) \
    X(UserInfo,    getCurrentUserInfo, "",                   wire::kIQ,       wire::iq::kCurrentUserInfo,   Always)

struct PageMessage
{
    // A page decides how much it logs; the user-information request is not
    // dropped, as the page sits waiting for its answer.
    enum Delivery { Droppable, Always };

    enum Name {
#define WB_PAGE_MESSAGE_NAME(name, ...) name,
        WB_PAGE_MESSAGES(WB_PAGE_MESSAGE_NAME)
#undef WB_PAGE_MESSAGE_NAME
    };

    Name name;
    QLatin1String handler;   // the bridge method, as the page calls it
    QLatin1String action;    // postMessage's "action"; empty for a method of its own
    QLatin1String category;
    QLatin1String subcommand;
    Delivery delivery;

    static const PageMessage &row(Name name);
    static int count();

    // The row a postMessage text stands for: a JSON object whose "action" is
    // a row's, exactly as spelled, and whose "data", a non-empty text, is the
    // payload. Anything else stands for nothing: nullptr.
    static const PageMessage *fromPostMessage(const QString &text, QString *payload);

    // Where the bridge's messages go; whoever wires the bridge hands it one.
    using Sink = std::function<void(const PageMessage &message, const QString &payload)>;
};
