// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QPixmap;

// Everything the host may configure about the window, one value per process.
// Setters only store: the host-facing checks live in the "config" key parser.
class VellChatWBConfigure
{
public:
    enum DBIScale {
        dbisAuto = 0,
        dbisOne = 1,
        dbisOneAndQuarter = 2,
        dbisOneAndHalf = 3,
        dbisTwo = 4,
    };

    static void init();

    // scale and screen
    static DBIScale ScreenScale() { return screenScale; }
    static void SetScreenScale(DBIScale v) { screenScale = v; }
    static DBIScale RealScale() { return realScale; }
    static void SetRealScale(DBIScale v) { realScale = v; }
    static bool Retina() { return retina; }
    static void SetRetina(bool v) { retina = v; }
    static double RetinaFactor() { return retinaFactor; }
    static void SetRetinaFactor(double v) { retinaFactor = v; }

    // title bar
    static QString Title() { return title; }
    static void SetTitle(const QString &v) { title = v; }
    static int TitleHeight() { return titleHeight; }
    static void SetTitleHeight(int v) { titleHeight = v; }
    static int TitleLeft() { return titleLeft; }
    static void SetTitleLeft(int v) { titleLeft = v; }
    static int TitleRight() { return titleRight; }
    static void SetTitleRight(int v) { titleRight = v; }
    static int TitleSkip() { return titleSkip; }
    static void SetTitleSkip(int v) { titleSkip = v; }
    static QBrush TitleBG() { return titleBG; }
    static void SetTitleBG(const QBrush &v) { titleBG = v; }
    static QBrush ContainerBG() { return containerBG; }
    static void SetContainerBG(const QBrush &v) { containerBG = v; }
    static QColor ShadowColor() { return shadowColor; }
    static void SetShadowColor(const QColor &v) { shadowColor = v; }
    // The title buttons' captions; an invalid hover colour follows the caption's.
    static QColor TitleTextColor() { return titleTextColor; }
    static void SetTitleTextColor(const QColor &v) { titleTextColor = v; }
    static QColor TitleTextHoverColor() { return titleTextHoverColor.isValid() ? titleTextHoverColor : titleTextColor; }
    static void SetTitleTextHoverColor(const QColor &v) { titleTextHoverColor = v; }
    static QString TitleRefreshText() { return titleRefreshText; }
    static void SetTitleRefreshText(const QString &v) { titleRefreshText = v; }
    static QString TitleCollectText() { return titleCollectText; }
    static void SetTitleCollectText(const QString &v) { titleCollectText = v; }
    static QString TitleShareText() { return titleShareText; }
    static void SetTitleShareText(const QString &v) { titleShareText = v; }
    static QString TitleChannelText() { return titleChannelText; }
    static void SetTitleChannelText(const QString &v) { titleChannelText = v; }
    static QString TitleOpenOutsideText() { return titleOpenOutsideText; }
    static void SetTitleOpenOutsideText(const QString &v) { titleOpenOutsideText = v; }
    static QString TitleWebFileText() { return titleWebFileText; }
    static void SetTitleWebFileText(const QString &v) { titleWebFileText = v; }
    static bool TitleOpenOutsideShow() { return titleOpenOutsideShow; }
    static void SetTitleOpenOutsideShow(bool v) { titleOpenOutsideShow = v; }
    static bool TitleCheckChannelShow() { return titleCheckChannelShow; }
    static void SetTitleCheckChannelShow(bool v) { titleCheckChannelShow = v; }
    static bool TitleStoreToVellShow() { return titleStoreToVellShow; }
    static void SetTitleStoreToVellShow(bool v) { titleStoreToVellShow = v; }
    static bool TitleShareToFriendShow() { return titleShareToFriendShow; }
    static void SetTitleShareToFriendShow(bool v) { titleShareToFriendShow = v; }

    // window
    static QRect Geometry() { return geometry; }
    static void SetGeometry(const QRect &v) { geometry = v; }
    static bool Maxsized() { return maxsized; }
    static void SetMaxsized(bool v) { maxsized = v; }
    static int MiniWidth() { return miniWidth; }
    static void SetMiniWidth(int v) { miniWidth = v; }

