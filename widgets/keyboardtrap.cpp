// SPDX-License-Identifier: Apache-2.0
#include "widgets/keyboardtrap.h"

#include <QApplication>
#include <QEvent>
#include <QList>
#include <QWidget>
#include <utility>

namespace {

// The traps whose widgets are shown now, the one shown last at the end.
QList<KeyboardTrap *> &shownTraps()
{
    static QList<KeyboardTrap *> traps;
    return traps;
}

bool contains(const QWidget *outer, const QWidget *inner)
{
    return inner && (inner == outer || outer->isAncestorOf(inner));
}

// Whether the user's last press was on the keyboard rather than a mouse
// button or the screen.
bool lastPressWasKey = false;

class PressWatch : public QObject
{
public:
    using QObject::QObject;
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            lastPressWasKey = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::TouchBegin:
            lastPressWasKey = false;
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void KeyboardTrap::watchPresses()
{
    static PressWatch *watch = nullptr;
    if (watch || !qApp)
        return;
    watch = new PressWatch(qApp);
    qApp->installEventFilter(watch);
}

KeyboardTrap::KeyboardTrap(QWidget *widget)
    : QObject(widget)
    , widget(widget)
{
    watchPresses();
    widget->installEventFilter(this);
    if (widget->isVisible())
        activate();
}

KeyboardTrap::~KeyboardTrap()
{
    // The widget is being destroyed, perhaps with its window: hand nothing
    // back, just stop listening.
    if (!active)
        return;
    active = false;
    shownTraps().removeOne(this);
    qApp->removeEventFilter(this);
}

bool KeyboardTrap::holdsKeyboard() const
{
    return !shownTraps().isEmpty() && shownTraps().constLast() == this;
}

bool KeyboardTrap::isOutside(QObject *object) const
{
    auto *other = qobject_cast<QWidget *>(object);
    return other && !contains(widget, other) && other->window() == widget->window();
}

QWidget *KeyboardTrap::keyTarget() const
{
    QWidget *focus = QApplication::focusWidget();
    if (contains(widget, focus))
        return focus;
    return widget->focusProxy() ? widget->focusProxy() : widget;
}

void KeyboardTrap::activate()
{
    if (active)
        return;
    active = true;
    // Where the keyboard was; a trap replacing another one that is still on
    // screen gives back what that one would have.
    QWidget *focus = widget->window()->focusWidget();
    previousFocus = focus;
    for (KeyboardTrap *other : std::as_const(shownTraps())) {
        if (contains(other->widget, focus))
            previousFocus = other->previousFocus;
    }
    shownTraps().append(this);
    qApp->installEventFilter(this);
    // Opened by a key, the widget shows where the keyboard is at once (a
    // button's ring), as after Tab; opened by a click, it waits for a key.
    widget->setFocus(lastPressWasKey ? Qt::ShortcutFocusReason : Qt::OtherFocusReason);
}

void KeyboardTrap::deactivate()
{
    if (!active)
        return;
    active = false;
    const bool wasHolding = holdsKeyboard();
    shownTraps().removeOne(this);
    qApp->removeEventFilter(this);
    if (!wasHolding)
        return;
    // What had the keyboard may have gone meanwhile; then the widget's parent
    // takes it, so that the window's keys still work.
    QWidget *back = previousFocus;
    if (!back || !back->isVisible() || !back->isEnabled())
        back = widget->parentWidget();
    if (back)
        back->setFocus(Qt::OtherFocusReason);
}

bool KeyboardTrap::eventFilter(QObject *watched, QEvent *event)
{
    // A window that is minimised or restored hides and shows its children
    // spontaneously; that neither opens nor closes anything.
    if (watched == widget) {
        if (event->type() == QEvent::Show && !event->spontaneous())
            activate();
        else if (event->type() == QEvent::Hide && !event->spontaneous())
            deactivate();
        return false;
    }
    if (!active || !holdsKeyboard() || !isOutside(watched))
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        // Not from inside the focus change itself: once it has settled.
        QMetaObject::invokeMethod(this, [this] {
            if (active && holdsKeyboard() && !contains(widget, QApplication::focusWidget()))
                widget->setFocus(Qt::OtherFocusReason);
        }, Qt::QueuedConnection);
        return false;
    case QEvent::ShortcutOverride:
        // Taken here, so no shortcut of the window fires; the key itself
        // follows as a key press.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // A key the widget left alone climbs on to its parents; it stops
        // here. One meant for another widget goes to ours instead.
        if (!redirecting && !contains(widget, QApplication::focusWidget())) {
            redirecting = true;
            QCoreApplication::sendEvent(keyTarget(), event);
            redirecting = false;
        }
        return true;
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}
