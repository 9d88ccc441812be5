// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "web/enginecompat.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

// Every download a page starts goes to the host, which fetches the file
// itself. Downloads whose bytes exist only inside the page (a Blob, a data: URL, the
// page's own file system) cannot be fetched by the host. The engine writes
// them itself into the browser's private scratch folder, and the host is
// handed a file: URL of the finished file; the files go with the folder when
// the browser exits. A page gets a few downloads in a row without the
// user's hand; then it waits for the user's next click or key in the browser
// or the host's next page.
class PageDownloads : public QObject
{
    Q_OBJECT
public:
    explicit PageDownloads(QObject *parent = nullptr);

    // blob:, data: and filesystem: URLs.
    static bool madeByPage(const QUrl &url);
    // What the host may be handed as it is: the address of a file on a server.
    static bool fetchable(const QUrl &url);
    // The name the page chose as the host may show and store it: without
    // control characters (line breaks, NUL, C1, DEL) and without the
    // characters that turn text around ("invoice<U+202E>fdp.exe" would
    // read as "invoiceexe.pdf").
    static QString cleanName(const QString &name);
    // A download the engine offers: handed over at once, written first when
    // the page made it, or dropped (a second one from the same click, an
    // address the host must not be given).
    void take(WebDownload *download);
    // The host showed a page: it may start its first few downloads again.
    void startAfresh() { unprompted = 0; }

signals:
    // The host may fetch the download from url (a local file when the
    // browser wrote it) and name it name.
    void ready(const QString &url, const QString &name);
    void receiveLog(const QString &msg);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keep(WebDownload *download);
    void onProgress(WebDownload *download, qint64 received, qint64 total);
    void onFinished(WebDownload *download);
    int count = 0;
    qint64 lastTime = 0;
    int unprompted = 0;   // downloads since the user's last click or key
    QSet<WebDownload *> overLimit;   // cancelled for their size, said so already
};
