// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QPointer>

class QUrl;
class QWebEnginePage;
class QWidget;

// A page's alert(), confirm() and prompt(), and the engine's question before
// a page that asks for it is left, put as the window's own box over the
// page's view. The page waits for the answer; the window around it does not:
// its title bar, its close and the window manager's keep working, so that a
// page that asks again and again cannot hold the user in the window. Closing
// the window ends the open question (the leave question with "leave"), and
// the page is asked nothing more.
class PageDialogs : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Alert, Confirm, Prompt, Leave };

    explicit PageDialogs(QWebEnginePage *page);
    // The dialogs of this page, if it has any.
    static PageDialogs *of(const QWebEnginePage *page);

    // Puts the question and waits, in an event loop of its own, for the
    // user's answer: true for Ok (text then holds the typed line of a
    // prompt). A page that is being left or closed gets "no" at once, but
    // the leave question gets "leave".
    bool ask(Kind kind, const QUrl &origin, const QString &message, QString *text = nullptr);
    // The message of the engine's leave question, as it puts it to confirm().
    static bool isLeaveQuestion(const QString &message);

    bool isOpen() const { return waiting > 0; }
    // Answers the open question as closing does and puts no more.
    void end();
    // Ends the questions of every page shown in window; true if one was open.
    static bool endIn(QWidget *window);
    // Event loops of questions still on the stack, in the whole process: a
    // page must not go while one is, since the engine's call to ask is below it.
    static int running() { return s_running; }

signals:
    void ended();
    // A line for the host's log as a question is put and answered: its kind
    // and origin, never its text or what the user typed. A window that
    // seems stuck may only be waiting for the user.
    void receiveLog(QString line);

private:
    QPointer<QWebEnginePage> page;
    int waiting = 0;
    bool ending = false;
    static int s_running;
};
