// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "wire/configlist.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QPixmap;

// The store keeps a key's value as it comes, in a member of the kind's type,
// except pictures and the Custom kinds, which it keeps by hand below.
// CWB_KEPT_<Kind>(code) is the code for the kinds kept as they come.
#define CWB_KEPT_Text(...) __VA_ARGS__
#define CWB_KEPT_Token(...) __VA_ARGS__
#define CWB_KEPT_Number(...) __VA_ARGS__
#define CWB_KEPT_SwitchOn(...) __VA_ARGS__
#define CWB_KEPT_SwitchOff(...) __VA_ARGS__
#define CWB_KEPT_HostList(...) __VA_ARGS__
#define CWB_KEPT_OriginList(...) __VA_ARGS__
#define CWB_KEPT_PolicyList(...) __VA_ARGS__
#define CWB_KEPT_SchemeList(...) __VA_ARGS__
#define CWB_KEPT_Picture(...)
#define CWB_KEPT_Custom(...)
#define CWB_STORE_TYPE_Text QString
#define CWB_STORE_TYPE_Token QString
#define CWB_STORE_TYPE_Number int
#define CWB_STORE_TYPE_SwitchOn bool
#define CWB_STORE_TYPE_SwitchOff bool
#define CWB_STORE_TYPE_HostList QStringList
#define CWB_STORE_TYPE_OriginList QStringList
#define CWB_STORE_TYPE_PolicyList QStringList
#define CWB_STORE_TYPE_SchemeList QStringList
#define CWB_STORE_TYPE_Picture void
#define CWB_STORE_TYPE_Custom void

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

    // information box
    static QSize InfoBoxSize() { return infoBoxSize; }
    static void SetInfoBoxSize(const QSize &v) { infoBoxSize = v; }
    static QMargins InfoBoxMargins() { return infoBoxMargins; }
    static void SetInfoBoxMargins(const QMargins &v) { infoBoxMargins = v; }

    static QFont font() { return m_font; }

    // Every key of wire/configlist.h whose value is kept as it comes: a
    // getter named in the list and Set<getter>. Their meanings are in the
    // integrators' guide; a few that code reads with care:
    //   ExternalSchemes(): {"none"} means no link opens another program and
    //     nobody is asked.
    //   PermissionRules(): "feature=rule" items, see PermissionPolicy.
    //   The permission questions and FindBarMatchesText() carry %1 (and %2).
#define CWB_STORE_ACCESSORS(Name, key, Kind, Store, member, initial) CWB_KEPT_##Kind( \
    static CWB_STORE_TYPE_##Kind Store() { return member; } \
    static void Set##Store(const CWB_STORE_TYPE_##Kind &v) { member = v; })
    CWB_CONFIG_KEYS(CWB_STORE_ACCESSORS)
#undef CWB_STORE_ACCESSORS

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

    static QBrush titleBG;
    static QBrush containerBG;
    static QColor shadowColor;
    static QColor titleTextColor;
    static QColor titleTextHoverColor;
    static bool titleOpenOutsideShow;
    static bool titleCheckChannelShow;
    static bool titleStoreToVellShow;
    static bool titleShareToFriendShow;

    static QRect geometry;
    static bool maxsized;

    static QSize infoBoxSize;
    static QMargins infoBoxMargins;

    static QFont m_font;

    // They start as setDefaults() leaves them.
#define CWB_STORE_MEMBER(Name, key, Kind, Store, member, initial) \
    CWB_KEPT_##Kind(static inline CWB_STORE_TYPE_##Kind member = initial;)
    CWB_CONFIG_KEYS(CWB_STORE_MEMBER)
#undef CWB_STORE_MEMBER
};

// Scales a pixel count given at 100 % to the configured screen scale.
int dpiScaled(int n);
