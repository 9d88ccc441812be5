// SPDX-License-Identifier: Apache-2.0
// Linked with the browser's own main(): the browser with a user who opens
// Download History as soon as the window is there, which only a click could
// do otherwise. It lets a test end the link while the panel polls the host.

#include "window/vellchatwebbroswer.h"
#include "window/vellchatwebbroswer_impl.h"

#include <QCoreApplication>
#include <QTimer>

static void openHistoryOnceTheWindowIsThere()
{
    auto *watch = new QTimer(qApp);
    watch->setInterval(50);
    QObject::connect(watch, &QTimer::timeout, qApp, [watch] {
        VellChatWebBroswer *window = VellChatWebBroswer::instance();
        if (!window)
            return;
        window->impl()->onWebFile();   // what the Download History button does
        watch->stop();
        watch->deleteLater();
    });
    watch->start();
}

// Runs inside the QApplication constructor, before main() goes on.
Q_COREAPP_STARTUP_FUNCTION(openHistoryOnceTheWindowIsThere)
