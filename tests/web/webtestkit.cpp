// SPDX-License-Identifier: Apache-2.0
#include "webtestkit.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QImage>
#include <QMutexLocker>
#include <QProcess>
#include <QTest>
#include <QWebEnginePage>
#include <httplib.h>

PageServer::PageServer() = default;

PageServer::~PageServer()
{
    stop();
}

bool PageServer::startHttp()
{
    return start(std::make_unique<httplib::Server>(), QStringLiteral("http"));
}

bool PageServer::startHttps(const QString &certPath, const QString &keyPath)
{
    auto ssl = std::make_unique<httplib::SSLServer>(certPath.toLocal8Bit().constData(),
                                                    keyPath.toLocal8Bit().constData());
    if (!ssl->is_valid())
        return false;
    return start(std::move(ssl), QStringLiteral("https"));
}

bool PageServer::start(std::unique_ptr<httplib::Server> created, const QString &schemeName)
{
    server = std::move(created);
    scheme = schemeName;
    server->set_keep_alive_max_count(100);
    // Like a server that wants every page's requests, it lets any origin read
    // its answers and send any header: what a page or the engine holds back
    // is then held back by the browser, not by this server.
    server->Options(".*", [this](const httplib::Request &request, httplib::Response &response) {
        SeenRequest record;
        record.method = QByteArrayLiteral("OPTIONS");
        record.path = QString::fromStdString(request.path);
        for (const auto &header : request.headers)
            record.headers.insert(QByteArray::fromStdString(header.first).toLower(),
                                  QByteArray::fromStdString(header.second));
        {
            QMutexLocker locker(&mutex);
            seen.append(record);
        }
        response.set_header("Access-Control-Allow-Origin", request.get_header_value("Origin"));
        response.set_header("Access-Control-Allow-Headers", request.get_header_value("Access-Control-Request-Headers"));
        response.set_header("Access-Control-Allow-Methods", "GET, POST");
        response.status = 204;
    });
    const auto answer = [this](const httplib::Request &request, httplib::Response &response) {
        SeenRequest record;
        record.method = QByteArray::fromStdString(request.method);
        record.path = QString::fromStdString(request.path);
        for (const auto &header : request.headers)
            record.headers.insert(QByteArray::fromStdString(header.first).toLower(),
                                  QByteArray::fromStdString(header.second));
        Content content;
        bool known = false;
        QPair<int, QByteArray> redirect;
        {
            QMutexLocker locker(&mutex);
            seen.append(record);
            while (held.contains(record.path) && !stopping)
                released.wait(&mutex);
            known = contents.contains(record.path);
            if (known)
                content = contents.value(record.path);
            redirect = redirects.value(record.path);
        }
        response.set_header("Cache-Control", known ? content.cacheControl.constData() : "no-store");
        response.set_header("Access-Control-Allow-Origin", "*");
        if (redirect.first != 0) {
            response.status = redirect.first;
            response.set_header("Location", redirect.second.constData());
        } else if (known) {
            response.set_content(content.body.toStdString(), content.type.toStdString());
        } else if (record.path == QLatin1String("/favicon.ico")) {
            response.status = 404;
        } else {
            const QByteArray page = "<html><head><title>" + record.path.toUtf8()
                + "</title></head><body>" + record.path.toUtf8() + "</body></html>";
            response.set_content(page.toStdString(), "text/html");
        }
    };
    server->Get(".*", answer);
    server->Post(".*", answer);
    port = server->bind_to_any_port("127.0.0.1");
    if (port <= 0)
        return false;
    httplib::Server *running = server.get();
    thread = std::thread([running] { running->listen_after_bind(); });
    return true;
}

void PageServer::hold(const QString &path)
{
    QMutexLocker locker(&mutex);
    held.insert(path);
}

void PageServer::release(const QString &path)
{
    QMutexLocker locker(&mutex);
    held.remove(path);
    released.wakeAll();
}

void PageServer::stop()
{
    if (!server)
        return;
    {
        QMutexLocker locker(&mutex);
        stopping = true;
        released.wakeAll();
    }
    server->stop();
    if (thread.joinable())
        thread.join();
    server.reset();
}

void PageServer::setContent(const QString &path, const QByteArray &body, const QByteArray &type,
                            const QByteArray &cacheControl)
{
    QMutexLocker locker(&mutex);
    contents.insert(path, Content{body, type, cacheControl});
}

void PageServer::setRedirect(const QString &path, int status, const QUrl &to)
{
    QMutexLocker locker(&mutex);
    redirects.insert(path, qMakePair(status, to.toEncoded()));
}

QUrl PageServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(port).arg(path));
}

QList<SeenRequest> PageServer::requests() const
{
    QMutexLocker locker(&mutex);
    return seen;
}

QList<SeenRequest> PageServer::requestsFor(const QString &path) const
{
    QList<SeenRequest> matching;
    for (const SeenRequest &request : requests()) {
        if (request.path == path)
            matching.append(request);
    }
    return matching;
}

bool makeSelfSignedCertificate(const QString &dir, QString *certPath, QString *keyPath)
{
    *certPath = dir + QStringLiteral("/cert.pem");
    *keyPath = dir + QStringLiteral("/key.pem");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-days"), QStringLiteral("1"),
                   QStringLiteral("-keyout"), *keyPath, QStringLiteral("-out"), *certPath});
    if (!openssl.waitForFinished(60000))
        return false;
    return openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

QVariant evalJs(QWebEnginePage *page, const QString &script, int timeoutMs)
{
    // Shared, because the page may answer after we have given up waiting.
    struct Answer
    {
        bool done = false;
        QVariant value;
    };
    auto answer = std::make_shared<Answer>();
    page->runJavaScript(script, [answer](const QVariant &value) {
        answer->value = value;
        answer->done = true;
    });
    QDeadlineTimer deadline(timeoutMs);
    while (!answer->done && !deadline.hasExpired())
        QTest::qWait(10);
    return answer->done ? answer->value : QVariant();
}

QByteArray tinyPng()
{
    return pngOf(QSize(4, 4), Qt::red);
}

QByteArray pngOf(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
