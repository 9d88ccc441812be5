#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class QWebEngineDownloadItem;

// Downloads whose bytes exist only inside the page (a Blob, a data: URL, the
// page's own file system) cannot be fetched by the host. The engine writes
// them itself into the browser's private scratch folder, and the host is
// handed a file: URL of the finished file; the files go with the folder when
// the browser exits.
class PageDownloads : public QObject
{
    Q_OBJECT
public:
    explicit PageDownloads(QObject *parent = nullptr);

    // blob:, data: and filesystem: URLs.
    static bool madeByPage(const QUrl &url);
    // What the host may be handed as it is: the address of a file on a server.
    static bool fetchable(const QUrl &url);
    // Starts writing a page-made download; false if there is nowhere to write it.
    bool keep(QWebEngineDownloadItem *download);

signals:
    // A page-made download is complete at url (a local file), named name.
    void ready(const QString &url, const QString &name);
    void receiveLog(const QString &msg);

private:
    void onFinished(QWebEngineDownloadItem *download);
    int count = 0;
};
