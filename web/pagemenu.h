// SPDX-License-Identifier: Apache-2.0
#pragma once

class QMenu;
class QWebEnginePage;

// The right-click entries that fit where the user clicked, as the engine
// describes the place: editing in a text field, Copy on a selection, copying
// and saving a link or an image. Saving goes the way of any page download, to
// the host. The entries are the page's own actions, so they act on the place
// that was clicked.
namespace PageMenu {

// Adds the entries for the page's last context; false when none fit.
bool addEntries(QMenu *menu, QWebEnginePage *page);

}
