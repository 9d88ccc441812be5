#pragma once

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
};
