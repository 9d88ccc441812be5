// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QWidget>
#include <functional>

class MessageLabel;
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

private:
    // Space between the last line of the message and the buttons.
    static int textGap();

    MessageLabel *messageLabel = nullptr;   // children die with the box
    TextButton *confirmButton = nullptr;
    TextButton *cancelButton = nullptr;
    Callback confirmCallback;
    Callback cancelCallback;
};
