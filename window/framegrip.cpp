// SPDX-License-Identifier: Apache-2.0
#include "window/framegrip.h"

#include "widgets/pointer.h"
#include "window/windowplacement.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <QtMath>

// A corner takes a larger square than the edges' bands, so that a diagonal
// resize is easy to catch on the window's thin border.
static constexpr int cornerBand = 11;
// The edges are thin handles: the rest of the frame, title bar included, moves.
static constexpr int edgeBand = 5;

FrameGrip::FrameGrip(QWidget *frame, std::function<int()> titleHeight)
    : QObject(frame)
    , frame(frame)
    , titleHeight(std::move(titleHeight))
{
    frame->installEventFilter(this);
}

FrameGrip::Zone FrameGrip::zoneAt(int x, int y) const
{
    const int w = frame->width();
    const int h = frame->height();
    if (x <= cornerBand && y <= cornerBand)
        return Zone::TopLeft;
    if (x <= cornerBand && y >= h - cornerBand)
        return Zone::BottomLeft;
    if (x >= w - cornerBand) {
        if (y <= cornerBand)
            return Zone::TopRight;
        if (y >= h - cornerBand)
            return Zone::BottomRight;
    }
    if (x <= edgeBand)
        return Zone::Left;
    if (x >= w - edgeBand)
        return Zone::Right;
    if (y <= edgeBand)
        return Zone::Top;
    if (y >= h - edgeBand)
        return Zone::Bottom;
    return Zone::Move;
}

// The frame takes every mouse event that reaches it, its children's unhandled
// ones included, so that none goes on to the window around it; a disabled
// frame would get none.
bool FrameGrip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != frame || !frame->isEnabled())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: press(static_cast<QMouseEvent *>(event)); return true;
    case QEvent::MouseMove: drag(static_cast<QMouseEvent *>(event)); return true;
    case QEvent::MouseButtonRelease: release(); return true;
    case QEvent::MouseButtonDblClick: doubleClick(static_cast<QMouseEvent *>(event)); return true;
    // The pointer's shape follows the edges only while it is over the frame.
    case QEvent::Enter: frame->setAttribute(Qt::WA_MouseTracking, true); return false;
    case QEvent::Leave: frame->setAttribute(Qt::WA_MouseTracking, false); return false;
    default: return false;
    }
}

