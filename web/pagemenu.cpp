// SPDX-License-Identifier: Apache-2.0
#include "web/pagemenu.h"

#include "web/enginecompat.h"

#include <QMenu>
#include <QWebEnginePage>
#include <utility>

bool PageMenu::addEntries(QMenu *menu, QWebEnginePage *page)
{
    const EngineCompat::MenuPlace place = EngineCompat::menuPlace(page);
    if (!place.valid)
        return false;
    QList<QWebEnginePage::WebAction> actions;
    if (place.editable)
        actions << QWebEnginePage::Cut << QWebEnginePage::Copy << QWebEnginePage::Paste << QWebEnginePage::SelectAll;
    else if (!place.selectedText.isEmpty())
        actions << QWebEnginePage::Copy;
    if (place.linkUrl.isValid())
        actions << QWebEnginePage::CopyLinkToClipboard << QWebEnginePage::DownloadLinkToDisk;
    if (place.image && place.mediaUrl.isValid())
        actions << QWebEnginePage::CopyImageToClipboard << QWebEnginePage::DownloadImageToDisk;
    for (QWebEnginePage::WebAction action : std::as_const(actions))
        menu->addAction(page->action(action));
    return !actions.isEmpty();
}
