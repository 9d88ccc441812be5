// SPDX-License-Identifier: Apache-2.0
#include "config/configkeys.h"

#include "config/externallinks.h"
#include "config/hostmatch.h"
#include "config/permissionpolicy.h"
#include "config/vellchatwbconfigure.h"
#include "wire/vocabulary.h"

#include <QHash>
#include <QPixmap>
#include <QRegularExpression>
#include <QStringList>
#include <functional>

namespace {

using Store = VellChatWBConfigure;

void storeText(const QByteArray &bytes, void (*setter)(const QString &))
{
    const QString text = QString::fromUtf8(bytes);
    if (!text.isEmpty())
        setter(text);
}

// Unreadable numbers count as 0, which every number check rejects.
int readInt(const QString &text)
{
    return text.trimmed().toInt();
}

void storeNumber(const QByteArray &bytes, void (*setter)(int))
{
    const int n = readInt(QString::fromUtf8(bytes));
    if (n > 0)
        setter(n);
}

// "1" and "0" as they are; anything else reads as -1, neither on nor off.
int readSwitch(const QByteArray &bytes)
{
    const QByteArray word = bytes.trimmed();
    return word == "1" ? 1 : word == "0" ? 0 : -1;
}

QList<int> readIntList(const QByteArray &bytes)
{
    QList<int> values;
    const QStringList pieces = QString::fromUtf8(bytes).split(QLatin1Char(','));
    for (const QString &piece : pieces)
        values.append(readInt(piece));
    return values;
}

bool readColourList(const QByteArray &bytes, QColor *colour)
{
    const QList<int> v = readIntList(bytes);
    if (v.size() < 4)
        return false;
    // Out-of-range parts give an invalid colour, stored all the same.
    QColor c;
    if (v[0] >= 0 && v[0] <= 255 && v[1] >= 0 && v[1] <= 255 && v[2] >= 0 && v[2] <= 255 && v[3] >= 0 && v[3] <= 255)
        c = QColor(v[0], v[1], v[2], v[3]);
    *colour = c;
    return true;
}

// A comma list of URL schemes ("mailto, tel"), or "none" alone. Schemes the
// browser shows itself are no programs' business and make the list malformed.
bool readSchemeList(const QString &text, QStringList *out)
{
    static const QRegularExpression scheme(QStringLiteral("^[a-z][a-z0-9+.-]*$"));
    QStringList schemes;
    for (const QString &piece : text.split(QLatin1Char(','))) {
        const QString item = piece.trimmed().toLower();
        if (item.isEmpty())
            continue;
        if (!scheme.match(item).hasMatch() || ExternalLinks::isOwnScheme(item))
            return false;
        schemes.append(item);
    }
    if (schemes.contains(QLatin1String("none")) && schemes.size() > 1)
        return false;
    *out = schemes;
    return true;
}

void storeImage(const QByteArray &bytes, void (*setter)(QPixmap *))
{
    setter(ConfigKeys::screenImage(bytes));
}

using Handler = std::function<void(const QByteArray &)>;

const QHash<QString, Handler> &handlers()
{
    static const QHash<QString, Handler> table = {
        {QString(wire::config::kTitle), [](const QByteArray &b) { storeText(b, &Store::SetTitle); }},
        {QString(wire::config::kIcon), [](const QByteArray &b) { storeImage(b, &Store::SetWindowIcon); }},
        {QString(wire::config::kTitleHeight), [](const QByteArray &b) { storeNumber(b, &Store::SetTitleHeight); }},
        {QString(wire::config::kTitleLeft), [](const QByteArray &b) { storeNumber(b, &Store::SetTitleLeft); }},
        {QString(wire::config::kTitleRight), [](const QByteArray &b) { storeNumber(b, &Store::SetTitleRight); }},
        {QString(wire::config::kTitleSkip), [](const QByteArray &b) { storeNumber(b, &Store::SetTitleSkip); }},
        {QString(wire::config::kTitleBackgroundColor), [](const QByteArray &b) {
             QColor c;
             if (readColourList(b, &c))
                 Store::SetTitleBG(QBrush(c));
         }},
        {QString(wire::config::kContainerBackgroundColor), [](const QByteArray &b) {
             const uint n = QString::fromUtf8(b).trimmed().toUInt();
             if (n != 0)
                 Store::SetContainerBG(QBrush(QColor::fromRgb(n & 0xffffff)));
         }},
        {QString(wire::config::kShadowColor), [](const QByteArray &b) {
             QColor c;
             if (readColourList(b, &c))
                 Store::SetShadowColor(c);
         }},
        // An invisible caption helps nobody: out-of-range parts leave the
        // caption as it was; for the hover colour they mean "as the caption".
        {QString(wire::config::kTitleTextColor), [](const QByteArray &b) {
             QColor c;
             if (readColourList(b, &c) && c.isValid())
                 Store::SetTitleTextColor(c);
         }},
        {QString(wire::config::kTitleTextHoverColor), [](const QByteArray &b) {
             QColor c;
             if (readColourList(b, &c))
                 Store::SetTitleTextHoverColor(c);
         }},
        {QString(wire::config::kRefreshText), [](const QByteArray &b) { storeText(b, &Store::SetTitleRefreshText); }},
        {QString(wire::config::kCollectText), [](const QByteArray &b) { storeText(b, &Store::SetTitleCollectText); }},
        {QString(wire::config::kShareText), [](const QByteArray &b) { storeText(b, &Store::SetTitleShareText); }},
        {QString(wire::config::kChannelText), [](const QByteArray &b) { storeText(b, &Store::SetTitleChannelText); }},
        {QString(wire::config::kOpenoutsideText), [](const QByteArray &b) { storeText(b, &Store::SetTitleOpenOutsideText); }},
        {QString(wire::config::kWebFileText), [](const QByteArray &b) { storeText(b, &Store::SetTitleWebFileText); }},
        {QString(wire::config::kWebFileEmptyText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileEmptyText); }},
        {QString(wire::config::kWebFileLoadingText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileLoadingText); }},
        {QString(wire::config::kWebFileSuccessText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileSuccessText); }},
        {QString(wire::config::kWebFileFailedText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileFailedText); }},
        {QString(wire::config::kWebFileOpenInFolderText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileOpenInFolderText); }},
        {QString(wire::config::kWebFileBackText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileBackText); }},
        {QString(wire::config::kWebFileRedownloadText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileRedownloadText); }},
        {QString(wire::config::kWebFileMissedText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileMissedText); }},
        {QString(wire::config::kWebFileRemoveAllText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileRemoveAllText); }},
        {QString(wire::config::kWebFileRemoveTipsText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileRemoveTipsText); }},
        {QString(wire::config::kWebFileRemoveAllTipsText), [](const QByteArray &b) { storeText(b, &Store::SetWebFileRemoveAllTipsText); }},
        {QString(wire::config::kTitleLogoData), [](const QByteArray &b) { storeImage(b, &Store::SetTitleChannelLogo); }},
        {QString(wire::config::kTitleMinisizeIconData), [](const QByteArray &b) { storeImage(b, &Store::SetTitleMiniIcon); }},
        {QString(wire::config::kTitleMaxsizeIconData), [](const QByteArray &b) { storeImage(b, &Store::SetTitleMaxIcon); }},
        {QString(wire::config::kTitleRestoreIconData), [](const QByteArray &b) { storeImage(b, &Store::SetTitleRestoreIcon); }},
        {QString(wire::config::kTitleCloseIconData), [](const QByteArray &b) { storeImage(b, &Store::SetTitleCloseIcon); }},
        {QString(wire::config::kWindowsRect), [](const QByteArray &b) {
             const QList<int> v = readIntList(b);
             if (v.size() < 4)
                 return;
             Store::SetGeometry(QRect(v[0], v[1], v[2], v[3]));
             if (v.size() >= 5 && v[4] == 1)
                 Store::SetMaxsized(true);
         }},
        {QString(wire::config::kMiniWidth), [](const QByteArray &b) { storeNumber(b, &Store::SetMiniWidth); }},
        {QString(wire::config::kInfoBoxOk), [](const QByteArray &b) { storeText(b, &Store::SetInfoOK); }},
        {QString(wire::config::kInfoBoxCancel), [](const QByteArray &b) { storeText(b, &Store::SetInfoCancel); }},
        {QString(wire::config::kInfoBoxSize), [](const QByteArray &b) {
             const QList<int> v = readIntList(b);
             if (v.size() >= 2)
                 Store::SetInfoBoxSize(QSize(v[0], v[1]));
         }},
        {QString(wire::config::kInfoBoxMargin), [](const QByteArray &b) {
             const QList<int> v = readIntList(b);
             if (v.size() >= 4)
                 Store::SetInfoBoxMargins(QMargins(v[0], v[1], v[2], v[3]));
         }},
        {QString(wire::config::kInfoBoxDelete), [](const QByteArray &b) { storeText(b, &Store::SetInfoDelete); }},
        {QString(wire::config::kInfoBoxClean), [](const QByteArray &b) { storeText(b, &Store::SetInfoClean); }},
        {QString(wire::config::kAccessToken), [](const QByteArray &b) { Store::SetAccessToken(QString::fromUtf8(b)); }},
        // An empty list means every host and every origin, as without the key;
        // a list with a malformed item is ignored whole, so that a typo never
        // widens what an earlier list allowed.
        {QString(wire::config::kAccessTokenHosts), [](const QByteArray &b) {
             QStringList hosts;
             if (HostMatch::parseHostList(QString::fromUtf8(b), &hosts))
                 Store::SetAccessTokenHosts(hosts);
         }},
        {QString(wire::config::kStrictCertificates), [](const QByteArray &b) {
             Store::SetStrictCertificates(QString::fromUtf8(b).trimmed() == QLatin1String("1"));
         }},
        {QString(wire::config::kBridgeOrigins), [](const QByteArray &b) {
             QStringList origins;
             if (HostMatch::parseOriginList(QString::fromUtf8(b), &origins))
                 Store::SetBridgeOrigins(origins);
         }},
        // Takes effect with the next request a page makes; a list with a
        // malformed item is ignored whole, like the lists above.
        {QString(wire::config::kPageCrashedText), [](const QByteArray &b) { storeText(b, &Store::SetPageCrashedText); }},
        {QString(wire::config::kPageReloadText), [](const QByteArray &b) { storeText(b, &Store::SetPageReloadText); }},
        {QString(wire::config::kPermissionPolicy), [](const QByteArray &b) {
             QStringList items;
             if (PermissionPolicy::parse(QString::fromUtf8(b), &items))
                 Store::SetPermissionRules(items);
         }},
        {QString(wire::config::kInfoBoxAllow), [](const QByteArray &b) { storeText(b, &Store::SetInfoAllow); }},
        {QString(wire::config::kInfoBoxBlock), [](const QByteArray &b) { storeText(b, &Store::SetInfoBlock); }},
        {QString(wire::config::kPermissionCameraText), [](const QByteArray &b) { storeText(b, &Store::SetPermissionCameraText); }},
        {QString(wire::config::kPermissionMicrophoneText), [](const QByteArray &b) { storeText(b, &Store::SetPermissionMicrophoneText); }},
        {QString(wire::config::kPermissionCameraMicrophoneText), [](const QByteArray &b) { storeText(b, &Store::SetPermissionCameraMicrophoneText); }},
        {QString(wire::config::kPermissionScreenText), [](const QByteArray &b) { storeText(b, &Store::SetPermissionScreenText); }},
        {QString(wire::config::kPermissionNotificationsText), [](const QByteArray &b) { storeText(b, &Store::SetPermissionNotificationsText); }},
        {QString(wire::config::kPermissionGeolocationText), [](const QByteArray &b) { storeText(b, &Store::SetPermissionGeolocationText); }},
        {QString(wire::config::kPermissionMouseLockText), [](const QByteArray &b) { storeText(b, &Store::SetPermissionMouseLockText); }},
        {QString(wire::config::kExternalSchemes), [](const QByteArray &b) {
             QStringList schemes;
             if (readSchemeList(QString::fromUtf8(b), &schemes))
                 Store::SetExternalSchemes(schemes);
         }},
        {QString(wire::config::kFindBarText), [](const QByteArray &b) { storeText(b, &Store::SetFindBarText); }},
        {QString(wire::config::kFindBarMatchesText), [](const QByteArray &b) { storeText(b, &Store::SetFindBarMatchesText); }},
        {QString(wire::config::kFindBarNoMatchesText), [](const QByteArray &b) { storeText(b, &Store::SetFindBarNoMatchesText); }},
        {QString(wire::config::kFindBarPreviousText), [](const QByteArray &b) { storeText(b, &Store::SetFindBarPreviousText); }},
        {QString(wire::config::kFindBarNextText), [](const QByteArray &b) { storeText(b, &Store::SetFindBarNextText); }},
        {QString(wire::config::kFindBarCloseText), [](const QByteArray &b) { storeText(b, &Store::SetFindBarCloseText); }},
        // Printing is on unless the host says "0"; the two page features are
        // off unless it says "1".
        {QString(wire::config::kPrinting), [](const QByteArray &b) { Store::SetPrinting(readSwitch(b) != 0); }},
        {QString(wire::config::kPageMenu), [](const QByteArray &b) { Store::SetPageMenu(readSwitch(b) == 1); }},
        {QString(wire::config::kPdfViewer), [](const QByteArray &b) { Store::SetPdfViewer(readSwitch(b) == 1); }},
        {QString(wire::config::kReportNavigation), [](const QByteArray &b) { Store::SetReportNavigation(readSwitch(b) == 1); }},
        {QString(wire::config::kAllowPopups), [](const QByteArray &b) { Store::SetAllowPopups(readSwitch(b) == 1); }},
    };
    return table;
}

}

void ConfigKeys::apply(const QString &key, const QByteArray &decoded)
{
    const auto &table = handlers();
    const auto it = table.constFind(key);
    if (it != table.constEnd())
        it.value()(decoded);
}

QStringList ConfigKeys::keys()
{
    QStringList all = handlers().keys();
    all.sort();
    return all;
}

QPixmap *ConfigKeys::screenImage(const QByteArray &bytes)
{
    auto *pixmap = new QPixmap;
    pixmap->loadFromData(bytes);
    if (Store::Retina()) {
        pixmap->setDevicePixelRatio(Store::RetinaFactor());
        return pixmap;
    }
    int s = Store::RealScale();
    if (s == Store::dbisAuto)
        s = Store::ScreenScale();
    if (s != Store::dbisOne && !pixmap->isNull()) {
        auto *scaled = new QPixmap(pixmap->scaledToWidth(dpiScaled(pixmap->width()), Qt::SmoothTransformation));
        delete pixmap;
        pixmap = scaled;
    }
    return pixmap;
}
