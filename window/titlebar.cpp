// SPDX-License-Identifier: Apache-2.0
#include "window/titlebar.h"

#include "config/vellchatwbconfigure.h"
#include "resources/resource.h"

#include <QGuiApplication>
#include <QPainter>

using Config = VellChatWBConfigure;

TitleBar::TitleBar(QWidget *frame, bool maxed)
    : logoButton(frame, Resource::ShareInstance()->channelLogo())
    , refreshButton(frame, Config::TitleRefreshText(), Config::font(), Config::TitleTextColor())
    , collectButton(frame, Config::TitleCollectText(), Config::font(), Config::TitleTextColor())
    , shareButton(frame, Config::TitleShareText(), Config::font(), Config::TitleTextColor())
    , channelButton(frame, Config::TitleChannelText(), Config::font(), Config::TitleTextColor())
    , openOutsideButton(frame, Config::TitleOpenOutsideText(), Config::font(), Config::TitleTextColor())
    , webFileButton(frame, Config::TitleWebFileText(), Config::font(), Config::TitleTextColor())
    , miniButton(frame, Resource::ShareInstance()->miniIcon())
    , maxButton(frame, Resource::ShareInstance()->maxIcon())
    , restoreButton(frame, Resource::ShareInstance()->restoreIcon())
    , closeButton(frame, Resource::ShareInstance()->closeIcon())
    , backButton(frame, Config::WebFileBackText(), Config::font(), Config::TitleTextColor())
    , frame(frame)
    , titleHeight(dpiScaled(Config::TitleHeight()))
    , titleBrush(Config::TitleBG())
{
    fitLogo();
    colourCaptions();
    logoButton.setDisabled(true);
    logoButton.setDecorative(true);
    if (maxed)
        maxButton.hide();
    else
        restoreButton.hide();
    // The window system decorates the window; these stay out of sight.
    miniButton.hide();
    maxButton.hide();
    restoreButton.hide();
    closeButton.hide();
    backButton.hide();
    // The logo does nothing, so Tab passes it.
    nameLogo();
    logoButton.setFocusPolicy(Qt::NoFocus);
    miniButton.setAccessibleName(QStringLiteral("Minimize"));
    maxButton.setAccessibleName(QStringLiteral("Maximize"));
    restoreButton.setAccessibleName(QStringLiteral("Restore"));
    closeButton.setAccessibleName(QStringLiteral("Close"));
    channelButton.setVisible(Config::TitleCheckChannelShow());
    openOutsideButton.setVisible(Config::TitleOpenOutsideShow());
    collectButton.setVisible(Config::TitleStoreToVellShow());
    shareButton.setVisible(Config::TitleShareToFriendShow());
}

void TitleBar::paint(QPainter &painter) const
{
    painter.fillRect(QRect(0, 0, frame->width(), titleHeight), titleBrush);
}

void TitleBar::layout()
{
    const int t = titleHeight;
    const int skip = dpiScaled(Config::TitleSkip());
    auto yFor = [t](const QWidget &b) { return (t - b.height()) / 2; };

    int x = dpiScaled(Config::TitleLeft());
    auto place = [&](QWidget &b, bool advance) {
        b.move(x, yFor(b));
        if (advance)
            x += b.width() + skip;
    };
    place(logoButton, true);
    if (!backButton.isHidden())
        place(backButton, true);
    place(refreshButton, true);
    if (!collectButton.isHidden())
        place(collectButton, true);
    if (!shareButton.isHidden())
        place(shareButton, true);
    place(webFileButton, true);
    // Open outside takes the channel's place when that is hidden, and
    // follows it when both are shown.
    place(channelButton, !channelButton.isHidden());
    place(openOutsideButton, false);

    int r = frame->width() - dpiScaled(Config::TitleRight());
    r -= closeButton.width();
    closeButton.move(r, yFor(closeButton));
    r -= skip + maxButton.width();
    maxButton.move(r, yFor(maxButton));
    restoreButton.move(r, yFor(restoreButton));
    r -= skip + miniButton.width();
    miniButton.move(r, yFor(miniButton));
}

void TitleBar::showConfigured(Optional which)
{
    struct Row {
        TextButton *button;
        bool (*shown)();
        bool movesOthers;   // open outside stands last: nothing follows it
    };
    const Row row = [&]() -> Row {
        switch (which) {
        case Optional::Collect: return {&collectButton, &Config::TitleStoreToVellShow, true};
        case Optional::Share: return {&shareButton, &Config::TitleShareToFriendShow, true};
        case Optional::Channel: return {&channelButton, &Config::TitleCheckChannelShow, true};
        case Optional::OpenOutside: break;
        }
        return {&openOutsideButton, &Config::TitleOpenOutsideShow, false};
    }();
    const bool shown = row.shown();
    if (shown == !row.button->isHidden())
        return;
    row.button->setVisible(shown);
    if (row.movesOthers)
        layout();
}

QList<QWidget *> TitleBar::tabOrder()
{
    return {&backButton, &refreshButton, &collectButton, &shareButton,
            &webFileButton, &channelButton, &openOutsideButton};
}

// A logo taller than the title bar is scaled down to its height, aspect
// kept; a smaller one stays as it is, since enlarging would only blur it.
// The pixels are chosen for the screen's pixel ratio, or the picture's own
// when that is higher, so that the logo stays sharp on a 2x screen.
static QPixmap fitToHeight(const QPixmap &logo, int height, qreal screenRatio)
{
    const qreal ratio = logo.devicePixelRatio();
    if (logo.isNull() || height <= 0 || logo.height() <= height * ratio)
        return logo;
    const qreal target = qMax(screenRatio, ratio);
    const int deviceHeight = qRound(height * target);
    if (logo.height() > deviceHeight) {
        QPixmap scaled = logo.scaledToHeight(deviceHeight, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(target);
        return scaled;
    }
    // Fewer pixels than the screen could show: all of them, only denser.
    QPixmap denser = logo;
    denser.setDevicePixelRatio(qreal(logo.height()) / height);
    return denser;
}

void TitleBar::fitLogo()
{
    const QPixmap *logo = Resource::ShareInstance()->channelLogo();
    const qint64 key = logo ? logo->cacheKey() : 0;
    if (key == logoKey && titleHeight == logoHeight)
        return;
    logoKey = key;
    logoHeight = titleHeight;
    logoButton.setImage(logo ? fitToHeight(*logo, titleHeight, frame->devicePixelRatioF()) : QPixmap());
}

void TitleBar::colourCaptions()
{
    for (TextButton *b : {&refreshButton, &collectButton, &shareButton, &channelButton, &openOutsideButton, &webFileButton, &backButton}) {
        b->setColor(Config::TitleTextColor());
        b->setHoverColor(Config::TitleTextHoverColor());
    }
}

void TitleBar::nameLogo()
{
    // For screen readers the logo says which channel this is.
    logoButton.setAccessibleName(Config::Title().isEmpty() ? QGuiApplication::applicationDisplayName() : Config::Title());
}

void TitleBar::applyConfig()
{
    nameLogo();
    refreshButton.setText(Config::TitleRefreshText());
    collectButton.setText(Config::TitleCollectText());
    shareButton.setText(Config::TitleShareText());
    channelButton.setText(Config::TitleChannelText());
    openOutsideButton.setText(Config::TitleOpenOutsideText());
    webFileButton.setText(Config::TitleWebFileText());
    backButton.setText(Config::WebFileBackText());
    colourCaptions();
    titleHeight = dpiScaled(Config::TitleHeight());
    titleBrush = Config::TitleBG();
    fitLogo();
}
