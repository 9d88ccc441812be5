// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"

#include "resources/resource.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

VellChatWBConfigure::DBIScale VellChatWBConfigure::screenScale = VellChatWBConfigure::dbisAuto;
VellChatWBConfigure::DBIScale VellChatWBConfigure::realScale = VellChatWBConfigure::dbisAuto;
bool VellChatWBConfigure::retina = false;
double VellChatWBConfigure::retinaFactor = 0.0;

QBrush VellChatWBConfigure::titleBG;
QBrush VellChatWBConfigure::containerBG;
QColor VellChatWBConfigure::shadowColor;
QColor VellChatWBConfigure::titleTextColor;
QColor VellChatWBConfigure::titleTextHoverColor;
bool VellChatWBConfigure::titleOpenOutsideShow = false;
bool VellChatWBConfigure::titleCheckChannelShow = false;
bool VellChatWBConfigure::titleStoreToVellShow = false;
bool VellChatWBConfigure::titleShareToFriendShow = false;

QRect VellChatWBConfigure::geometry;
bool VellChatWBConfigure::maxsized = false;

QSize VellChatWBConfigure::infoBoxSize;
QMargins VellChatWBConfigure::infoBoxMargins;

QFont VellChatWBConfigure::m_font;

namespace {
// Pictures are fitted to the screen this store measured, whenever they load.
ScreenDensity currentDensity()
{
    ScreenDensity density;
    density.retina = VellChatWBConfigure::Retina();
    density.retinaFactor = VellChatWBConfigure::RetinaFactor();
    density.enlarged = VellChatWBConfigure::ScreenScale() != VellChatWBConfigure::dbisOne;
    density.scaled = &dpiScaled;
    return density;
}

struct DensityRegistrar
{
    DensityRegistrar() { Resource::setDensitySource(&currentDensity); }
} densityRegistrar;
}

void VellChatWBConfigure::init()
{
    qreal dpi = 96.0;
    qreal ratio = 1.0;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInch();
    if (qGuiApp)
        ratio = qGuiApp->devicePixelRatio();
    measureScreen(dpi, ratio);
    setDefaults();
}

void VellChatWBConfigure::measureScreen(qreal logicalDpi, qreal devicePixelRatio)
{
    screenScale = dbisOne;
    retina = false;
    realScale = dbisAuto;
    retinaFactor = 1.0;

    if (logicalDpi <= 108)
        screenScale = dbisOne;
    else if (logicalDpi <= 132)
        screenScale = dbisOneAndQuarter;
    else if (logicalDpi <= 168)
        screenScale = dbisOneAndHalf;
    else
        screenScale = dbisTwo;

    // On high-density screens the pixel ratio already enlarges everything.
    if (devicePixelRatio > 1.0) {
        retinaFactor = devicePixelRatio;
        retina = true;
        realScale = dbisOne;
    }
}

void VellChatWBConfigure::setDefaults()
{
#define CWB_STORE_RESET(Name, key, Kind, Store, member, initial) CWB_KEPT_##Kind(member = initial;)
    CWB_CONFIG_KEYS(CWB_STORE_RESET)
#undef CWB_STORE_RESET

    titleBG = QBrush(Qt::lightGray);
    containerBG = QBrush(Qt::white);
    shadowColor = QColor(Qt::gray);
    titleTextColor = QColor(Qt::white);
    titleTextHoverColor = QColor();
    geometry = QRect(dpiScaled(10), dpiScaled(10), dpiScaled(520), dpiScaled(850));
    maxsized = false;
    infoBoxSize = QSize(dpiScaled(300), dpiScaled(100));
    infoBoxMargins = QMargins(dpiScaled(20), dpiScaled(20), dpiScaled(22), dpiScaled(16));
    loadFont();

    titleStoreToVellShow = true;
    titleShareToFriendShow = true;
    titleOpenOutsideShow = false;
    titleCheckChannelShow = false;
}

void VellChatWBConfigure::loadFont()
{
    Resource::ensureBundles();
    // Registering the same file twice would only add a duplicate family entry.
    static int fontId = QFontDatabase::addApplicationFont(QStringLiteral(":/font/OpenSans-Regular.ttf"));
    if (fontId < 0 || QFontDatabase::applicationFontFamilies(fontId).isEmpty()) {
        m_font = QFont();
        return;
    }
    QFont f(QStringLiteral("Open Sans"));
    f.setPixelSize(dpiScaled(14));
    m_font = f;
}

QPixmap *VellChatWBConfigure::WindowIcon() { return Resource::ShareInstance()->windowIcon(); }
void VellChatWBConfigure::SetWindowIcon(QPixmap *p) { Resource::ShareInstance()->setWindowIcon(p); }
QPixmap *VellChatWBConfigure::TitleCloseIcon() { return Resource::ShareInstance()->closeIcon(); }
void VellChatWBConfigure::SetTitleCloseIcon(QPixmap *p) { Resource::ShareInstance()->setCloseIcon(p); }
QPixmap *VellChatWBConfigure::TitleRestoreIcon() { return Resource::ShareInstance()->restoreIcon(); }
void VellChatWBConfigure::SetTitleRestoreIcon(QPixmap *p) { Resource::ShareInstance()->setRestoreIcon(p); }
QPixmap *VellChatWBConfigure::TitleMaxIcon() { return Resource::ShareInstance()->maxIcon(); }
void VellChatWBConfigure::SetTitleMaxIcon(QPixmap *p) { Resource::ShareInstance()->setMaxIcon(p); }
QPixmap *VellChatWBConfigure::TitleMiniIcon() { return Resource::ShareInstance()->miniIcon(); }
void VellChatWBConfigure::SetTitleMiniIcon(QPixmap *p) { Resource::ShareInstance()->setMiniIcon(p); }
QPixmap *VellChatWBConfigure::TitleChannelLogo() { return Resource::ShareInstance()->channelLogo(); }
void VellChatWBConfigure::SetTitleChannelLogo(QPixmap *p) { Resource::ShareInstance()->setChannelLogo(p); }

int dpiScaled(int n)
{
    int s = VellChatWBConfigure::RealScale();
    if (s == VellChatWBConfigure::dbisAuto)
        s = VellChatWBConfigure::ScreenScale();
    switch (s) {
    case VellChatWBConfigure::dbisOneAndQuarter:
        return qRound(n * 1.25 - 0.01);
    case VellChatWBConfigure::dbisOneAndHalf:
        return qRound(n * 1.5 - 0.01);
    case VellChatWBConfigure::dbisTwo:
        return n * 2;
    default:
        return n;
    }
}
