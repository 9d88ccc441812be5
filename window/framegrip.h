// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <utility>

class QMouseEvent;
class QWidget;

// Moving and resizing the window by the frame's own surface, where no child
// covers it: a press near an edge or a corner resizes, anywhere else moves,
// and a double-click on the title bar maximises or restores. Where windows
// cannot place themselves, the compositor is handed the drag. It watches the
// frame's mouse events; the window itself moves through the signals.
class FrameGrip : public QObject
{
    Q_OBJECT
public:
    enum class Zone { None = 0, Move, Top, Left, Bottom, Right, TopLeft, TopRight, BottomLeft, BottomRight };

    // titleHeight: how far down the frame a double-click counts as the title bar's.
    FrameGrip(QWidget *frame, std::function<int()> titleHeight);

    Zone zoneAt(int x, int y) const;
    // The window's size once it is no longer maximised, where the window
    // keeps its own account of it; otherwise the toolkit's.
    void setNormalSize(std::function<QSize()> size) { normalSize = std::move(size); }

signals:
    void moveRequested(QPoint frameCorner);
    void geometryRequested(QRect clientGeometry);
    void windowStateLeft();    // a maximised window is about to come back to its normal size
    void maximizeRequested();
    void restoreRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(QMouseEvent *event);
    void drag(QMouseEvent *event);
    void release();
    void doubleClick(QMouseEvent *event);
    static Qt::CursorShape cursorFor(Zone zone);
    bool parentMaximized() const;
    bool handOverDrag();
    void restoreUnderPointer(const QPoint &pointer);

    QWidget *frame;
    std::function<int()> titleHeight;
    std::function<QSize()> normalSize;
    Zone dragMode = Zone::None;
    QPoint pressGlobalPos;
    QRect pressFrameGeometry;
    QMargins pressFrameMargins;   // the decoration around the client area at the press
};
