// SPDX-License-Identifier: Apache-2.0
#include "window/pagezoom.h"

#include "config/vellchatwbconfigure.h"

#include <QHash>
#include <QLabel>
#include <QWebEngineView>

using Config = VellChatWBConfigure;

// The level stays on screen this long after the last step.
static constexpr int indicatorMs = 1500;

// Levels of this run only: the browser stores nothing on disk.
static QHash<QString, int> &levels()
{
    static QHash<QString, int> byHost;
    return byHost;
}

// Pages grow with the chrome around them: where the toolkit leaves the
// scaling to this program (up to 150 %), every page is zoomed to match.
static qreal baseScale()
{
    return dpiScaled(100) / 100.0;
}

PageZoom::PageZoom(QWidget *frame, QWebEngineView *view)
    : QObject(frame)
    , frame(frame)
    , view(view)
    , indicator(new QLabel(frame))
{
    indicator->setAlignment(Qt::AlignCenter);
    indicator->setFont(Config::font());
    indicator->setAutoFillBackground(true);
    indicator->hide();
    hideTimer.setSingleShot(true);
    hideTimer.setInterval(indicatorMs);
    connect(&hideTimer, &QTimer::timeout, indicator, &QWidget::hide);
    // The engine carries a zoom level over to the next address; every host
    // starts at its own.
    connect(view, &QWebEngineView::urlChanged, this, &PageZoom::apply);
    apply();
}

QString PageZoom::host() const
{
    return view->url().host();
}

int PageZoom::percent() const
{
    return levels().value(host(), 100);
}

QString PageZoom::indicatorText() const
{
    return indicator->isVisible() ? indicator->text() : QString();
}

void PageZoom::setPercent(int percent)
{
    percent = qBound(least, percent, most);
    if (percent == 100)
        levels().remove(host());
    else
        levels().insert(host(), percent);
    apply();

    QPalette colours = indicator->palette();
    colours.setBrush(QPalette::Window, Config::TitleBG());
    colours.setColor(QPalette::WindowText, Config::TitleTextColor());
    indicator->setPalette(colours);
    indicator->setText(QStringLiteral("%1 %").arg(percent));
    indicator->setAccessibleName(indicator->text());
    indicator->resize(indicator->sizeHint() + QSize(dpiScaled(24), dpiScaled(12)));
    const QRect page = view->geometry();
    indicator->move(page.center().x() - indicator->width() / 2, page.top() + dpiScaled(16));
    indicator->show();
    indicator->raise();
    hideTimer.start();
}

void PageZoom::apply()
{
    view->setZoomFactor(baseScale() * percent() / 100.0);
}
