// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "web/enginecompat.h"

#include <QObject>
#include <QString>
#include <QUrl>

// Every download a page starts goes to the host, which fetches the file
// itself. Downloads whose bytes exist only inside the page (a Blob, a data: URL, the
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
    // A download the engine offers: handed over at once, written first when
    // the page made it, or dropped (a second one from the same click, an
    // address the host must not be given).
    void take(WebDownload *download);

signals:
    // The host may fetch the download from url (a local file when the
    // browser wrote it) and name it name.
    void ready(const QString &url, const QString &name);
    void receiveLog(const QString &msg);

private:
    bool keep(WebDownload *download);
    void onFinished(WebDownload *download);
    int count = 0;
    qint64 lastTime = 0;
};
