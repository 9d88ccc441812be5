// SPDX-License-Identifier: Apache-2.0
#include "window/pageswitch.h"

#include "downloads/downloadfiletree.h"

#include <QDateTime>
#include <QWidget>

// Opening the history again within this shows the list it has; the host is
// not asked again for every click.
static constexpr qint64 listRequestGapMs = 1000;

PageSwitch::PageSwitch(QWidget *frame, QWidget *page, QWidget *backButton)
    : QObject(frame)
    , frame(frame)
    , page(page)
    , backButton(backButton)
{
}

bool PageSwitch::panelShowing() const
{
    return page->isHidden();
}

bool PageSwitch::showPanel()
{
    if (!panel || panelShowing())
        return false;
    // Left to the toolkit, keys from the page would land on a title button;
    // the frame keeps them, where no ring shows.
    QWidget *focus = frame->window()->focusWidget();
    if (focus && (focus == page || page->isAncestorOf(focus)))
        frame->setFocus(Qt::OtherFocusReason);
    page->hide();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (quint64(now - lastListRequestTime) > quint64(listRequestGapMs)) {
        panel->toRequestFileList();
        lastListRequestTime = now;
    }
    panel->show();
    backButton->show();
    return true;
}

bool PageSwitch::showPage()
{
    if (!panelShowing())
        return false;
    // Keys that were in the panel, or on Back, go on in the page.
    QWidget *focus = frame->window()->focusWidget();
    const bool keysInPanel = focus && (focus == backButton || (panel && panel->isAncestorOf(focus)));
    page->show();
    if (keysInPanel)
        page->setFocus(Qt::OtherFocusReason);
    if (panel)
        panel->hide();
    backButton->hide();
    return true;
}
