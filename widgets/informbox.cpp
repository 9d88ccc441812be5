// SPDX-License-Identifier: Apache-2.0
#include "widgets/informbox.h"

#include "config/logcategories.h"
#include "config/vellchatwbconfigure.h"
#include "widgets/keyboardtrap.h"
#include "widgets/messagelabel.h"
#include "widgets/textbutton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

InformBox::InformBox(QWidget *parent, const QString &message, const QString &confirmText,
                     Callback confirmCallback, const QString &cancelText, Callback cancelCallback)
    : QWidget(parent)
{
    messageLabel = new MessageLabel(message, this);
    // Measured against its buttons, so in their font.
    messageLabel->setFont(VellChatWBConfigure::font());
    confirmButton = new TextButton(this, confirmText, VellChatWBConfigure::font(), Qt::black);
    cancelButton = new TextButton(this, cancelText, VellChatWBConfigure::font(), Qt::black);
    this->confirmCallback = std::move(confirmCallback);
    this->cancelCallback = std::move(cancelCallback);

    // The configured size is the smallest; a message wrapped within that
    // width may need more height to stay clear of the buttons. Never larger
    // than the frame it covers, in each direction on its own.
    const QMargins m = VellChatWBConfigure::InfoBoxMargins();
    QSize size = VellChatWBConfigure::InfoBoxSize();
    if (parent)
        size.setWidth(qMin(size.width(), parent->width()));
    // A parent's height holds so many lines at the most.
    const int maxLines = parent ? parent->height() / messageLabel->lineHeight() + 1 : INT_MAX;
    const int textHeight = messageLabel->textSize(size.width() - m.left() - m.right(), maxLines).height();
    size.setHeight(qMax(size.height(), m.top() + textHeight + textGap() + confirmButton->height() + m.bottom()));
    if (parent)
        size.setHeight(qMin(size.height(), parent->height()));
    resize(size);

    if (cancelText.isEmpty())
        cancelButton->hide();

    connect(confirmButton, &Button::clicked, this, &InformBox::onConfirm);
    connect(cancelButton, &Button::clicked, this, &InformBox::onCancel);

    // Shown, the box has the keyboard, starting on its confirm button.
    setFocusProxy(confirmButton);
    new KeyboardTrap(this);
}

int InformBox::textGap()
{
    return dpiScaled(10);
}

InformBox::~InformBox()
{
    qCDebug(lcWidgets) << "~InformBox";
}

void InformBox::holdInput(int ms)
{
    holdMs = ms;
    for (QWidget *button : {static_cast<QWidget *>(confirmButton), static_cast<QWidget *>(cancelButton)})
        button->installEventFilter(this);
    if (field)
        field->installEventFilter(this);
}

void InformBox::addField(const QString &text)
{
    if (field)
        return;
    field = new QLineEdit(text, this);
    field->setFont(VellChatWBConfigure::font());
    field->selectAll();
    // The parent's height is still the limit.
    const int grown = height() + field->sizeHint().height() + textGap();
    resize(width(), parentWidget() ? qMin(grown, parentWidget()->height()) : grown);
    setFocusProxy(field);
    if (holdMs > 0)
        field->installEventFilter(this);
}

QString InformBox::fieldText() const
{
    return field ? field->text() : QString();
}

void InformBox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (holdMs <= 0 || held)
        return;
    held = true;
    QTimer::singleShot(holdMs, this, [this] { held = false; });
    holdMs = 0;
}

bool InformBox::eventFilter(QObject *watched, QEvent *event)
{
    if (held) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
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
    // Enter confirms unless a focused button took it first; the field lets
    // Enter and Escape come here. No key goes on to the page or the panel
    // behind the box.
    event->accept();
    if (held || event->isAutoRepeat() || (event->modifiers() & ~Qt::KeypadModifier))
        return;
    if (event->key() == Qt::Key_Escape)
        (cancelButton->isHidden() ? confirmButton : cancelButton)->click();
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        confirmButton->click();
}

bool InformBox::focusNextPrevChild(bool next)
{
    // Tab goes round the box's own field and buttons only, while the box is there.
    if (!isVisible())
        return QWidget::focusNextPrevChild(next);
    QList<QWidget *> buttons;
    for (QWidget *button : {static_cast<QWidget *>(field), static_cast<QWidget *>(cancelButton),
                            static_cast<QWidget *>(confirmButton)}) {
        if (button && !button->isHidden())
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
    // The buttons hang from the inner bottom-right corner, cancel left of confirm.
    confirmButton->move(width() - confirmButton->width() - m.right(),
                        height() - confirmButton->height() - m.bottom());
    cancelButton->move(confirmButton->x() - cancelButton->width(), confirmButton->y());
    int bottom = confirmButton->y() - textGap();
    if (field) {
        const int fieldHeight = field->sizeHint().height();
        field->setGeometry(m.left(), bottom - fieldHeight, width() - m.left() - m.right(), fieldHeight);
        bottom = field->y() - textGap();
    }
    // The text takes the lines it needs, as far down as the buttons (and the field) allow.
    const int room = qMax(messageLabel->lineHeight(), bottom - m.top());
    const QSize text = messageLabel->textSize(width() - m.left() - m.right(), room / messageLabel->lineHeight() + 1);
    messageLabel->setGeometry(m.left(), m.top(), text.width(), qMin(text.height(), room));
    QWidget::resizeEvent(event);
}
