// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Request;
}

// The start-up page and its five subresources (two style sheets, two
// pictures, a script) on 127.0.0.1, served from a thread of its own so that
// serving never waits for the driver's event loop. The page's onload handler
// requests "/onload?run=N"; the moment that arrives is kept per run.
class PageSite
{
public:
    using Clock = std::chrono::steady_clock;

    PageSite();
    ~PageSite();
    bool start();
    QString pageUrl(int run) const;
    bool calledBack(int run, Clock::time_point *at) const;
    // When the page itself was asked for: the engine is up and navigating.
    bool pageRequested(int run, Clock::time_point *at) const;

private:
    void add(const std::string &path, const std::string &type, const std::string &body);
    static bool find(const std::map<int, Clock::time_point> &times, int run, Clock::time_point *at);
    void note(std::map<int, Clock::time_point> &times, const httplib::Request &request);

    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = 0;
    mutable std::mutex mutex;   // the server thread writes, the driver reads
    std::map<int, Clock::time_point> callbacks;
    std::map<int, Clock::time_point> pageRequests;
};

// A PNG with a gradient and some coloured blocks, so that decoding it is work.
QByteArray pngPicture(int width, int height, QColor from, QColor to);
