// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWaitCondition>
#include <memory>
#include <thread>

namespace httplib {
class Server;
}
class QWebEnginePage;

// One request as the server received it (a GET or a CORS preflight);
// header names in lower case.
struct SeenRequest
{
    QByteArray method = "GET";
    QString path;
    QHash<QByteArray, QByteArray> headers;
};

// A loopback HTTP or HTTPS server on its own thread, so that tests see exactly
// which requests a page made and with which headers. Paths without content of
// their own get a small HTML page titled with the path; "/favicon.ico" is 404.
class PageServer
{
public:
    PageServer();
    ~PageServer();
    bool startHttp();
    bool startHttps(const QString &certPath, const QString &keyPath);
    void stop();

    // cacheControl: the "Cache-Control" the content is served with.
    void setContent(const QString &path, const QByteArray &body, const QByteArray &type,
                    const QByteArray &cacheControl = "no-store");
    // path answers with status (301, 302, 303, 307 or 308) and Location: to.
    void setRedirect(const QString &path, int status, const QUrl &to);
    // A request for path waits, seen, until release(path) (or stop()): a page
    // that is still loading for as long as a test needs.
    void hold(const QString &path);
    void release(const QString &path);
    QUrl url(const QString &path) const;
    QList<SeenRequest> requests() const;
    QList<SeenRequest> requestsFor(const QString &path) const;
private:
    bool start(std::unique_ptr<httplib::Server> server, const QString &scheme);

    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    QString scheme;
    int port = 0;
    mutable QMutex mutex;   // the server thread and the test both touch these
    struct Content
    {
        QByteArray body;
        QByteArray type;
        QByteArray cacheControl;
    };
    QHash<QString, Content> contents;
    QHash<QString, QPair<int, QByteArray>> redirects;
    QList<SeenRequest> seen;
    QSet<QString> held;
    QWaitCondition released;
    bool stopping = false;
};

// Writes a self-signed certificate for 127.0.0.1 and its key into dir.
bool makeSelfSignedCertificate(const QString &dir, QString *certPath, QString *keyPath);

// Runs script in the page and waits up to timeoutMs for its value; an invalid
// QVariant when the page did not answer in time.
QVariant evalJs(QWebEnginePage *page, const QString &script, int timeoutMs = 10000);

// A tiny valid PNG for pages that need a real image.
QByteArray tinyPng();
// The PNG file of a picture of one colour.
QByteArray pngOf(const QSize &size, const QColor &colour);
