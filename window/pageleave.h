// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QWebEnginePage;
class QWidget;

// Closing the window asks the page first: its beforeunload handler may have
// the engine ask the user whether to leave, and staying keeps the window.
// The page's own window.close() still leaves the window alone.
class PageLeave : public QObject
{
    Q_OBJECT
public:
    PageLeave(QWebEnginePage *page, QObject *parent);

    // True when the window may close now; otherwise the page is asked, and
    // mayClose() follows once it lets go.
    bool askPage();
    // The host is gone: nothing may hold the window any more.
    void allow() { allowed = true; }
    // For a window that goes because the host went. The engine's question to
    // the user runs in an event loop of its own with the page beneath it:
    // answerQuestion() answers one open inside window (true if there was
    // one), and whenUnwound() runs done once that loop has returned: soon, or
    // from finishPending() on the way out if the process ends first.
    static bool answerQuestion(QWidget *window);
    static void whenUnwound(QObject *context, std::function<void()> done);
    static void finishPending();

signals:
    void mayClose();

private:
    QPointer<QWebEnginePage> page;
    bool asked = false;
    bool allowed = false;
};
