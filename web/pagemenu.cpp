// SPDX-License-Identifier: Apache-2.0
#include "web/pagemenu.h"

#include <QMenu>
#include <QWebEngineContextMenuData>
#include <QWebEnginePage>

bool PageMenu::addEntries(QMenu *menu, QWebEnginePage *page)
{
    const QWebEngineContextMenuData &place = page->contextMenuData();
    if (!place.isValid())
        return false;
    QList<QWebEnginePage::WebAction> actions;
    if (place.isContentEditable())
        actions << QWebEnginePage::Cut << QWebEnginePage::Copy << QWebEnginePage::Paste << QWebEnginePage::SelectAll;
    else if (!place.selectedText().isEmpty())
        actions << QWebEnginePage::Copy;
    if (place.linkUrl().isValid())
        actions << QWebEnginePage::CopyLinkToClipboard << QWebEnginePage::DownloadLinkToDisk;
    if (place.mediaType() == QWebEngineContextMenuData::MediaTypeImage && place.mediaUrl().isValid())
        actions << QWebEnginePage::CopyImageToClipboard << QWebEnginePage::DownloadImageToDisk;
    for (QWebEnginePage::WebAction action : qAsConst(actions))
        menu->addAction(page->action(action));
    return !actions.isEmpty();
}
