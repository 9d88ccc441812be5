// SPDX-License-Identifier: Apache-2.0
#include "widgets/accessibleinformbox.h"

#include "widgets/informbox.h"

#include <QLabel>

AccessibleInformBox::AccessibleInformBox(InformBox *box)
    : QAccessibleWidget(box, QAccessible::AlertMessage)
{
}

QAccessibleInterface *AccessibleInformBox::factory(const QString &className, QObject *object)
{
    if (className == QLatin1String(InformBox::staticMetaObject.className()))
        return new AccessibleInformBox(static_cast<InformBox *>(object));
    return nullptr;
}

QString AccessibleInformBox::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name) {
        if (auto *message = widget()->findChild<QLabel *>())
            return message->text();
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleInformBox::state() const
{
    // The keyboard is on one of its buttons, not on the box.
    QAccessible::State s = QAccessibleWidget::state();
    s.focused = false;
    s.modal = true;
    return s;
}
