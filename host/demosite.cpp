#include "host/demosite.h"

#include "host/demopage.h"

#include <QMetaObject>
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
        const QByteArray page = demopage::html(headers, downloads);
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

void DemoSite::stop()
{
    stopping = true;
    if (worker.joinable()) {
        server->stop();
        worker.join();
    }
}
