// SPDX-License-Identifier: Apache-2.0
#pragma once

class VellChatWebBroswer;

// The browser window for the targets that drive widgets: the host link's
// messages reach it as they do in the browser.
class FuzzWindow
{
public:
    // Once, after FuzzHarness::start: the host link talks to the window.
    static void install();
    // The one browser window, made showing about:blank when there is none.
    static VellChatWebBroswer *window();
    // Closes and deletes the window, if there is one.
    static void dropWindow();
};
