// SPDX-License-Identifier: Apache-2.0
#include "web/pagedialogs.h"

#include "config/externallinks.h"
#include "config/hostmatch.h"
#include "config/vellchatwbconfigure.h"
#include "web/enginecompat.h"
#include "widgets/informbox.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>

using Config = VellChatWBConfigure;

int PageDialogs::s_running = 0;

namespace {

// More than a box can show; a page's novel ends here.
constexpr int shownLength = 1000;

// Dims the page under the box and takes the clicks meant for it: the page
// waits for the answer and would get them all at once afterwards.
class Shade : public QWidget
{
public:
    explicit Shade(QWidget *view)
        : QWidget(view)
    {
        QPalette dim = palette();
        dim.setBrush(QPalette::All, QPalette::Window, QBrush(QColor(0, 0, 0, 40)));
        setPalette(dim);
        setAutoFillBackground(true);
        setGeometry(view->rect());
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize) {
            setGeometry(static_cast<QWidget *>(watched)->rect());
            for (QWidget *box : findChildren<InformBox *>())
                box->move((width() - box->width()) / 2, (height() - box->height()) / 2);
        }
        return false;
    }
};

// Who asks, on a line of its own, then what; nothing in either may hide or
// turn text around.
QString boxText(const QUrl &origin, const QString &message)
{
    QStringList lines = message.left(shownLength).split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = ExternalLinks::visible(line);
    const QString asker = HostMatch::originOf(origin);
    if (!asker.isEmpty())
        lines.prepend(ExternalLinks::visible(asker));
    return lines.join(QLatin1Char('\n'));
}

QString kindName(PageDialogs::Kind kind)
{
    switch (kind) {
    case PageDialogs::Kind::Alert: return QStringLiteral("alert");
    case PageDialogs::Kind::Confirm: return QStringLiteral("confirm");
    case PageDialogs::Kind::Prompt: return QStringLiteral("prompt");
    case PageDialogs::Kind::Leave: break;
    }
    return QStringLiteral("leave");
}

} // namespace

PageDialogs::PageDialogs(QWebEnginePage *page)
    : QObject(page)
    , page(page)
{
}

PageDialogs *PageDialogs::of(const QWebEnginePage *page)
{
    return page ? page->findChild<PageDialogs *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool PageDialogs::isLeaveQuestion(const QString &message)
{
    return message == QCoreApplication::translate(
               "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

bool PageDialogs::ask(Kind kind, const QUrl &origin, const QString &message, QString *text)
{
    QWidget *view = page ? EngineCompat::viewOf(page) : nullptr;
    if (ending || !view)
        return kind == Kind::Leave;
    const QString what = kindName(kind);
    emit receiveLog(QStringLiteral("page asks the user (%1) from %2").arg(what, HostMatch::originOf(origin)));

    QPointer<Shade> shade = new Shade(view);
    const QString cancelText = kind == Kind::Alert ? QString() : Config::InfoCancel();
    bool answer = false;
    QEventLoop loop;
    auto answerWith = [&answer, &loop](bool yes) {
        return [&answer, &loop, yes](QWidget *) {
            answer = yes;
            loop.quit();
        };
    };
    QPointer<InformBox> box = new InformBox(shade, boxText(origin, message), Config::InfoOK(), answerWith(true), cancelText,
                              cancelText.isEmpty() ? answerWith(true) : answerWith(false));
    if (kind == Kind::Prompt)
        box->addField(text ? *text : QString());
    box->holdInput();
    box->move((shade->width() - box->width()) / 2, (shade->height() - box->height()) / 2);
    connect(this, &PageDialogs::ended, &loop, [&answer, &loop, kind] {
        answer = kind == Kind::Leave;
        loop.quit();
    });
    shade->show();
    shade->raise();
    box->show();
    box->setFocus(Qt::OtherFocusReason);

    ++waiting;
    ++s_running;
    loop.exec();
    --s_running;
    --waiting;
    emit receiveLog(QStringLiteral("the user answers (%1): %2")
                        .arg(what, ending ? QStringLiteral("window closes") : answer ? QStringLiteral("yes") : QStringLiteral("no")));

    if (text && kind == Kind::Prompt)
        *text = answer && box ? box->fieldText() : QString();
    // The view may be gone with the window while the question was open.
    delete shade.data();
    if (QWidget *shown = page ? EngineCompat::viewOf(page) : nullptr)
        shown->setFocus(Qt::OtherFocusReason);
    return answer;
}

void PageDialogs::end()
{
    ending = true;
    emit ended();
}

bool PageDialogs::endIn(QWidget *window)
{
    bool any = false;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        auto *view = qobject_cast<QWebEngineView *>(widget);
        PageDialogs *dialogs = view ? of(view->page()) : nullptr;
        if (!dialogs)
            continue;
        any = any || dialogs->isOpen();
        dialogs->end();
    }
    return any;
}
