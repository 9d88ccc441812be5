// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class InformBox;
class QWidget;

// Puts the pages' permission questions to the user in a box over the frame
// (Allow / Block) and to the host over the link, and hands the answers back.
// A box that goes without an answer - another box took its place - is a
// Block for this once, so the page's request never stays open. The frame
// dims itself under the box and lets other boxes give way when asked.
class PermissionPrompt : public QObject
{
    Q_OBJECT
public:
    // dim: any other box goes and the frame darkens for this one; undim: the
    // box is gone, the frame's own boxes with it.
    PermissionPrompt(QWidget *frame, std::function<void()> dim, std::function<void()> undim);
public slots:
    // Another box takes the frame: the open question goes.
    void giveWay();
private:
    void ask(int id, const QString &text);
    void withdraw(int id);

    QWidget *frame;   // our parent
    std::function<void()> dim;
    std::function<void()> undim;
    QPointer<InformBox> box;
    int boxId = 0;
};
