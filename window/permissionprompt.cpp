// SPDX-License-Identifier: Apache-2.0
#include "window/permissionprompt.h"

#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"
#include "web/pagepermissions.h"
#include "widgets/informbox.h"

#include <QWidget>
#include <utility>

using Config = VellChatWBConfigure;

PermissionPrompt::PermissionPrompt(QWidget *frame, std::function<void()> dim, std::function<void()> undim)
    : QObject(frame)
    , frame(frame)
    , dim(std::move(dim))
    , undim(std::move(undim))
{
    PagePermissions *permissions = PagePermissions::instance();
    connect(permissions, &PagePermissions::userQuestion, this, &PermissionPrompt::ask);
    connect(permissions, &PagePermissions::userQuestionWithdrawn, this, &PermissionPrompt::withdraw);
    connect(permissions, &PagePermissions::hostQuestion, this,
            [](const QString &key, const QString &origin, const QString &feature) {
                transport::shareInstance()->askPermission(key, origin, feature);
            });
}

void PermissionPrompt::giveWay()
{
    if (box)
        box->deleteLater();
}

void PermissionPrompt::ask(int id, const QString &text)
{
    // Any other box gives way first, as boxes do to each other.
    dim();
    boxId = id;
    auto answer = [this, id](bool allow) {
        return [this, id, allow](QWidget *shown) {
            boxId = 0;
            shown->hide();
            shown->deleteLater();
            undim();
            PagePermissions::instance()->answerUser(id, allow);
        };
    };
    box = new InformBox(frame, text, Config::InfoAllow(), answer(true), Config::InfoBlock(), answer(false));
    box->holdInput();
    connect(box, &QObject::destroyed, this, [this, id] {
        if (boxId != id)
            return;
        boxId = 0;
        PagePermissions::instance()->dismissUser(id);
    });
    box->move((frame->width() - box->width()) / 2, (frame->height() - box->height()) / 2);
    box->show();
    box->setFocus(Qt::OtherFocusReason);
}

void PermissionPrompt::withdraw(int id)
{
    if (boxId != id || !box)
        return;
    boxId = 0;
    box->deleteLater();
    undim();
}
