// SPDX-License-Identifier: Apache-2.0
#include "window/findbar.h"

#include "config/vellchatwbconfigure.h"
#include "web/enginecompat.h"
#include "widgets/textbutton.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

using Config = VellChatWBConfigure;

// Room around the field and between the bar's parts, at 100 %.
static constexpr int gap = 8;

FindBar::FindBar(QWidget *parent, QWebEnginePage *page)
    : QWidget(parent)
    , page(page)
    , field(new QLineEdit(this))
    , count(new QLabel(this))
    , previousButton(new TextButton(this, Config::FindBarPreviousText(), Config::font(), Config::TitleTextColor()))
    , nextButton(new TextButton(this, Config::FindBarNextText(), Config::font(), Config::TitleTextColor()))
    , closeButton(new TextButton(this, Config::FindBarCloseText(), Config::font(), Config::TitleTextColor()))
{
    field->setFont(Config::font());
    field->setClearButtonEnabled(false);
    count->setFont(Config::font());
    setFocusProxy(field);
    resize(width(), field->sizeHint().height() + dpiScaled(gap));
    connect(field, &QLineEdit::textEdited, this, [this] { search(false); });
    connect(previousButton, &TextButton::clicked, this, [this] { step(true); });
    connect(nextButton, &TextButton::clicked, this, [this] { step(false); });
    connect(closeButton, &TextButton::clicked, this, &FindBar::close);
    connect(page, &QWebEnginePage::findTextFinished, this, &FindBar::showResult);
    hide();
}

void FindBar::applyConfig()
{
    field->setPlaceholderText(Config::FindBarText());
    field->setAccessibleName(Config::FindBarText());
    previousButton->setText(Config::FindBarPreviousText());
    nextButton->setText(Config::FindBarNextText());
    closeButton->setText(Config::FindBarCloseText());
    // It sits on the title bar's colour, so its captions take the title's.
    for (TextButton *b : {previousButton, nextButton, closeButton}) {
        b->setColor(Config::TitleTextColor());
        b->setHoverColor(Config::TitleTextHoverColor());
    }
    QPalette captions = count->palette();
    captions.setColor(QPalette::WindowText, Config::TitleTextColor());
    count->setPalette(captions);
    resizeEvent(nullptr);
}

void FindBar::open()
{
    applyConfig();
    const bool wasHidden = isHidden();
    show();
    raise();
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
    if (wasHidden) {
        emit shownChanged();
        if (!field->text().isEmpty())
            search(false);
    }
}

void FindBar::close()
{
    if (isHidden())
        return;
    // An empty search ends the highlighting; the current match stays selected.
    page->findText(QString());
    count->clear();
    hide();
    emit shownChanged();
    if (QWidget *view = EngineCompat::viewOf(page))
        view->setFocus(Qt::OtherFocusReason);
}

void FindBar::step(bool backward)
{
    // Opening searches again for what the field holds.
    if (isHidden() || field->text().isEmpty()) {
        open();
        return;
    }
    search(backward);
}

QString FindBar::status() const
{
    return count->text();
}

void FindBar::search(bool backward)
{
    const QString text = field->text();
    if (text.isEmpty()) {
        page->findText(QString());
        count->clear();
        return;
    }
    page->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void FindBar::showResult(const QWebEngineFindTextResult &result)
{
    // A result that arrives after the bar closed or the field was emptied is stale.
    if (isHidden() || field->text().isEmpty())
        return;
    const QString text = result.numberOfMatches() > 0
        ? Config::FindBarMatchesText().arg(result.activeMatch()).arg(result.numberOfMatches())
        : Config::FindBarNoMatchesText();
    if (text == count->text())
        return;
    count->setText(text);
    count->adjustSize();
    resizeEvent(nullptr);
    // Screen readers hear the count change without leaving the field.
    QAccessibleEvent event(count, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        step(mods == Qt::ShiftModifier);
        return;
    }
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        close();
        return;
    }
    // F3, zoom and the rest go on to the frame.
    QWidget::keyPressEvent(event);
}

void FindBar::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.fillRect(rect(), Config::TitleBG());
}

void FindBar::resizeEvent(QResizeEvent *event)
{
    Q_UNUSED(event)
    const int g = dpiScaled(gap);
    int right = width() - g;
    for (TextButton *button : {closeButton, nextButton, previousButton}) {
        right -= button->width();
        button->move(right, (height() - button->height()) / 2);
        right -= g / 2;
    }
    count->adjustSize();
    right -= count->width() + g / 2;
    count->move(right, (height() - count->height()) / 2);
    const int fieldWidth = qMax(dpiScaled(120), qMin(dpiScaled(320), right - 2 * g));
    field->setGeometry(g, (height() - field->sizeHint().height()) / 2, fieldWidth, field->sizeHint().height());
}
