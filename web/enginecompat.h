#pragma once

// The few places where the two page engines we build with (the toolkit's 5.15
// and 6.x) spell the same thing differently. Everything else in the tree is
// written once, against what both have.

#include <QtGlobal>
#include <QUrl>
#include <QString>
#include <functional>

#if QT_VERSION_MAJOR >= 6
#include <QWebEngineDownloadRequest>
using WebDownload = QWebEngineDownloadRequest;
#else
#include <QWebEngineDownloadItem>
using WebDownload = QWebEngineDownloadItem;
#endif

class QObject;
class QPrinter;
class QWebEnginePage;
class QWidget;

namespace EngineCompat {

// Calls done (in context's thread) once the download has ended, however.
void whenFinished(WebDownload *download, QObject *context, std::function<void()> done);
// Calls progress(received, total) as the download's bytes come in; total is
// 0 or less while the engine does not know it.
void whenProgress(WebDownload *download, QObject *context, std::function<void(qint64, qint64)> progress);

// What was under the pointer when the page's context menu was asked for.
struct MenuPlace
{
    bool valid = false;
    bool editable = false;
    QString selectedText;
    QUrl linkUrl;
    bool image = false;
    QUrl mediaUrl;
};
MenuPlace menuPlace(QWebEnginePage *page);

// Calls opened(userInitiated) each time the page asks for a new window,
// before the view is asked for one: whether the user's click or key made
// the page ask. Only the newer engine tells; the older one never calls.
void whenWindowRequested(QWebEnginePage *page, std::function<void(bool)> opened);

// The widget that shows the page, if any.
QWidget *viewOf(QWebEnginePage *page);

// Takes every script of that name off the page.
void removeScripts(QWebEnginePage *page, const QString &name);

// A link the user opens in a new window (shift- or ctrl-click) that the view
// gives no window of its own is followed in the page itself. The older engine
// does that on its own; the newer one drops it, and the click did nothing.
void followRefusedLinksInPlace(QWebEnginePage *page);

// Draws the whole page onto printer; done(ok) follows, possibly later.
void print(QWebEnginePage *page, QPrinter *printer, std::function<void(bool)> done);

}
