#include "widgets/informbox.h"

#include "config/vellchatwbconfigure.h"
#include "widgets/keyboardtrap.h"
#include "widgets/textbutton.h"

#include <QApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

InformBox::InformBox(QWidget *parent, const QString &message, const QString &confirmText,
                     Callback confirmCallback, const QString &cancelText, Callback cancelCallback)
    : QWidget(parent)
{
    messageLabel = new QLabel(message, this);
    // Messages come from the host and name downloaded files; a '<' in them is text.
    messageLabel->setTextFormat(Qt::PlainText);
    confirmButton = new TextButton(this, confirmText, VellChatWBConfigure::font(), Qt::black);
    cancelButton = new TextButton(this, cancelText, VellChatWBConfigure::font(), Qt::black);
    this->confirmCallback = std::move(confirmCallback);
    this->cancelCallback = std::move(cancelCallback);

    // Never larger than the frame it covers, in each direction on its own.
    QSize size = VellChatWBConfigure::InfoBoxSize();
    if (parent)
        size = size.boundedTo(parent->size());
    resize(size);

    // One unwrapped line: a long message is cut at the box edge, the box keeps its size.
    messageLabel->resize(messageLabel->sizeHint());
    if (cancelText.isEmpty())
        cancelButton->hide();

    connect(confirmButton, &Button::clicked, this, &InformBox::onConfirm);
    connect(cancelButton, &Button::clicked, this, &InformBox::onCancel);

    // Shown, the box has the keyboard, starting on its confirm button.
    setFocusProxy(confirmButton);
    new KeyboardTrap(this);
}

InformBox::~InformBox()
{
    qDebug() << "~InformBox";
}

void InformBox::onConfirm()
{
    if (confirmCallback)
        confirmCallback(this);
}

void InformBox::onCancel()
{
    if (cancelCallback)
        cancelCallback(this);
}

void InformBox::keyPressEvent(QKeyEvent *event)
{
    // Escape does what cancel does, or closes a box that has only one button.
    // Enter confirms unless a focused button took it first. No key goes on to
    // the page or the panel behind the box.
    event->accept();
    if (event->isAutoRepeat() || (event->modifiers() & ~Qt::KeypadModifier))
        return;
    if (event->key() == Qt::Key_Escape)
        (cancelButton->isHidden() ? confirmButton : cancelButton)->click();
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        confirmButton->click();
}

bool InformBox::focusNextPrevChild(bool next)
{
    // Tab goes round the box's own buttons only.
    QList<QWidget *> buttons;
    for (QWidget *button : {static_cast<QWidget *>(cancelButton), static_cast<QWidget *>(confirmButton)}) {
        if (!button->isHidden())
            next ? buttons.append(button) : buttons.prepend(button);
    }
    const int at = buttons.indexOf(QApplication::focusWidget());
    buttons.at((at + 1) % buttons.size())->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void InformBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
}

void InformBox::resizeEvent(QResizeEvent *event)
{
    const QMargins m = VellChatWBConfigure::InfoBoxMargins();
    messageLabel->move(m.left(), m.top());
    // The buttons hang from the inner bottom-right corner, cancel left of confirm.
    confirmButton->move(width() - confirmButton->width() - m.right(),
                        height() - confirmButton->height() - m.bottom());
    cancelButton->move(confirmButton->x() - cancelButton->width(), confirmButton->y());
    QWidget::resizeEvent(event);
}
