// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "host/demofiles.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class Server;
}

// The demo site reference-host shows first: one page and its downloads,
// served on 127.0.0.1 from a thread of its own so that a slow download never
// holds up the host link.
//
//   /                    the page, built from the request's own headers
//   /files/<name>        the demo files
//   /files/large-sample.bin   8 MB sent at a walking pace (watch the progress)
//   /files/broken-transfer.zip  announces 2 MB and hangs up after 512 KB
//   /beacon?event=...    the page reports back (loaded, current user)
class DemoSite : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kLargeSize = 8 * 1024 * 1024;
    static constexpr qint64 kBrokenAnnounced = 2 * 1024 * 1024;
    static constexpr qint64 kBrokenSent = 512 * 1024;

    explicit DemoSite(QObject *parent = nullptr);
    ~DemoSite() override;

    bool start();
    // A second server, on a port of its own, whose certificate nobody signed:
    // the page the "strictCertificates" key refuses. False without openssl.
    bool startSelfSigned();
    void stop();
    QUrl selfSignedUrl() const;
    int port() const { return boundPort; }
    QUrl url() const;
    // Bytes per second of the large file; tests take it faster.
    void setLargeRate(qint64 bytesPerSecond) { largeRate = bytesPerSecond; }
    // The "X-Access-Token" of the last page request, as received.
    QString lastAccessToken() const;
    QList<DemoFile> files() const { return demo; }

signals:
    // Delivered on the thread the site lives in.
    void beacon(const QString &event, const QString &detail);

private:
    void route();

    QList<DemoFile> demo;
    std::unique_ptr<httplib::Server> server;
    std::thread worker;
    std::unique_ptr<httplib::Server> selfSigned;
    std::thread selfSignedWorker;
    int selfSignedPort = 0;
    std::atomic<bool> stopping {false};
    std::atomic<qint64> largeRate {1024 * 1024};
    int boundPort = 0;
    mutable std::mutex tokenLock;
    QString token;
};
