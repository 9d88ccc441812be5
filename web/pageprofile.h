// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QString>

class QWebEngineProfile;

// The one profile every page of the browser runs in. It is off the record:
// cookies last for the session and the HTTP cache, local storage, IndexedDB
// and the visited links live in memory, so nothing a page fetched or stored
// outlives the process. All lasting state belongs to the host.
class PageProfile
{
public:
    // Created on first use, on the GUI thread, and kept until exit.
    static QWebEngineProfile *instance();
    // The private folder (mode 0700) the profile keeps its few files in; it
    // goes when the process ends, or at the next start when the process was
    // killed (ScratchFolder). Empty if it could not be made.
    static QString scratchPath();
};