Qt::CursorShape FrameGrip::cursorFor(Zone zone)
{
    switch (zone) {
    case Zone::Top:
    case Zone::Bottom:
        return Qt::SizeVerCursor;
    case Zone::Left:
    case Zone::Right:
        return Qt::SizeHorCursor;
    case Zone::TopLeft:
    case Zone::BottomRight:
        return Qt::SizeFDiagCursor;
    case Zone::TopRight:
    case Zone::BottomLeft:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

static QPoint roundedPoint(const QPointF &p)
{
    // halves go up, so a pointer exactly between two pixels picks the later one
    return QPoint(qFloor(p.x() + 0.5), qFloor(p.y() + 0.5));
}

bool FrameGrip::parentMaximized() const
{
    return frame->parentWidget() && frame->parentWidget()->isMaximized();
}

void FrameGrip::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressGlobalPos = roundedPoint(pointerOnScreen(event));
    if (QWidget *w = frame->parentWidget()) {
        pressFrameGeometry = w->frameGeometry();
        const QRect client = w->geometry();
        pressFrameMargins = QMargins(client.left() - pressFrameGeometry.left(), client.top() - pressFrameGeometry.top(),
                                     pressFrameGeometry.right() - client.right(), pressFrameGeometry.bottom() - client.bottom());
    }
    event->accept();
    if (QWidget *w = frame->parentWidget())
        w->activateWindow();
    frame->setFocus(Qt::MouseFocusReason);
    const QPoint local = roundedPoint(pointerInWidget(event));
    dragMode = zoneAt(local.x(), local.y());
    frame->setCursor(cursorFor(dragMode));
}

void FrameGrip::drag(QMouseEvent *event)
{
    if (dragMode == Zone::None) {
        const QPoint local = roundedPoint(pointerInWidget(event));
        frame->setCursor(cursorFor(zoneAt(local.x(), local.y())));
        return;
    }
    frame->setCursor(cursorFor(dragMode));
    if (event->buttons() != Qt::LeftButton)
        return;
    event->accept();
    const QPoint pointer = roundedPoint(pointerOnScreen(event));
    const bool placesItself = WindowPlacement::windowsPlaceThemselves();
    // A drag that changes the window state or hands the pointer to the
    // compositor waits until the pointer has really travelled, so that a click
    // or a double-click on the title bar stays one.
    if ((!placesItself || (dragMode == Zone::Move && parentMaximized()))
        && (pointer - pressGlobalPos).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!placesItself && handOverDrag()) {
        dragMode = Zone::None;   // the compositor has the pointer until the drag ends
        return;
    }
    if (dragMode == Zone::Move) {
        if (parentMaximized())
            restoreUnderPointer(pointer);
        emit moveRequested(pressFrameGeometry.topLeft() + pointer - pressGlobalPos);
        return;
    }
    if (parentMaximized())
        return;   // a maximised window keeps its size; window managers do the same
    const QPoint delta = pointer - pressGlobalPos;

    // Every step starts from the press, and the edges not dragged stay put.
    const QRect &g = pressFrameGeometry;
    const int mw = frame->minimumSize().width();
    const int mh = frame->minimumSize().height();
    int left = g.left();
    int top = g.top();
    int width = g.width();
    int height = g.height();
    const Zone z = dragMode;
    const bool dragLeft = z == Zone::Left || z == Zone::TopLeft || z == Zone::BottomLeft;
    const bool dragRight = z == Zone::Right || z == Zone::TopRight || z == Zone::BottomRight;
    const bool dragTop = z == Zone::Top || z == Zone::TopLeft || z == Zone::TopRight;
    const bool dragBottom = z == Zone::Bottom || z == Zone::BottomLeft || z == Zone::BottomRight;
    if (dragRight) {
        width = qMax(g.right() - g.left() + 1 + delta.x(), mw);
    } else if (dragLeft) {
        width = qMax(g.right() - g.left() + 1 - delta.x(), mw);
        left = g.right() - width + 1;
    }
    if (dragBottom) {
        height = qMax(g.bottom() - g.top() + 1 + delta.y(), mh);
    } else if (dragTop) {
        height = qMax(g.bottom() - g.top() + 1 - delta.y(), mh);
        top = g.bottom() - height + 1;
    }
    // The arithmetic is the frame's; the window is sized by its client area.
    emit geometryRequested(QRect(left, top, width, height).marginsRemoved(pressFrameMargins));
}

// A maximised window dragged by its title bar comes back at its normal size
// with the pointer over the same share of its width, as window managers do it,
// and the drag goes on from there.
void FrameGrip::restoreUnderPointer(const QPoint &pointer)
{
    QWidget *w = frame->parentWidget();
    const QSize normal = normalSize ? normalSize() : w->normalGeometry().size();
    const QMargins &m = pressFrameMargins;
    const QRect &g = pressFrameGeometry;
    const QSize frameSize(normal.width() + m.left() + m.right(), normal.height() + m.top() + m.bottom());
    const int grabX = g.width() > 0 ? int(qint64(pressGlobalPos.x() - g.left()) * frameSize.width() / g.width()) : 0;
    const QPoint corner(pointer.x() - grabX, pointer.y() - (pressGlobalPos.y() - g.top()));
    emit windowStateLeft();
    emit geometryRequested(QRect(corner + QPoint(m.left(), m.top()), normal));
    pressGlobalPos = pointer;
    pressFrameGeometry = QRect(corner, frameSize);
}

// Where windows cannot place themselves, the compositor moves or resizes the
// window under the pointer itself.
bool FrameGrip::handOverDrag()
{
    QWindow *handle = frame->window()->windowHandle();
    if (!handle)
        return false;
    Qt::Edges edges;
    switch (dragMode) {
    case Zone::Move: return handle->startSystemMove();
    case Zone::Top: edges = Qt::TopEdge; break;
    case Zone::Left: edges = Qt::LeftEdge; break;
    case Zone::Bottom: edges = Qt::BottomEdge; break;
    case Zone::Right: edges = Qt::RightEdge; break;
    case Zone::TopLeft: edges = Qt::TopEdge | Qt::LeftEdge; break;
    case Zone::TopRight: edges = Qt::TopEdge | Qt::RightEdge; break;
    case Zone::BottomLeft: edges = Qt::BottomEdge | Qt::LeftEdge; break;
    case Zone::BottomRight: edges = Qt::BottomEdge | Qt::RightEdge; break;
    case Zone::None: return false;
    }
    return handle->startSystemResize(edges);
}

// As on a window manager's title bar, a double-click maximises or restores.
void FrameGrip::doubleClick(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint local = roundedPoint(pointerInWidget(event));
    if (local.y() >= titleHeight() || zoneAt(local.x(), local.y()) != Zone::Move)
        return;
    event->accept();
    dragMode = Zone::None;
    if (parentMaximized())
        emit restoreRequested();
    else
        emit maximizeRequested();
}

void FrameGrip::release()
{
    frame->releaseMouse();
    dragMode = Zone::None;
    frame->setCursor(Qt::ArrowCursor);
}