    // download panel
    static QString WebFileEmptyText() { return webFileEmptyText; }
    static void SetWebFileEmptyText(const QString &v) { webFileEmptyText = v; }
    static QString WebFileLoadingText() { return webFileLoadingText; }
    static void SetWebFileLoadingText(const QString &v) { webFileLoadingText = v; }
    static QString WebFileSuccessText() { return webFileSuccessText; }
    static void SetWebFileSuccessText(const QString &v) { webFileSuccessText = v; }
    static QString WebFileFailedText() { return webFileFailedText; }
    static void SetWebFileFailedText(const QString &v) { webFileFailedText = v; }
    static QString WebFileOpenInFolderText() { return webFileOpenInFolderText; }
    static void SetWebFileOpenInFolderText(const QString &v) { webFileOpenInFolderText = v; }
    static QString WebFileBackText() { return webFileBackText; }
    static void SetWebFileBackText(const QString &v) { webFileBackText = v; }
    static QString WebFileRedownloadText() { return webFileRedownloadText; }
    static void SetWebFileRedownloadText(const QString &v) { webFileRedownloadText = v; }
    static QString WebFileMissedText() { return webFileMissedText; }
    static void SetWebFileMissedText(const QString &v) { webFileMissedText = v; }
    static QString WebFileRemoveAllText() { return webFileRemoveAllText; }
    static void SetWebFileRemoveAllText(const QString &v) { webFileRemoveAllText = v; }
    static QString WebFileRemoveTipsText() { return webFileRemoveTipsText; }
    static void SetWebFileRemoveTipsText(const QString &v) { webFileRemoveTipsText = v; }
    static QString WebFileRemoveAllTipsText() { return webFileRemoveAllTipsText; }
    static void SetWebFileRemoveAllTipsText(const QString &v) { webFileRemoveAllTipsText = v; }

    // information box
    static QString InfoOK() { return infoOK; }
    static void SetInfoOK(const QString &v) { infoOK = v; }
    static QString InfoCancel() { return infoCancel; }
    static void SetInfoCancel(const QString &v) { infoCancel = v; }
    static QString InfoDelete() { return infoDelete; }
    static void SetInfoDelete(const QString &v) { infoDelete = v; }
    static QString InfoClean() { return infoClean; }
    static void SetInfoClean(const QString &v) { infoClean = v; }
    static QSize InfoBoxSize() { return infoBoxSize; }
    static void SetInfoBoxSize(const QSize &v) { infoBoxSize = v; }
    static QMargins InfoBoxMargins() { return infoBoxMargins; }
    static void SetInfoBoxMargins(const QMargins &v) { infoBoxMargins = v; }

    // other
    static QString AccessToken() { return accessToken; }
    static void SetAccessToken(const QString &v) { accessToken = v; }
    static QFont font() { return m_font; }

    // hardening, each taking effect with the next page the host shows
    static QStringList AccessTokenHosts() { return accessTokenHosts; }
    static void SetAccessTokenHosts(const QStringList &v) { accessTokenHosts = v; }
    static bool StrictCertificates() { return strictCertificates; }
    static void SetStrictCertificates(bool v) { strictCertificates = v; }
    static QStringList BridgeOrigins() { return bridgeOrigins; }
    static void SetBridgeOrigins(const QStringList &v) { bridgeOrigins = v; }
    // Schemes whose links open in another program without asking; {"none"}:
    // no link opens another program, and nobody is asked.
    static QStringList ExternalSchemes() { return externalSchemes; }
    static void SetExternalSchemes(const QStringList &v) { externalSchemes = v; }

    static QString PageCrashedText() { return pageCrashedText; }
    static void SetPageCrashedText(const QString &v) { pageCrashedText = v; }
    static QString PageReloadText() { return pageReloadText; }
    static void SetPageReloadText(const QString &v) { pageReloadText = v; }

    // page permissions: who answers (see PermissionPolicy), and the box's
    // questions, "%1" standing for the asking origin
    static QStringList PermissionRules() { return permissionPolicy; }
    static void SetPermissionRules(const QStringList &v) { permissionPolicy = v; }
    static QString InfoAllow() { return infoAllow; }
    static void SetInfoAllow(const QString &v) { infoAllow = v; }
    static QString InfoBlock() { return infoBlock; }
    static void SetInfoBlock(const QString &v) { infoBlock = v; }
    static QString PermissionCameraText() { return permissionCameraText; }
    static void SetPermissionCameraText(const QString &v) { permissionCameraText = v; }
    static QString PermissionMicrophoneText() { return permissionMicrophoneText; }
    static void SetPermissionMicrophoneText(const QString &v) { permissionMicrophoneText = v; }
    static QString PermissionCameraMicrophoneText() { return permissionCameraMicrophoneText; }
    static void SetPermissionCameraMicrophoneText(const QString &v) { permissionCameraMicrophoneText = v; }
    static QString PermissionScreenText() { return permissionScreenText; }
    static void SetPermissionScreenText(const QString &v) { permissionScreenText = v; }
    static QString PermissionNotificationsText() { return permissionNotificationsText; }
    static void SetPermissionNotificationsText(const QString &v) { permissionNotificationsText = v; }
    static QString PermissionGeolocationText() { return permissionGeolocationText; }
    static void SetPermissionGeolocationText(const QString &v) { permissionGeolocationText = v; }
    static QString PermissionMouseLockText() { return permissionMouseLockText; }
    static void SetPermissionMouseLockText(const QString &v) { permissionMouseLockText = v; }

