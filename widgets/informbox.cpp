#include "widgets/informbox.h"

#include "config/vellchatwbconfigure.h"
#include "widgets/textbutton.h"

#include <QDebug>
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
