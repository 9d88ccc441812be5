// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QString>

class QPixmap;

// What the pictures are fitted to. The configuration store knows the screen
// and hands it down through densitySource(); below it, pictures are drawn for
// a plain 100 % screen.
struct ScreenDensity
{
    bool retina = false;       // the screen has a pixel ratio of its own ...
    double retinaFactor = 1.0; // ... this one
    bool enlarged = false;     // no pixel ratio, but a scale above 100 %
    int (*scaled)(int) = nullptr;   // that scale's rule for a pixel count
};

// Process-wide cache of the built-in pictures, ready for the current screen:
// the normal file at 100 %, otherwise the @2x file at the pixel size the
// screen scale asks for. Pixmaps live until the process ends.
class Resource
{
public:
    static Resource *ShareInstance();
    // Registers the three compiled bundles; safe to call any number of times.
    static void ensureBundles();
    // Loads ":/<path>.png" or ":/<path>@2x.png" and fits it to the screen.
    static QPixmap *loadScreenPixmap(const QString &path);
    // Where loadScreenPixmap() reads the screen from; null: a 100 % screen.
    static void setDensitySource(ScreenDensity (*source)());

    void init();

    QPixmap *channelLogo();
    QPixmap *miniIcon();
    QPixmap *maxIcon();
    QPixmap *restoreIcon();
    QPixmap *closeIcon();
    QPixmap *windowIcon();
    void setChannelLogo(QPixmap *pixmap);
    void setMiniIcon(QPixmap *pixmap);
    void setMaxIcon(QPixmap *pixmap);
    void setRestoreIcon(QPixmap *pixmap);
    void setCloseIcon(QPixmap *pixmap);
    void setWindowIcon(QPixmap *pixmap);

    QPixmap *fileEmptyLog();
    void setFileEmptyLogo(QPixmap *pixmap);
    QPixmap *fileHistoryDeleteIcon();

    QPixmap *pptIcon();
    QPixmap *docIcon();
    QPixmap *xlsIcon();
    QPixmap *pdfIcon();
    QPixmap *rarIcon();
    QPixmap *audioIcon();
    QPixmap *videoIcon();
    QPixmap *imgIcon();
    QPixmap *txtIcon();
    QPixmap *otherIcon();
    QPixmap *pptGrayIcon();
    QPixmap *docGrayIcon();
    QPixmap *xlsGrayIcon();
    QPixmap *pdfGrayIcon();
    QPixmap *rarGrayIcon();
    QPixmap *audioGrayIcon();
    QPixmap *videoGrayIcon();
    QPixmap *imgGrayIcon();
    QPixmap *txtGrayIcon();
    QPixmap *otherGrayIcon();

private:
    Resource() = default;
    QPixmap *titleIcon(QPixmap *&slot);
    QPixmap *lazyIcon(QPixmap *&slot, const QString &path);
    QPixmap *fileTypeIcon(QPixmap *&slot, const char *base);
    static void replace(QPixmap *&slot, QPixmap *pixmap);

    QPixmap *m_channelLogo = nullptr;
    QPixmap *m_miniIcon = nullptr;
    QPixmap *m_maxIcon = nullptr;
    QPixmap *m_restoreIcon = nullptr;
    QPixmap *m_closeIcon = nullptr;
    QPixmap *m_windowIcon = nullptr;
    QPixmap *m_fileEmptyLogo = nullptr;
    QPixmap *m_pptIcon = nullptr;
    QPixmap *m_docIcon = nullptr;
    QPixmap *m_xlsIcon = nullptr;
    QPixmap *m_pdfIcon = nullptr;
    QPixmap *m_rarIcon = nullptr;
    QPixmap *m_audioIcon = nullptr;
    QPixmap *m_videoIcon = nullptr;
    QPixmap *m_imgIcon = nullptr;
    QPixmap *m_txtIcon = nullptr;
    QPixmap *m_otherIcon = nullptr;
    QPixmap *m_pptGrayIcon = nullptr;
    QPixmap *m_docGrayIcon = nullptr;
    QPixmap *m_xlsGrayIcon = nullptr;
    QPixmap *m_pdfGrayIcon = nullptr;
    QPixmap *m_rarGrayIcon = nullptr;
    QPixmap *m_audioGrayIcon = nullptr;
    QPixmap *m_videoGrayIcon = nullptr;
    QPixmap *m_imgGrayIcon = nullptr;
    QPixmap *m_txtGrayIcon = nullptr;
    QPixmap *m_otherGrayIcon = nullptr;
    QPixmap *m_fileHistoryDeleteIcon = nullptr;
};
