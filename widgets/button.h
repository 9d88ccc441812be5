// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QWidget>

class QPainter;

// A clickable area that keeps its own hover and press state instead of
// borrowing a platform push button, so the chrome looks the same everywhere.
class Button : public QWidget
{
    Q_OBJECT
public:
    enum State {
        StateOver = 1,       // the pointer is over the button
        StatePressed = 2,    // a press started here and is not released yet
        StateDisabled = 4,   // a marker for the owner; clicks still happen
    };

    explicit Button(QWidget *parent);

    void setAcceptBoth(bool accept);
    void setDisabled(bool disabled);
    void setOver(bool over);
    void clearState();
    int getState() const;
    // What a click does, for the keyboard and for assistive technology.
    void click();
    // A button that only shows a picture (the logo): assistive technology
    // sees an image, with nothing to press.
    void setDecorative(bool on) { decorative = on; }
    bool isDecorative() const { return decorative; }

signals:
    void clicked();
    void stateChanged(int oldState);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    // Enter arrives through event(): its handler's signature differs between
    // toolkit versions, the event does not.
    bool event(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // A ring just inside the edge while someone works the button with keys.
    void paintFocusRing(QPainter &painter, const QColor &color) const;

private:
    void pointerEntered();
    void setFlag(int flag, bool on);

    int state = 0;
    bool acceptBoth = false;
    bool keyboardFocus = false;   // came by Tab, or a key was pressed since
    bool decorative = false;
};
