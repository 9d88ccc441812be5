// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>

class DownloadFileTree;
class QWidget;

// The page and the download history share one place in the frame and show
// one at a time, Back in the title bar along with the history. Keys that were
// in what goes away follow to what comes. The frame makes the panel, and lays
// itself out again after a switch.
class PageSwitch : public QObject
{
    Q_OBJECT
public:
    PageSwitch(QWidget *frame, QWidget *page, QWidget *backButton);
    void setPanel(DownloadFileTree *panel) { this->panel = panel; }
    bool panelShowing() const;
    // Each returns false when there was nothing to switch.
    bool showPanel();
    bool showPage();

private:
    QWidget *frame;
    QWidget *page;
    QWidget *backButton;
    DownloadFileTree *panel = nullptr;
    qint64 lastListRequestTime = 0;
};
