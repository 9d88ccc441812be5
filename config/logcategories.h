// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QLoggingCategory>

// The browser's own diagnostic lines, by the part of the program that writes
// them, so that integrators can pick them with QT_LOGGING_RULES
// ("channel.hostlink.debug=false", "channel.*.debug=false"). All of them are
// on by default, as the lines always were.
Q_DECLARE_LOGGING_CATEGORY(lcHostLink)    // "channel.hostlink": the socket to the host
Q_DECLARE_LOGGING_CATEGORY(lcDownloads)   // "channel.downloads": the download history
Q_DECLARE_LOGGING_CATEGORY(lcWidgets)     // "channel.widgets": buttons and boxes
Q_DECLARE_LOGGING_CATEGORY(lcWeb)         // "channel.web": the page engine

// Qt's default output names every category but "default" in front of the
// line; the browser's lines were written without one, and stay so unless a
// QT_MESSAGE_PATTERN asks for the category. Called once at start.
void keepLogLinesPlain();
