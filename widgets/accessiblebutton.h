// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QAccessibleWidget>

class Button;

// A title or box button as assistive technology sees it: a push button named
// by its caption (or, for a picture, by the name its owner gave it) whose
// press action does what a click does; a decorative one is an image.
class AccessibleButton : public QAccessibleWidget
{
public:
    explicit AccessibleButton(Button *button);

    // For QAccessible::installFactory: answers for Button and its subclasses.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &name) const override;

private:
    Button *button() const;
};
