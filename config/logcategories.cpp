// SPDX-License-Identifier: Apache-2.0
#include "config/logcategories.h"

#include <cstring>

Q_LOGGING_CATEGORY(lcHostLink, "channel.hostlink")
Q_LOGGING_CATEGORY(lcDownloads, "channel.downloads")
Q_LOGGING_CATEGORY(lcWidgets, "channel.widgets")
Q_LOGGING_CATEGORY(lcWeb, "channel.web")

static QtMessageHandler s_nextHandler = nullptr;

static void plainOwnLines(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && std::strncmp(context.category, "channel.", 8) == 0) {
        const QMessageLogContext plain(context.file, context.line, context.function, "default");
        s_nextHandler(type, plain, message);
        return;
    }
    s_nextHandler(type, context, message);
}

void keepLogLinesPlain()
{
    if (s_nextHandler || qEnvironmentVariableIsSet("QT_MESSAGE_PATTERN"))
        return;
    s_nextHandler = qInstallMessageHandler(plainOwnLines);
    // Qt hands back its own default handler; without one there is nothing to pass lines on to.
    if (!s_nextHandler)
        qInstallMessageHandler(nullptr);
}
