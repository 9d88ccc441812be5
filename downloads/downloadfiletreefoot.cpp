// SPDX-License-Identifier: Apache-2.0
#include "downloads/downloadfiletreefoot.h"

#include "config/vellchatwbconfigure.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

DownloadFileTreeFoot::DownloadFileTreeFoot(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(dpiScaled(30), dpiScaled(18), dpiScaled(30), dpiScaled(18));

    button = new QPushButton(VellChatWBConfigure::WebFileRemoveAllText(), this);
    button->setFixedSize(dpiScaled(100), dpiScaled(44));
    button->setCursor(Qt::PointingHandCursor);
    const QFont font = VellChatWBConfigure::font();
    button->setStyleSheet(QStringLiteral("border:1px solid lightGray;border-radius:5px;font-size:%1px;font-family:%2;color:#999999")
                              .arg(font.pixelSize())
                              .arg(font.family()));
    layout->addWidget(button, 0, Qt::AlignRight);
    connect(button, &QPushButton::clicked, this, &DownloadFileTreeFoot::clearAll);
    // Reached with Tab; a click leaves the keyboard where it was, so the ring
    // below only ever shows for someone using the keys.
    button->setFocusPolicy(Qt::TabFocus);
    button->installEventFilter(this);
}

bool DownloadFileTreeFoot::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != button)
        return false;
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        update();
    } else if (event->type() == QEvent::KeyPress) {
        // Outside a dialog a push button takes Space only; Enter presses it too.
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && !(key->modifiers() & ~Qt::KeypadModifier)) {
            if (!key->isAutoRepeat())
                button->click();
            return true;
        }
    }
    return false;
}

void DownloadFileTreeFoot::updateText()
{
    button->setText(VellChatWBConfigure::WebFileRemoveAllText());
}

void DownloadFileTreeFoot::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // A soft shadow where the list above ends.
    const int shadow = dpiScaled(5);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    QLinearGradient gradient(0, 0, 0, shadow);
    gradient.setColorAt(0, QColor(Qt::lightGray));
    gradient.setColorAt(1, QColor(Qt::white));
    painter.setBrush(gradient);
    painter.drawRect(0, 0, width(), shadow);

    // The button draws its own light border; the keyboard's ring goes just
    // outside it, in the host's title colour.
    if (button->hasFocus()) {
        const int width = dpiScaled(2);
        painter.setPen(QPen(VellChatWBConfigure::TitleBG().color(), width));
        painter.setBrush(Qt::NoBrush);
        const qreal out = width / 2.0 + 1;
        painter.drawRoundedRect(QRectF(button->geometry()).adjusted(-out, -out, out, out), 6, 6);
    }
}