    // find bar captions; the matches text carries %1 (the current match) and %2 (all)
    static QString FindBarText() { return findBarText; }
    static void SetFindBarText(const QString &v) { findBarText = v; }
    static QString FindBarMatchesText() { return findBarMatchesText; }
    static void SetFindBarMatchesText(const QString &v) { findBarMatchesText = v; }
    static QString FindBarNoMatchesText() { return findBarNoMatchesText; }
    static void SetFindBarNoMatchesText(const QString &v) { findBarNoMatchesText = v; }
    static QString FindBarPreviousText() { return findBarPreviousText; }
    static void SetFindBarPreviousText(const QString &v) { findBarPreviousText = v; }
    static QString FindBarNextText() { return findBarNextText; }
    static void SetFindBarNextText(const QString &v) { findBarNextText = v; }
    static QString FindBarCloseText() { return findBarCloseText; }
    static void SetFindBarCloseText(const QString &v) { findBarCloseText = v; }

    // what the user may do with a page
    static bool Printing() { return printing; }
    static void SetPrinting(bool v) { printing = v; }
    static bool PageMenu() { return pageMenu; }
    static void SetPageMenu(bool v) { pageMenu = v; }
    static bool PdfViewer() { return pdfViewer; }
    static void SetPdfViewer(bool v) { pdfViewer = v; }
    static bool AllowPopups() { return allowPopups; }
    static void SetAllowPopups(bool v) { allowPopups = v; }

    // The host hears of every page the user reaches, and the title buttons
    // name the page they were pressed on.
    static bool ReportNavigation() { return reportNavigation; }
    static void SetReportNavigation(bool v) { reportNavigation = v; }

    // icons live in Resource; these only forward
    static QPixmap *WindowIcon();
    static void SetWindowIcon(QPixmap *pixmap);
    static QPixmap *TitleCloseIcon();
    static void SetTitleCloseIcon(QPixmap *pixmap);
    static QPixmap *TitleRestoreIcon();
    static void SetTitleRestoreIcon(QPixmap *pixmap);
    static QPixmap *TitleMaxIcon();
    static void SetTitleMaxIcon(QPixmap *pixmap);
    static QPixmap *TitleMiniIcon();
    static void SetTitleMiniIcon(QPixmap *pixmap);
    static QPixmap *TitleChannelLogo();
    static void SetTitleChannelLogo(QPixmap *pixmap);

    // The two halves of init(), public so that tests can measure a pretend screen.
    static void measureScreen(qreal logicalDpi, qreal devicePixelRatio);
    static void setDefaults();
    static void loadFont();

private:
    static DBIScale screenScale;
    static DBIScale realScale;
    static bool retina;
    static double retinaFactor;

    static QString title;
    static int titleHeight;
    static int titleLeft;
    static int titleRight;
    static int titleSkip;
    static QBrush titleBG;
    static QBrush containerBG;
    static QColor shadowColor;
    static QColor titleTextColor;
    static QColor titleTextHoverColor;
    static QString titleRefreshText;
    static QString titleCollectText;
    static QString titleShareText;
    static QString titleChannelText;
    static QString titleOpenOutsideText;
    static QString titleWebFileText;
    static bool titleOpenOutsideShow;
    static bool titleCheckChannelShow;
    static bool titleStoreToVellShow;
    static bool titleShareToFriendShow;

    static QRect geometry;
    static bool maxsized;
    static int miniWidth;

    static QString webFileEmptyText;
    static QString webFileLoadingText;
    static QString webFileSuccessText;
    static QString webFileFailedText;
    static QString webFileOpenInFolderText;
    static QString webFileBackText;
    static QString webFileRedownloadText;
    static QString webFileMissedText;
    static QString webFileRemoveAllText;
    static QString webFileRemoveTipsText;
    static QString webFileRemoveAllTipsText;

    static QString infoOK;
    static QString infoCancel;
    static QString infoDelete;
    static QString infoClean;
    static QSize infoBoxSize;
    static QMargins infoBoxMargins;

    static QString accessToken;
    static QFont m_font;

    static QStringList accessTokenHosts;
    static bool strictCertificates;
    static QStringList bridgeOrigins;

    static QStringList permissionPolicy;
    static QString pageCrashedText;
    static QString pageReloadText;
    static QString infoAllow;
    static QString infoBlock;
    static QString permissionCameraText;
    static QString permissionMicrophoneText;
    static QString permissionCameraMicrophoneText;
    static QString permissionScreenText;
    static QString permissionNotificationsText;
    static QString permissionGeolocationText;
    static QString permissionMouseLockText;
    static QStringList externalSchemes;
    static QString findBarText;
    static QString findBarMatchesText;
    static QString findBarNoMatchesText;
    static QString findBarPreviousText;
    static QString findBarNextText;
    static QString findBarCloseText;
    static bool printing;
    static bool pageMenu;
    static bool pdfViewer;
    static bool reportNavigation;
    static bool allowPopups;
};

// Scales a pixel count given at 100 % to the configured screen scale.
int dpiScaled(int n);
