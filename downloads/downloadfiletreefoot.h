// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QWidget>

class QPushButton;

// The strip under the history list with the button that cleans everything.
class DownloadFileTreeFoot : public QWidget
{
    Q_OBJECT
public:
    explicit DownloadFileTreeFoot(QWidget *parent);
    // Takes the button's caption from the configuration again.
    void updateText();
signals:
    void clearAll();
protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
private:
    QPushButton *button = nullptr;   // child, dies with the footer
};
