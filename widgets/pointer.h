#pragma once

#include <QMouseEvent>

// Where a mouse event happened, exactly (not rounded to whole pixels): the
// newer toolkit renamed the accessors.
inline QPointF pointerInWidget(const QMouseEvent *event)
{
#if QT_VERSION_MAJOR >= 6
    return event->position();
#else
    return event->localPos();
#endif
}

inline QPointF pointerOnScreen(const QMouseEvent *event)
{
#if QT_VERSION_MAJOR >= 6
    return event->globalPosition();
#else
    return event->screenPos();
#endif
}
