// SPDX-License-Identifier: Apache-2.0
#include "widgets/button.h"

#include "config/vellchatwbconfigure.h"
#include "widgets/pointer.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

Button::Button(QWidget *parent)
    : QWidget(parent)
{
    // Reached with Tab only: a click must not take the keyboard from the page.
    setFocusPolicy(Qt::TabFocus);
}

void Button::setAcceptBoth(bool accept)
{
    acceptBoth = accept;
}

void Button::setDisabled(bool disabled)
{
    setFlag(StateDisabled, disabled);
}

void Button::setOver(bool over)
{
    setFlag(StateOver, over);
}

void Button::clearState()
{
    // Owners use this to reset a button they reuse, so listeners always hear of it.
    const int old = state;
    state = 0;
    emit stateChanged(old);
}

int Button::getState() const
{
    return state;
}

void Button::click()
{
    emit clicked();
}

void Button::setFlag(int flag, bool on)
{
    const int old = state;
    state = on ? (state | flag) : (state & ~flag);
    if (state == old)
        return;
    if (flag & StateDisabled) {
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    emit stateChanged(old);
}

void Button::focusInEvent(QFocusEvent *event)
{
    // A box gives its button the focus when it opens; the ring waits for a
    // key, so nothing changes for someone who uses the mouse. Coming back to
    // the window keeps what was shown before.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
        keyboardFocus = true;
    else if (reason != Qt::ActiveWindowFocusReason)
        keyboardFocus = false;
    QWidget::focusInEvent(event);
}

void Button::focusOutEvent(QFocusEvent *event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason)
        keyboardFocus = false;
    QWidget::focusOutEvent(event);
}

void Button::keyPressEvent(QKeyEvent *event)
{
    if (!keyboardFocus) {
        keyboardFocus = true;
        update();
    }
    const bool pressKey = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return
                          || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Select;
    if (!pressKey || (event->modifiers() & ~Qt::KeypadModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    // A held key presses once.
    if (!event->isAutoRepeat())
        click();
    event->accept();
}

void Button::paintFocusRing(QPainter &painter, const QColor &color) const
{
    if (!hasFocus() || !keyboardFocus)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setOpacity(1.0);
    painter.setPen(QPen(color, 1));
    painter.setBrush(Qt::NoBrush);
    const qreal radius = dpiScaled(3);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.restore();
}

void Button::mousePressEvent(QMouseEvent *event)
{
    if (!acceptBoth && !(event->buttons() & Qt::LeftButton))
        return;
    // A button that appeared under a resting pointer never saw an enter event;
    // without this its release would not count as a click.
    if (!(state & StateOver))
        pointerEntered();
    if (state & StatePressed)
        return;
    const int old = state;
    state |= StatePressed;
    emit stateChanged(old);
    event->accept();
}

void Button::mouseReleaseEvent(QMouseEvent *event)
{
    if (!(state & StatePressed))
        return;
    const int old = state;
    state &= ~StatePressed;
    emit stateChanged(old);
    if (state & StateOver) {
        emit clicked();
        return;
    }
    // Released outside: the leave we ignored while pressed happens now.
    leaveEvent(event);
}

void Button::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = pointerInWidget(event).toPoint();
    setOver(QRect(0, 0, width(), height()).contains(pos));
}

bool Button::event(QEvent *event)
{
    if (event->type() == QEvent::Enter)
        pointerEntered();
    return QWidget::event(event);
}

void Button::pointerEntered()
{
    setOver(true);
    setMouseTracking(true);
}

void Button::leaveEvent(QEvent *event)
{
    // While pressed the button keeps the mouse; moves keep StateOver current.
    if (state & StatePressed)
        return;
    setOver(false);
    setMouseTracking(false);
    QWidget::leaveEvent(event);
}
