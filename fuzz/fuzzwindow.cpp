// SPDX-License-Identifier: Apache-2.0
#include "fuzz/fuzzwindow.h"

#include "fuzz/fuzzharness.h"
#include "hostlink/transport.h"
#include "window/vellchatwebbroswer.h"
#include "window/windowhostcommands.h"

#include <QString>

void FuzzWindow::install()
{
    static WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);
}

VellChatWebBroswer *FuzzWindow::window()
{
    if (!VellChatWebBroswer::instance()) {
        VellChatWebBroswer::newVellChatWebBroswer(QStringLiteral("about:blank"), nullptr);
        FuzzHarness::settle();
    }
    return VellChatWebBroswer::instance();
}

void FuzzWindow::dropWindow()
{
    if (!VellChatWebBroswer::instance())
        return;
    VellChatWebBroswer::destory();
    FuzzHarness::settle();
}
