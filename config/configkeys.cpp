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

namespace {

using Store = VellChatWBConfigure;

// Unreadable numbers count as 0, which every number check rejects.
int readInt(const QString &text)
{
    return text.trimmed().toInt();
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
bool parseSchemeList(const QString &text, QStringList *out)
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

// How each kind of key is read and stored (wire/configlist.h says what each
// kind accepts).
void readText(const QByteArray &bytes, void (*set)(const QString &))
{
    const QString text = QString::fromUtf8(bytes);
    if (!text.isEmpty())
        set(text);
}

void readToken(const QByteArray &bytes, void (*set)(const QString &))
{
    set(QString::fromUtf8(bytes));
}

void readNumber(const QByteArray &bytes, void (*set)(const int &))
{
    const int n = readInt(QString::fromUtf8(bytes));
    if (n > 0)
        set(n);
}

void readSwitchOn(const QByteArray &bytes, void (*set)(const bool &))
{
    set(readSwitch(bytes) != 0);
}

void readSwitchOff(const QByteArray &bytes, void (*set)(const bool &))
{
    set(readSwitch(bytes) == 1);
}

// An empty list means every host and every origin, as without the key.
void readHostList(const QByteArray &bytes, void (*set)(const QStringList &))
{
    QStringList hosts;
    if (HostMatch::parseHostList(QString::fromUtf8(bytes), &hosts))
        set(hosts);
}

void readOriginList(const QByteArray &bytes, void (*set)(const QStringList &))
{
    QStringList origins;
    if (HostMatch::parseOriginList(QString::fromUtf8(bytes), &origins))
        set(origins);
}

void readPolicyList(const QByteArray &bytes, void (*set)(const QStringList &))
{
    QStringList items;
    if (PermissionPolicy::parse(QString::fromUtf8(bytes), &items))
        set(items);
}

void readSchemeList(const QByteArray &bytes, void (*set)(const QStringList &))
{
    QStringList schemes;
    if (parseSchemeList(QString::fromUtf8(bytes), &schemes))
        set(schemes);
}

void readPicture(const QByteArray &bytes, void (*set)(QPixmap *))
{
    set(ConfigKeys::screenImage(bytes));
}

// The Custom kinds.
void applyTitleBackgroundColor(const QByteArray &b)
{
    QColor c;
    if (readColourList(b, &c))
        Store::SetTitleBG(QBrush(c));
}

void applyContainerBackgroundColor(const QByteArray &b)
{
    const uint n = QString::fromUtf8(b).trimmed().toUInt();
    if (n != 0)
        Store::SetContainerBG(QBrush(QColor::fromRgb(n & 0xffffff)));
}

void applyShadowColor(const QByteArray &b)
{
    QColor c;
    if (readColourList(b, &c))
        Store::SetShadowColor(c);
}

// An invisible caption helps nobody: out-of-range parts leave the caption as
// it was; for the hover colour they mean "as the caption".
void applyTitleTextColor(const QByteArray &b)
{
    QColor c;
    if (readColourList(b, &c) && c.isValid())
        Store::SetTitleTextColor(c);
}

void applyTitleTextHoverColor(const QByteArray &b)
{
    QColor c;
    if (readColourList(b, &c))
        Store::SetTitleTextHoverColor(c);
}

void applyWindowsRect(const QByteArray &b)
{
    const QList<int> v = readIntList(b);
    if (v.size() < 4)
        return;
    Store::SetGeometry(QRect(v[0], v[1], v[2], v[3]));
    if (v.size() >= 5 && v[4] == 1)
        Store::SetMaxsized(true);
}

void applyInfoBoxSize(const QByteArray &b)
{
    const QList<int> v = readIntList(b);
    if (v.size() >= 2)
        Store::SetInfoBoxSize(QSize(v[0], v[1]));
}

void applyInfoBoxMargin(const QByteArray &b)
{
    const QList<int> v = readIntList(b);
    if (v.size() >= 4)
        Store::SetInfoBoxMargins(QMargins(v[0], v[1], v[2], v[3]));
}

using Handler = void (*)(const QByteArray &);

#define CWB_READ_Custom(Name, Getter) apply##Name(b)
#define CWB_READ_KIND(Kind, Getter) read##Kind(b, &Store::Set##Getter)
#define CWB_READ_Text(Name, Getter) CWB_READ_KIND(Text, Getter)
#define CWB_READ_Token(Name, Getter) CWB_READ_KIND(Token, Getter)
#define CWB_READ_Number(Name, Getter) CWB_READ_KIND(Number, Getter)
#define CWB_READ_SwitchOn(Name, Getter) CWB_READ_KIND(SwitchOn, Getter)
#define CWB_READ_SwitchOff(Name, Getter) CWB_READ_KIND(SwitchOff, Getter)
#define CWB_READ_HostList(Name, Getter) CWB_READ_KIND(HostList, Getter)
#define CWB_READ_OriginList(Name, Getter) CWB_READ_KIND(OriginList, Getter)
#define CWB_READ_PolicyList(Name, Getter) CWB_READ_KIND(PolicyList, Getter)
#define CWB_READ_SchemeList(Name, Getter) CWB_READ_KIND(SchemeList, Getter)
#define CWB_READ_Picture(Name, Getter) CWB_READ_KIND(Picture, Getter)

const QHash<QString, Handler> &handlers()
{
#define CWB_HANDLER(Name, key, Kind, Getter, member, initial) \
    {QString(wire::config::k##Name), [](const QByteArray &b) { CWB_READ_##Kind(Name, Getter); }},
    static const QHash<QString, Handler> table = {CWB_CONFIG_KEYS(CWB_HANDLER)};
#undef CWB_HANDLER
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
