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

QString VellChatWBConfigure::title;
int VellChatWBConfigure::titleHeight = 0;
int VellChatWBConfigure::titleLeft = 0;
int VellChatWBConfigure::titleRight = 0;
int VellChatWBConfigure::titleSkip = 0;
QBrush VellChatWBConfigure::titleBG;
QBrush VellChatWBConfigure::containerBG;
QColor VellChatWBConfigure::shadowColor;
QColor VellChatWBConfigure::titleTextColor;
QColor VellChatWBConfigure::titleTextHoverColor;
QString VellChatWBConfigure::titleRefreshText;
QString VellChatWBConfigure::titleCollectText;
QString VellChatWBConfigure::titleShareText;
QString VellChatWBConfigure::titleChannelText;
QString VellChatWBConfigure::titleOpenOutsideText;
QString VellChatWBConfigure::titleWebFileText;
bool VellChatWBConfigure::titleOpenOutsideShow = false;
bool VellChatWBConfigure::titleCheckChannelShow = false;
bool VellChatWBConfigure::titleStoreToVellShow = false;
bool VellChatWBConfigure::titleShareToFriendShow = false;

QRect VellChatWBConfigure::geometry;
bool VellChatWBConfigure::maxsized = false;
int VellChatWBConfigure::miniWidth = 0;

QString VellChatWBConfigure::webFileEmptyText;
QString VellChatWBConfigure::webFileLoadingText;
QString VellChatWBConfigure::webFileSuccessText;
QString VellChatWBConfigure::webFileFailedText;
QString VellChatWBConfigure::webFileOpenInFolderText;
QString VellChatWBConfigure::webFileBackText;
QString VellChatWBConfigure::webFileRedownloadText;
QString VellChatWBConfigure::webFileMissedText;
QString VellChatWBConfigure::webFileRemoveAllText;
QString VellChatWBConfigure::webFileRemoveTipsText;
QString VellChatWBConfigure::webFileRemoveAllTipsText;

QString VellChatWBConfigure::infoOK;
QString VellChatWBConfigure::infoCancel;
QString VellChatWBConfigure::infoDelete;
QString VellChatWBConfigure::infoClean;
QSize VellChatWBConfigure::infoBoxSize;
QMargins VellChatWBConfigure::infoBoxMargins;

QString VellChatWBConfigure::accessToken;
QFont VellChatWBConfigure::m_font;

QStringList VellChatWBConfigure::accessTokenHosts;
bool VellChatWBConfigure::strictCertificates = false;
QStringList VellChatWBConfigure::bridgeOrigins;
QStringList VellChatWBConfigure::permissionPolicy;
QString VellChatWBConfigure::pageCrashedText;
QString VellChatWBConfigure::pageReloadText;
QString VellChatWBConfigure::infoAllow;
QString VellChatWBConfigure::infoBlock;
QString VellChatWBConfigure::permissionCameraText;
QString VellChatWBConfigure::permissionMicrophoneText;
QString VellChatWBConfigure::permissionCameraMicrophoneText;
QString VellChatWBConfigure::permissionScreenText;
QString VellChatWBConfigure::permissionNotificationsText;
QString VellChatWBConfigure::permissionGeolocationText;
QString VellChatWBConfigure::permissionMouseLockText;
QStringList VellChatWBConfigure::externalSchemes;

QString VellChatWBConfigure::findBarText;
QString VellChatWBConfigure::findBarMatchesText;
QString VellChatWBConfigure::findBarNoMatchesText;
QString VellChatWBConfigure::findBarPreviousText;
QString VellChatWBConfigure::findBarNextText;
QString VellChatWBConfigure::findBarCloseText;
bool VellChatWBConfigure::printing = true;
bool VellChatWBConfigure::pageMenu = false;
bool VellChatWBConfigure::pdfViewer = false;
bool VellChatWBConfigure::reportNavigation = false;
bool VellChatWBConfigure::allowPopups = false;

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
    titleHeight = 40;
    titleLeft = 5;
    titleRight = 5;
    titleSkip = 5;
    miniWidth = 520;
    titleBG = QBrush(Qt::lightGray);
    containerBG = QBrush(Qt::white);
    shadowColor = QColor(Qt::gray);
    titleTextColor = QColor(Qt::white);
    titleTextHoverColor = QColor();

    titleRefreshText = QStringLiteral("Refresh");
    titleCollectText = QStringLiteral("Collect");
    titleShareText = QStringLiteral("Share");
    titleChannelText = QStringLiteral("Channel");
    titleOpenOutsideText = QStringLiteral("Open Outside");
    titleWebFileText = QStringLiteral("Download History");

    webFileEmptyText = QStringLiteral("Download Empty");
    webFileLoadingText = QStringLiteral("Loading...");
    webFileSuccessText = QStringLiteral("Download succeed");
    webFileFailedText = QStringLiteral("Download failed");
    webFileOpenInFolderText = QStringLiteral("Open in folder");
    webFileBackText = QStringLiteral("Back");
    webFileRedownloadText = QStringLiteral("Download again");
    webFileMissedText = QStringLiteral("File has been moved or deleted");
    webFileRemoveAllText = QStringLiteral("Clean");
    webFileRemoveTipsText = QStringLiteral("Delete this download record?");
    webFileRemoveAllTipsText = QStringLiteral("Clean all download record?");

    geometry = QRect(dpiScaled(10), dpiScaled(10), dpiScaled(520), dpiScaled(850));
    maxsized = false;

    infoOK = QStringLiteral("Ok");
    infoCancel = QStringLiteral("Cancel");
    infoBoxSize = QSize(dpiScaled(300), dpiScaled(100));
    infoBoxMargins = QMargins(dpiScaled(20), dpiScaled(20), dpiScaled(22), dpiScaled(16));
    infoDelete = QStringLiteral("Delete");
    infoClean = QStringLiteral("Clean");

    loadFont();

    titleStoreToVellShow = true;
    titleShareToFriendShow = true;

    title.clear();
    accessToken.clear();
    accessTokenHosts.clear();
    strictCertificates = false;
    bridgeOrigins.clear();
    permissionPolicy.clear();
    pageCrashedText = QStringLiteral("This page stopped working.");
    pageReloadText = QStringLiteral("Reload");
    infoAllow = QStringLiteral("Allow");
    infoBlock = QStringLiteral("Block");
    permissionCameraText = QStringLiteral("%1 wants to use your camera");
    permissionMicrophoneText = QStringLiteral("%1 wants to use your microphone");
    permissionCameraMicrophoneText = QStringLiteral("%1 wants to use your camera and microphone");
    permissionScreenText = QStringLiteral("%1 wants to share your screen");
    permissionNotificationsText = QStringLiteral("%1 wants to show notifications");
    permissionGeolocationText = QStringLiteral("%1 wants to know your location");
    permissionMouseLockText = QStringLiteral("%1 wants to hide and hold your mouse pointer");
    externalSchemes.clear();
    titleOpenOutsideShow = false;
    titleCheckChannelShow = false;

    findBarText = QStringLiteral("Find in page");
    findBarMatchesText = QStringLiteral("%1 of %2");
    findBarNoMatchesText = QStringLiteral("No matches");
    findBarPreviousText = QStringLiteral("Previous");
    findBarNextText = QStringLiteral("Next");
    findBarCloseText = QStringLiteral("Close");
    printing = true;
    pageMenu = false;
    pdfViewer = false;
    reportNavigation = false;
    allowPopups = false;
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
