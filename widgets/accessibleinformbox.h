// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QAccessibleWidget>

class InformBox;

// An information box as assistive technology sees it: a modal alert named by
// its message, holding the message and its confirm and cancel buttons.
class AccessibleInformBox : public QAccessibleWidget
{
public:
    explicit AccessibleInformBox(InformBox *box);

    // For QAccessible::installFactory: answers for InformBox.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
};
