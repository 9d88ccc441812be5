// SPDX-License-Identifier: Apache-2.0
#include "host/demosite.h"

#include "host/demopage.h"

#include <QFile>
#include <QMetaObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <iterator>
#include <httplib.h>

DemoSite::DemoSite(QObject *parent)
    : QObject(parent)
    , demo(demofiles::all())
    , server(std::make_unique<httplib::Server>())
{
}

DemoSite::~DemoSite()
{
    stop();
}

QUrl DemoSite::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(boundPort));
}

QString DemoSite::lastAccessToken() const
{
    std::lock_guard<std::mutex> guard(tokenLock);
    return token;
}

static void sendAttachment(httplib::Response &res, const QString &name)
{
    res.set_header("Content-Disposition", ("attachment; filename=\"" + name.toStdString() + "\"").c_str());
    res.set_header("Cache-Control", "no-store");
}

void DemoSite::route()
{
    server->Get("/", [this](const httplib::Request &req, httplib::Response &res) {
        QList<QPair<QByteArray, QByteArray>> headers;
        for (const auto &header : req.headers) {
            // The server files the connection's addresses among the headers;
            // the page is about what the browser sent.
            static const char *const pseudo[] = {"LOCAL_ADDR", "LOCAL_PORT", "REMOTE_ADDR", "REMOTE_PORT"};
            if (std::any_of(std::begin(pseudo), std::end(pseudo), [&](const char *p) { return header.first == p; }))
                continue;
            headers.append({QByteArray::fromStdString(header.first), QByteArray::fromStdString(header.second)});
        }
        {
            std::lock_guard<std::mutex> guard(tokenLock);
            token = QString::fromStdString(req.get_header_value("X-Access-Token"));
        }
        QList<demopage::Download> downloads;
        for (const DemoFile &file : demo)
            downloads.append({file.name, file.description, file.bytes.size()});
        downloads.append({QStringLiteral("large-sample.bin"), QStringLiteral("Slow on purpose: watch the progress"), kLargeSize});
        downloads.append({QStringLiteral("broken-transfer.zip"), QStringLiteral("Stops half-way: ends as failed"), kBrokenAnnounced});
        // The same server under its other name, and the self-signed page:
        // where the hardening keys make a difference.
        QList<demopage::Link> elsewhere;
        elsewhere.append({QStringLiteral("http://localhost:%1/").arg(boundPort),
                          QStringLiteral("This page as localhost: with --harden, no token in the headers and no answer from the bridge")});
        if (selfSignedPort > 0)
            elsewhere.append({selfSignedUrl().toString(),
                              QStringLiteral("A page with a self-signed certificate: with --harden, the engine's error page")});
        const QByteArray page = demopage::html(headers, downloads, elsewhere);
        res.set_header("Cache-Control", "no-store");
        res.set_content(page.constData(), size_t(page.size()), "text/html; charset=utf-8");
    });

    server->Get(R"(/files/([^/]+))", [this](const httplib::Request &req, httplib::Response &res) {
        const QString name = QString::fromStdString(req.matches[1]);
        if (name == QLatin1String("large-sample.bin")) {
            sendAttachment(res, name);
            res.set_content_provider(size_t(kLargeSize), "application/octet-stream",
                                     [this](size_t offset, size_t length, httplib::DataSink &sink) {
                if (stopping)
                    return false;
                // Bytes that depend on their offset: a file put together wrongly shows.
                const size_t chunk = std::min<size_t>(length, 64 * 1024);
                std::string data(chunk, '\0');
                for (size_t i = 0; i < chunk; ++i)
                    data[i] = char(((offset + i) * 31 + ((offset + i) >> 12)) & 0xFF);
                std::this_thread::sleep_for(std::chrono::microseconds(chunk * 1000000 / size_t(std::max<qint64>(largeRate, 1))));
                return sink.write(data.data(), data.size());
            });
            return;
        }
        if (name == QLatin1String("broken-transfer.zip")) {
            sendAttachment(res, name);
            res.set_content_provider(size_t(kBrokenAnnounced), "application/zip",
                                     [this](size_t offset, size_t length, httplib::DataSink &sink) {
                // Returning false hangs up with most of the promised bytes unsent.
                if (stopping || offset >= size_t(kBrokenSent))
                    return false;
                const size_t chunk = std::min<size_t>({length, 64 * 1024, size_t(kBrokenSent) - offset});
                std::string data(chunk, 'x');
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                return sink.write(data.data(), data.size());
            });
            return;
        }
        for (const DemoFile &file : demo) {
            if (file.name == name) {
                sendAttachment(res, name);
                res.set_content(file.bytes.constData(), size_t(file.bytes.size()), file.mimeType.constData());
                return;
            }
        }
        res.status = 404;
        res.set_content("no such file\n", "text/plain");
    });

    server->Get("/beacon", [this](const httplib::Request &req, httplib::Response &res) {
        const QString event = QString::fromStdString(req.get_param_value("event"));
        const QString detail = QString::fromStdString(req.get_param_value("detail"));
        QMetaObject::invokeMethod(this, [this, event, detail] { emit beacon(event, detail); }, Qt::QueuedConnection);
        res.status = 204;
    });
}

bool DemoSite::start()
{
    if (worker.joinable())
        return true;
    route();
    // Short keep-alive, so stop() does not wait on an idle connection.
    server->set_keep_alive_timeout(1);
    boundPort = server->bind_to_any_port("127.0.0.1");
    if (boundPort <= 0)
        return false;
    worker = std::thread([this] { server->listen_after_bind(); });
    // stop() only reaches a server that has begun to run; one stopped before
    // that would keep its thread in accept() for ever.
    for (int i = 0; i < 2000 && !server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return server->is_running();
}

QUrl DemoSite::selfSignedUrl() const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1/").arg(selfSignedPort));
}

bool DemoSite::startSelfSigned()
{
    if (selfSignedWorker.joinable())
        return true;
    // A key and certificate made for this run only; the files go once read.
    QTemporaryDir dir;
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                                              QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                                              QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-days"), QStringLiteral("1"),
                                              QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert});
    if (!dir.isValid() || !openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0)
        return false;
    auto ssl = std::make_unique<httplib::SSLServer>(QFile::encodeName(cert).constData(), QFile::encodeName(key).constData());
    if (!ssl->is_valid())
        return false;
    ssl->Get("/", [](const httplib::Request &, httplib::Response &res) {
        res.set_header("Cache-Control", "no-store");
        res.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Self-signed</title></head>"
                        "<body style=\"font: 16px sans-serif; margin: 40px\"><h1>A self-signed page</h1>"
                        "<p>Nobody vouches for this page's certificate. The browser shows it only because the host "
                        "did not ask for strict certificates; <code>reference-host --harden</code> does.</p></body></html>",
                        "text/html; charset=utf-8");
    });
    selfSignedPort = ssl->bind_to_any_port("127.0.0.1");
    if (selfSignedPort <= 0)
        return false;
    selfSigned = std::move(ssl);
    selfSignedWorker = std::thread([this] { selfSigned->listen_after_bind(); });
    for (int i = 0; i < 2000 && !selfSigned->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return selfSigned->is_running();
}

void DemoSite::stop()
{
    stopping = true;
    if (selfSignedWorker.joinable()) {
        selfSigned->stop();
        selfSignedWorker.join();
    }
    if (worker.joinable()) {
        server->stop();
        worker.join();
    }
}
