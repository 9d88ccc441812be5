// SPDX-License-Identifier: Apache-2.0
#include "window/pageleave.h"

#include "web/pagedialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QTimer>
#include <QWebEnginePage>
#include <QWidget>

// A live page answers within a few milliseconds, or puts its question up.
static constexpr int answerWaitMs = 2000;
static constexpr int answerPollMs = 50;

PageLeave::PageLeave(QWebEnginePage *page, QObject *parent)
    : QObject(parent)
    , page(page)
{
    connect(page, &QWebEnginePage::windowCloseRequested, this, [this] {
        if (!asked)
            return;
        allowed = true;
        emit mayClose();
    });
}

bool PageLeave::askPage()
{
    if (allowed || !page)
        return true;
    // Closed again while the page has a question up (its leave question, or
    // an alert it puts again and again): the user means it.
    if (PageDialogs *dialogs = PageDialogs::of(page); dialogs && dialogs->isOpen()) {
        dialogs->end();
        allowed = true;
        return true;
    }
    // Asked again after the user chose to stay, the page asks again too.
    asked = true;
    page->triggerAction(QWebEnginePage::RequestClose);
    // A page whose renderer is gone, still starting or stuck never answers;
    // the window closes all the same. A page that puts its question to the
    // user has answered: what the user says decides.
    auto *wait = new QTimer(this);
    const qint64 until = QDateTime::currentMSecsSinceEpoch() + answerWaitMs;
    connect(wait, &QTimer::timeout, this, [this, wait, until] {
        const PageDialogs *dialogs = PageDialogs::of(page);
        if (allowed || (dialogs && dialogs->isOpen()) || QApplication::activeModalWidget()) {
            wait->stop();
            wait->deleteLater();
            return;
        }
        if (QDateTime::currentMSecsSinceEpoch() < until)
            return;
        wait->stop();
        wait->deleteLater();
        allowed = true;
        emit mayClose();
    });
    wait->start(answerPollMs);
    return false;
}

static QPointer<QDialog> s_question;
static std::function<void()> s_pending;

bool PageLeave::answerQuestion(QWidget *window)
{
    if (PageDialogs::endIn(window))
        return true;
    // The engine's own boxes (the file chooser); before the window hides:
    // hidden, it takes its boxes with it.
    for (QDialog *box : window->findChildren<QDialog *>()) {
        if (box->isVisible()) {
            s_question = box;
            box->reject();
            return true;
        }
    }
    return false;
}

void PageLeave::whenUnwound(QObject *context, std::function<void()> done)
{
    s_pending = std::move(done);
    auto *poll = new QTimer(context);
    connect(poll, &QTimer::timeout, poll, [poll] {
        if (s_question || PageDialogs::running())
            return;
        poll->stop();
        // Not from the poll itself: the window it belongs to is what goes.
        QMetaObject::invokeMethod(qApp, &PageLeave::finishPending, Qt::QueuedConnection);
    });
    poll->start(10);
}

void PageLeave::finishPending()
{
    if (!s_pending || s_question || PageDialogs::running())
        return;
    std::function<void()> done = std::move(s_pending);
    s_pending = nullptr;
    done();
}
