#include "config/configkeys.h"

#include "config/externallinks.h"
#include "config/hostmatch.h"
#include "config/vellchatwbconfigure.h"

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
        {QStringLiteral("title"), [](const QByteArray &b) { storeText(b, &Store::SetTitle); }},
        {QStringLiteral("Icon"), [](const QByteArray &b) { storeImage(b, &Store::SetWindowIcon); }},
        {QStringLiteral("titleHeight"), [](const QByteArray &b) { storeNumber(b, &Store::SetTitleHeight); }},
        {QStringLiteral("titleLeft"), [](const QByteArray &b) { storeNumber(b, &Store::SetTitleLeft); }},
        {QStringLiteral("titleRight"), [](const QByteArray &b) { storeNumber(b, &Store::SetTitleRight); }},
        {QStringLiteral("titleSkip"), [](const QByteArray &b) { storeNumber(b, &Store::SetTitleSkip); }},
        {QStringLiteral("titleBackgroundColor"), [](const QByteArray &b) {
             QColor c;
             if (readColourList(b, &c))
                 Store::SetTitleBG(QBrush(c));
         }},
        {QStringLiteral("containerBackgroundColor"), [](const QByteArray &b) {
             const uint n = QString::fromUtf8(b).trimmed().toUInt();
             if (n != 0)
                 Store::SetContainerBG(QBrush(QColor::fromRgb(n & 0xffffff)));
         }},
        {QStringLiteral("shadowColor"), [](const QByteArray &b) {
             QColor c;
             if (readColourList(b, &c))
                 Store::SetShadowColor(c);
         }},
        {QStringLiteral("refreshText"), [](const QByteArray &b) { storeText(b, &Store::SetTitleRefreshText); }},
        {QStringLiteral("collectText"), [](const QByteArray &b) { storeText(b, &Store::SetTitleCollectText); }},
        {QStringLiteral("shareText"), [](const QByteArray &b) { storeText(b, &Store::SetTitleShareText); }},
        {QStringLiteral("channelText"), [](const QByteArray &b) { storeText(b, &Store::SetTitleChannelText); }},
        {QStringLiteral("openoutsideText"), [](const QByteArray &b) { storeText(b, &Store::SetTitleOpenOutsideText); }},
        {QStringLiteral("webFileText"), [](const QByteArray &b) { storeText(b, &Store::SetTitleWebFileText); }},
        {QStringLiteral("webFileEmptyText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileEmptyText); }},
        {QStringLiteral("webFileLoadingText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileLoadingText); }},
        {QStringLiteral("webFileSuccessText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileSuccessText); }},
        {QStringLiteral("webFileFailedText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileFailedText); }},
        {QStringLiteral("webFileOpenInFolderText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileOpenInFolderText); }},
        {QStringLiteral("webFileBackText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileBackText); }},
        {QStringLiteral("webFileRedownloadText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileRedownloadText); }},
        {QStringLiteral("webFileMissedText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileMissedText); }},
        {QStringLiteral("webFileRemoveAllText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileRemoveAllText); }},
        {QStringLiteral("webFileRemoveTipsText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileRemoveTipsText); }},
        {QStringLiteral("webFileRemoveAllTipsText"), [](const QByteArray &b) { storeText(b, &Store::SetWebFileRemoveAllTipsText); }},
        {QStringLiteral("titleLogoData"), [](const QByteArray &b) { storeImage(b, &Store::SetTitleChannelLogo); }},
        {QStringLiteral("titleMinisizeIconData"), [](const QByteArray &b) { storeImage(b, &Store::SetTitleMiniIcon); }},
        {QStringLiteral("titleMaxsizeIconData"), [](const QByteArray &b) { storeImage(b, &Store::SetTitleMaxIcon); }},
        {QStringLiteral("titleRestoreIconData"), [](const QByteArray &b) { storeImage(b, &Store::SetTitleRestoreIcon); }},
        {QStringLiteral("titleCloseIconData"), [](const QByteArray &b) { storeImage(b, &Store::SetTitleCloseIcon); }},
        {QStringLiteral("windowsRect"), [](const QByteArray &b) {
             const QList<int> v = readIntList(b);
             if (v.size() < 4)
                 return;
             Store::SetGeometry(QRect(v[0], v[1], v[2], v[3]));
             if (v.size() >= 5 && v[4] == 1)
                 Store::SetMaxsized(true);
         }},
        {QStringLiteral("miniWidth"), [](const QByteArray &b) { storeNumber(b, &Store::SetMiniWidth); }},
        {QStringLiteral("infoBoxOk"), [](const QByteArray &b) { storeText(b, &Store::SetInfoOK); }},
        {QStringLiteral("infoBoxCancel"), [](const QByteArray &b) { storeText(b, &Store::SetInfoCancel); }},
        {QStringLiteral("infoBoxSize"), [](const QByteArray &b) {
             const QList<int> v = readIntList(b);
             if (v.size() >= 2)
                 Store::SetInfoBoxSize(QSize(v[0], v[1]));
         }},
        {QStringLiteral("infoBoxMargin"), [](const QByteArray &b) {
             const QList<int> v = readIntList(b);
             if (v.size() >= 4)
                 Store::SetInfoBoxMargins(QMargins(v[0], v[1], v[2], v[3]));
         }},
        {QStringLiteral("infoBoxDelete"), [](const QByteArray &b) { storeText(b, &Store::SetInfoDelete); }},
        {QStringLiteral("infoBoxClean"), [](const QByteArray &b) { storeText(b, &Store::SetInfoClean); }},
        {QStringLiteral("accessToken"), [](const QByteArray &b) { Store::SetAccessToken(QString::fromUtf8(b)); }},
        // An empty list means every host and every origin, as without the key;
        // a list with a malformed item is ignored whole, so that a typo never
        // widens what an earlier list allowed.
        {QStringLiteral("accessTokenHosts"), [](const QByteArray &b) {
             QStringList hosts;
             if (HostMatch::parseHostList(QString::fromUtf8(b), &hosts))
                 Store::SetAccessTokenHosts(hosts);
         }},
        {QStringLiteral("strictCertificates"), [](const QByteArray &b) {
             Store::SetStrictCertificates(QString::fromUtf8(b).trimmed() == QLatin1String("1"));
         }},
        {QStringLiteral("bridgeOrigins"), [](const QByteArray &b) {
             QStringList origins;
             if (HostMatch::parseOriginList(QString::fromUtf8(b), &origins))
                 Store::SetBridgeOrigins(origins);
         }},
        {QStringLiteral("externalSchemes"), [](const QByteArray &b) {
             QStringList schemes;
             if (readSchemeList(QString::fromUtf8(b), &schemes))
                 Store::SetExternalSchemes(schemes);
         }},
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
