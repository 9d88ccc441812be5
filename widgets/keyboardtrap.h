// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// While its widget is shown, the keyboard stays with it: focus that wanders
// elsewhere in the same window is brought back, and keys on their way to
// another widget of the window go to the widget instead. When the widget
// hides, the focus goes back to where it was before. Of several trapping
// widgets shown at once, the latest shown holds the keyboard.
class KeyboardTrap : public QObject
{
    Q_OBJECT
public:
    explicit KeyboardTrap(QWidget *widget);
    ~KeyboardTrap() override;

    bool isActive() const { return active; }
    // Starts noting whether the user last pressed a key or clicked, which
    // decides how the keyboard is handed to a widget that opens; call it
    // before the first key that can open one.
    static void watchPresses();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void activate();
    void deactivate();
    bool holdsKeyboard() const;
    bool isOutside(QObject *object) const;
    QWidget *keyTarget() const;

    QWidget *widget = nullptr;   // our parent
    QPointer<QWidget> previousFocus;
    bool active = false;
    bool redirecting = false;
};
