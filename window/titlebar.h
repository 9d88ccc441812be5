// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "widgets/imagebutton.h"
#include "widgets/textbutton.h"

#include <QBrush>
#include <QList>

class QPainter;

// What the title bar shows: the logo, the text buttons in the order they
// stand, and the window buttons at the right. The buttons are the frame's own
// children, so that all of the bar between them is the frame's surface for
// moving the window; the bar itself is painted by the frame with paint().
// The owner connects the buttons and lays the bar out again on a resize.
class TitleBar
{
public:
    // The buttons that the host may show or hide.
    enum class Optional { Collect, Share, Channel, OpenOutside };

    TitleBar(QWidget *frame, bool maxed);

    int height() const { return titleHeight; }
    void paint(QPainter &painter) const;
    void layout();
    // Captions, logo, height and colour as the configuration holds them now;
    // the caller lays out and repaints.
    void applyConfig();
    // Shows or hides the button as the configuration says, and lays the bar
    // out again when that moves the buttons after it.
    void showConfigured(Optional which);
    // The buttons Tab stops at, in the order they stand.
    QList<QWidget *> tabOrder();

    ImageButton logoButton;
    TextButton refreshButton;
    TextButton collectButton;
    TextButton shareButton;
    TextButton channelButton;
    TextButton openOutsideButton;
    TextButton webFileButton;
    ImageButton miniButton;
    ImageButton maxButton;
    ImageButton restoreButton;
    ImageButton closeButton;
    TextButton backButton;

private:
    void nameLogo();
    void fitLogo();

    QWidget *frame;
    // What the bar is painted and laid out with, taken from the configuration
    // together, so a change never shows in part of the bar.
    int titleHeight = 0;
    QBrush titleBrush;
    qint64 logoKey = 0;      // the configured logo the button shows, fitted to
    int logoHeight = 0;      // this title bar height
};
