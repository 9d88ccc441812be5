// SPDX-License-Identifier: Apache-2.0
#include "widgets/accessiblebutton.h"

#include "widgets/textbutton.h"

#include <QKeySequence>

AccessibleButton::AccessibleButton(Button *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

QAccessible::Role AccessibleButton::role() const
{
    return button()->isDecorative() ? QAccessible::Graphic : QAccessible::Button;
}

QAccessibleInterface *AccessibleButton::factory(const QString &className, QObject *object)
{
    // Asked once per class from the object's own upwards; answer at the first.
    auto *button = qobject_cast<Button *>(object);
    if (button && className == QLatin1String(object->metaObject()->className()))
        return new AccessibleButton(button);
    return nullptr;
}

Button *AccessibleButton::button() const
{
    return static_cast<Button *>(widget());
}

QString AccessibleButton::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
        if (auto *text = qobject_cast<TextButton *>(widget()))
            return text->caption();
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleButton::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    const int flags = button()->getState();
    s.pressed = (flags & Button::StatePressed) != 0;
    s.hotTracked = (flags & Button::StateOver) != 0;
    if (flags & Button::StateDisabled) {
        s.disabled = true;
        s.focusable = false;
    }
    return s;
}

QStringList AccessibleButton::actionNames() const
{
    if (button()->isDecorative())
        return QStringList();
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
}

void AccessibleButton::doAction(const QString &name)
{
    if (button()->isDecorative())
        return;
    if (name == pressAction())
        button()->click();
    else
        QAccessibleWidget::doAction(name);
}

QStringList AccessibleButton::keyBindingsForAction(const QString &name) const
{
    if (name == pressAction())
        return {QKeySequence(Qt::Key_Space).toString()};
    return QAccessibleWidget::keyBindingsForAction(name);
}
