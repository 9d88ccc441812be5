#include "downloads/downloadfiletreefoot.h"

#include "config/vellchatwbconfigure.h"

#include <QHBoxLayout>
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
}
