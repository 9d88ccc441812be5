// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QPointer>

class InformBox;
class VellChatWebBroswer_impl;

// Puts the pages' permission questions to the user in the frame's box
// (Allow / Block) and to the host over the link, and hands the answers back.
// A box that goes without an answer - another box took its place - is a
// Block for this once, so the page's request never stays open.
class PermissionPrompt : public QObject
{
    Q_OBJECT
public:
    explicit PermissionPrompt(VellChatWebBroswer_impl *frame);
private:
    void ask(int id, const QString &text);
    void withdraw(int id);

    VellChatWebBroswer_impl *frame;   // our parent
    QPointer<InformBox> box;
    int boxId = 0;
};
