#include "widgets/button.h"

#include <QMouseEvent>

Button::Button(QWidget *parent)
    : QWidget(parent)
{
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

void Button::setFlag(int flag, bool on)
{
    const int old = state;
    state = on ? (state | flag) : (state & ~flag);
    if (state != old)
        emit stateChanged(old);
}

void Button::mousePressEvent(QMouseEvent *event)
{
    if (!acceptBoth && !(event->buttons() & Qt::LeftButton))
        return;
    // A button that appeared under a resting pointer never saw an enter event;
    // without this its release would not count as a click.
    if (!(state & StateOver)) {
        QEvent enter(QEvent::Enter);
        enterEvent(&enter);
    }
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
    const QPoint pos = event->localPos().toPoint();
    setOver(QRect(0, 0, width(), height()).contains(pos));
}

void Button::enterEvent(QEvent *event)
{
    setOver(true);
    setMouseTracking(true);
    QWidget::enterEvent(event);
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
