// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QWidget>
#include <functional>

class MessageLabel;
class QLineEdit;
class TextButton;

// Panel over the page that asks for a confirmation or tells the user something.
// Its owner places and deletes it; the box only reports which button was pressed.
// The message wraps within the box, which grows downwards (never beyond its
// parent) rather than let the buttons cover the text.
class InformBox : public QWidget
{
    Q_OBJECT
public:
    using Callback = std::function<void(QWidget *)>;
    InformBox(QWidget *parent, const QString &message, const QString &confirmText,
              Callback confirmCallback, const QString &cancelText, Callback cancelCallback);
    ~InformBox() override;

    // For a box a page raised: for the first ms after it shows, it takes no
    // click and no key, so that a click or an Enter the page timed to raise
    // it lands on nothing rather than on its buttons.
    void holdInput(int ms = kPageBoxHoldMs);
    // Long enough that no click or key of the same gesture reaches the box,
    // short enough that a user reading it never waits: as browsers hold theirs.
    static constexpr int kPageBoxHoldMs = 500;
    // A line to type into, between the message and the buttons, holding
    // text at first; it has the keyboard when the box shows, and Enter in it
    // confirms. Once per box.
    void addField(const QString &text);
    QString fieldText() const;

signals:
    void closed();

public slots:
    void onConfirm();
    void onCancel();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Space between the last line of the message and the buttons.
    static int textGap();

    MessageLabel *messageLabel = nullptr;   // children die with the box
    TextButton *confirmButton = nullptr;
    TextButton *cancelButton = nullptr;
    QLineEdit *field = nullptr;
    Callback confirmCallback;
    Callback cancelCallback;
    int holdMs = 0;
    bool held = false;   // input is dropped until the hold after showing ends
};
