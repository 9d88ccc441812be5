#include "web/enginecompat.h"

#include <QObject>
#include <QPrinter>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWidget>

#if QT_VERSION_MAJOR >= 6
#include <QWebEngineContextMenuRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>
#else
#include <QWebEngineContextMenuData>
#endif

namespace EngineCompat {

#if QT_VERSION_MAJOR >= 6

void whenFinished(WebDownload *download, QObject *context, std::function<void()> done)
{
    QObject::connect(download, &WebDownload::isFinishedChanged, context, [download, done] {
        if (download->isFinished())
            done();
    });
}

void whenProgress(WebDownload *download, QObject *context, std::function<void(qint64, qint64)> progress)
{
    QObject::connect(download, &WebDownload::receivedBytesChanged, context, [download, progress] {
        progress(download->receivedBytes(), download->totalBytes());
    });
}

void whenWindowRequested(QWebEnginePage *page, std::function<void(bool)> opened)
{
    QObject::connect(page, &QWebEnginePage::newWindowRequested, page, [opened](QWebEngineNewWindowRequest &request) {
        opened(request.isUserInitiated());
    });
}

MenuPlace menuPlace(QWebEnginePage *page)
{
    MenuPlace place;
    QWebEngineView *view = QWebEngineView::forPage(page);
    const QWebEngineContextMenuRequest *request = view ? view->lastContextMenuRequest() : nullptr;
    if (!request)
        return place;
    place.valid = true;
    place.editable = request->isContentEditable();
    place.selectedText = request->selectedText();
    place.linkUrl = request->linkUrl();
    place.image = request->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage;
    place.mediaUrl = request->mediaUrl();
    return place;
}

QWidget *viewOf(QWebEnginePage *page)
{
    return QWebEngineView::forPage(page);
}

void removeScripts(QWebEnginePage *page, const QString &name)
{
    for (const QWebEngineScript &script : page->scripts().find(name))
        page->scripts().remove(script);
}

void followRefusedLinksInPlace(QWebEnginePage *page)
{
    QObject::connect(page, &QWebEnginePage::newWindowRequested, page, [page](QWebEngineNewWindowRequest &request) {
        const auto where = request.destination();
        if (!request.isUserInitiated()
            || (where != QWebEngineNewWindowRequest::InNewWindow
                && where != QWebEngineNewWindowRequest::InNewBackgroundTab))
            return;
        // Loaded by the program, the address would pass as the host's own:
        // a local file stays refused, as a link to one is.
        const QUrl url = request.requestedUrl();
        if (url.isLocalFile())
            return;
        // after the engine has asked the view and let the request go
        QMetaObject::invokeMethod(page, [page, url] { page->load(url); }, Qt::QueuedConnection);
    });
}

void print(QWebEnginePage *page, QPrinter *printer, std::function<void(bool)> done)
{
    // The newer engine prints through the view that shows the page.
    QWebEngineView *view = QWebEngineView::forPage(page);
    if (!view) {
        done(false);
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(view, &QWebEngineView::printFinished, view, [connection, done](bool ok) {
        QObject::disconnect(*connection);
        done(ok);
    });
    view->print(printer);
}

#else

void whenFinished(WebDownload *download, QObject *context, std::function<void()> done)
{
    QObject::connect(download, &WebDownload::finished, context, done);
}

void whenProgress(WebDownload *download, QObject *context, std::function<void(qint64, qint64)> progress)
{
    QObject::connect(download, &WebDownload::downloadProgress, context, progress);
}

// The older engine drops what it knows of the user's gesture before it asks
// for the window.
void whenWindowRequested(QWebEnginePage *, std::function<void(bool)>) {}

MenuPlace menuPlace(QWebEnginePage *page)
{
    MenuPlace place;
    const QWebEngineContextMenuData &data = page->contextMenuData();
    if (!data.isValid())
        return place;
    place.valid = true;
    place.editable = data.isContentEditable();
    place.selectedText = data.selectedText();
    place.linkUrl = data.linkUrl();
    place.image = data.mediaType() == QWebEngineContextMenuData::MediaTypeImage;
    place.mediaUrl = data.mediaUrl();
    return place;
}

QWidget *viewOf(QWebEnginePage *page)
{
    return page->view();
}

void removeScripts(QWebEnginePage *page, const QString &name)
{
    for (const QWebEngineScript &script : page->scripts().findScripts(name))
        page->scripts().remove(script);
}

void followRefusedLinksInPlace(QWebEnginePage *) {}

void print(QWebEnginePage *page, QPrinter *printer, std::function<void(bool)> done)
{
    page->print(printer, done);
}

#endif

}
