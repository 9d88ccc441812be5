// SPDX-License-Identifier: Apache-2.0
#include "resources/resource.h"

#include <QImageReader>
#include <QPixmap>
#include <QtMath>
#include <mutex>

static void initBundles()
{
    Q_INIT_RESOURCE(vellchatfonts);
    Q_INIT_RESOURCE(vellchatwebbroswer);
    Q_INIT_RESOURCE(icon_resource);
}

void Resource::ensureBundles()
{
    static std::once_flag once;
    std::call_once(once, initBundles);
}

namespace {
// The bundles must be reachable before main() runs, as the font and icons are
// looked up by path from the first moment.
struct BundleRegistrar
{
    BundleRegistrar() { Resource::ensureBundles(); }
} bundleRegistrar;
}

Resource *Resource::ShareInstance()
{
    static Resource *instance = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        ensureBundles();
        instance = new Resource;
        instance->init();
    });
    return instance;
}

static QImage readPng(const QString &file)
{
    // Our pictures are all PNG. Saying so keeps the image reader from loading
    // every image format plugin at start-up to ask whether it reads ".png".
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

static QSize pngSize(const QString &file)
{
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.size();
}

static ScreenDensity (*densitySource)() = nullptr;

void Resource::setDensitySource(ScreenDensity (*source)())
{
    densitySource = source;
}

QPixmap *Resource::loadScreenPixmap(const QString &path)
{
    const ScreenDensity density = densitySource ? densitySource() : ScreenDensity();
    const QString normal = QStringLiteral(":/%1.png").arg(path);
    const QString doubled = QStringLiteral(":/%1@2x.png").arg(path);
    const bool retina = density.retina;
    const bool enlarged = !retina && density.enlarged && density.scaled;
    QImage image = readPng(retina || enlarged ? doubled : normal);
    if (image.isNull() && enlarged)
        image = readPng(normal);   // a picture drawn at one size only
    // An enlarged picture is the @2x drawing brought down to its pixel size,
    // which stays sharp where the normal one blown up would not; the same for
    // a pixel ratio other than the 2 the drawing was made for.
    const QSize base = pngSize(normal);
    if (retina && density.retinaFactor != 2.0 && !image.isNull() && base.isValid()) {
        const qreal factor = density.retinaFactor;
        image = image.scaled(qRound(base.width() * factor), qRound(base.height() * factor), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    } else if (enlarged && !image.isNull()) {
        // The height follows the width, rounded up, with either toolkit (the
        // newer one's scaledToWidth() rounds to nearest).
        const int width = density.scaled(base.isValid() ? base.width() : image.width());
        const int height = qCeil(image.height() * (qreal(width) / image.width()));
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    auto *pixmap = new QPixmap(QPixmap::fromImage(image));
    // The reader gives an "@2x" file a ratio of 2 by itself; the ratio here is the screen's.
    pixmap->setDevicePixelRatio(retina ? density.retinaFactor : 1.0);
    return pixmap;
}

void Resource::init()
{
    if (!m_channelLogo)
        m_channelLogo = loadScreenPixmap(QStringLiteral("gui/icons/channel_webbroswer_logo"));
    if (!m_miniIcon)
        m_miniIcon = loadScreenPixmap(QStringLiteral("gui/icons/minimize"));
    if (!m_maxIcon)
        m_maxIcon = loadScreenPixmap(QStringLiteral("gui/icons/maximize"));
    if (!m_restoreIcon)
        m_restoreIcon = loadScreenPixmap(QStringLiteral("gui/icons/restore"));
    if (!m_closeIcon)
        m_closeIcon = loadScreenPixmap(QStringLiteral("gui/icons/close"));
    if (!m_windowIcon)
        m_windowIcon = loadScreenPixmap(QStringLiteral("gui/icons/main"));
}

// A host may have stored a null icon; the title bar still needs something to draw.
QPixmap *Resource::titleIcon(QPixmap *&slot)
{
    if (!slot) {
        slot = new QPixmap(16, 16);
        slot->fill(Qt::white);
    }
    return slot;
}

QPixmap *Resource::lazyIcon(QPixmap *&slot, const QString &path)
{
    if (!slot)
        slot = loadScreenPixmap(path);
    return slot;
}

QPixmap *Resource::fileTypeIcon(QPixmap *&slot, const char *base)
{
    return lazyIcon(slot, QStringLiteral("art/") + QLatin1String(base));
}

// Nobody keeps a replaced pixmap, so it is released here.
void Resource::replace(QPixmap *&slot, QPixmap *pixmap)
{
    if (slot == pixmap)
        return;
    delete slot;
    slot = pixmap;
}

QPixmap *Resource::channelLogo() { return titleIcon(m_channelLogo); }
QPixmap *Resource::miniIcon() { return titleIcon(m_miniIcon); }
QPixmap *Resource::maxIcon() { return titleIcon(m_maxIcon); }
QPixmap *Resource::restoreIcon() { return titleIcon(m_restoreIcon); }
QPixmap *Resource::closeIcon() { return titleIcon(m_closeIcon); }
QPixmap *Resource::windowIcon() { return titleIcon(m_windowIcon); }
void Resource::setChannelLogo(QPixmap *p) { replace(m_channelLogo, p); }
void Resource::setMiniIcon(QPixmap *p) { replace(m_miniIcon, p); }
void Resource::setMaxIcon(QPixmap *p) { replace(m_maxIcon, p); }
void Resource::setRestoreIcon(QPixmap *p) { replace(m_restoreIcon, p); }
void Resource::setCloseIcon(QPixmap *p) { replace(m_closeIcon, p); }
void Resource::setWindowIcon(QPixmap *p) { replace(m_windowIcon, p); }

QPixmap *Resource::fileEmptyLog() { return lazyIcon(m_fileEmptyLogo, QStringLiteral("gui/icons/webfileempty")); }
void Resource::setFileEmptyLogo(QPixmap *p) { replace(m_fileEmptyLogo, p); }
QPixmap *Resource::fileHistoryDeleteIcon() { return lazyIcon(m_fileHistoryDeleteIcon, QStringLiteral("gui/icons/x")); }

QPixmap *Resource::pptIcon() { return fileTypeIcon(m_pptIcon, "overview_icon_file_ppt"); }
QPixmap *Resource::docIcon() { return fileTypeIcon(m_docIcon, "overview_icon_file_word"); }
QPixmap *Resource::xlsIcon() { return fileTypeIcon(m_xlsIcon, "overview_icon_file_xls"); }
QPixmap *Resource::pdfIcon() { return fileTypeIcon(m_pdfIcon, "overview_icon_file_pdf"); }
QPixmap *Resource::rarIcon() { return fileTypeIcon(m_rarIcon, "overview_icon_file_rar"); }
QPixmap *Resource::audioIcon() { return fileTypeIcon(m_audioIcon, "overview_icon_file_music"); }
QPixmap *Resource::videoIcon() { return fileTypeIcon(m_videoIcon, "overview_icon_file_video"); }
QPixmap *Resource::imgIcon() { return fileTypeIcon(m_imgIcon, "overview_icon_file_picture"); }
QPixmap *Resource::txtIcon() { return fileTypeIcon(m_txtIcon, "overview_icon_file_docu"); }
QPixmap *Resource::otherIcon() { return fileTypeIcon(m_otherIcon, "overview_icon_file_other"); }
QPixmap *Resource::pptGrayIcon() { return fileTypeIcon(m_pptGrayIcon, "overview_icon_file_ppt_gray"); }
QPixmap *Resource::docGrayIcon() { return fileTypeIcon(m_docGrayIcon, "overview_icon_file_word_gray"); }
QPixmap *Resource::xlsGrayIcon() { return fileTypeIcon(m_xlsGrayIcon, "overview_icon_file_xls_gray"); }
QPixmap *Resource::pdfGrayIcon() { return fileTypeIcon(m_pdfGrayIcon, "overview_icon_file_pdf_gray"); }
QPixmap *Resource::rarGrayIcon() { return fileTypeIcon(m_rarGrayIcon, "overview_icon_file_rar_gray"); }
QPixmap *Resource::audioGrayIcon() { return fileTypeIcon(m_audioGrayIcon, "overview_icon_file_music_gray"); }
QPixmap *Resource::videoGrayIcon() { return fileTypeIcon(m_videoGrayIcon, "overview_icon_file_video_gray"); }
QPixmap *Resource::imgGrayIcon() { return fileTypeIcon(m_imgGrayIcon, "overview_icon_file_picture_gray"); }
QPixmap *Resource::txtGrayIcon() { return fileTypeIcon(m_txtGrayIcon, "overview_icon_file_docu_gray"); }
QPixmap *Resource::otherGrayIcon() { return fileTypeIcon(m_otherGrayIcon, "overview_icon_file_other_gray"); }
