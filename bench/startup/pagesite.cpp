// SPDX-License-Identifier: Apache-2.0
#include "bench/startup/pagesite.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <httplib.h>

#include <cstdlib>

QByteArray pngPicture(int width, int height, QColor from, QColor to)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 40; ++i)
        painter.fillRect((i * 37) % width, (i * 53) % height, 12, 8, QColor::fromHsv((i * 29) % 360, 160, 220));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

PageSite::PageSite()
    : server(std::make_unique<httplib::Server>())
{
}

PageSite::~PageSite()
{
    server->stop();
    if (thread.joinable())
        thread.join();
}

void PageSite::note(std::map<int, Clock::time_point> &times, const httplib::Request &request)
{
    const Clock::time_point now = Clock::now();
    const int run = std::atoi(request.get_param_value("run").c_str());
    std::lock_guard<std::mutex> lock(mutex);
    times.emplace(run, now);
}

bool PageSite::find(const std::map<int, Clock::time_point> &times, int run, Clock::time_point *at)
{
    const auto it = times.find(run);
    if (it == times.end())
        return false;
    *at = it->second;
    return true;
}

void PageSite::add(const std::string &path, const std::string &type, const std::string &body)
{
    const bool isPage = path == "/page.html";
    server->Get(path, [this, isPage, type, body](const httplib::Request &request, httplib::Response &response) {
        if (isPage)
            note(pageRequests, request);
        // Every run fetches everything from the network, as a first start does.
        response.set_header("Cache-Control", "no-store");
        response.set_content(body, type.c_str());
    });
}

bool PageSite::start()
{
    add("/page.html", "text/html",
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Channel news</title>"
        "<link rel=\"stylesheet\" href=\"/base.css\"><link rel=\"stylesheet\" href=\"/theme.css\">"
        "<script src=\"/app.js\"></script></head><body>"
        "<header><h1>Channel news</h1><p id=\"when\">today</p></header>"
        "<main><article><h2>Start-up</h2><p>Two pictures, two style sheets and a script.</p>"
        "<img src=\"/first.png\" width=\"240\" height=\"160\" alt=\"first\">"
        "<img src=\"/second.png\" width=\"240\" height=\"160\" alt=\"second\"></article>"
        "<ul id=\"items\"></ul></main>"
        "<script>window.addEventListener('load', function () {"
        " fetch('/onload' + location.search, {cache: 'no-store'}); });</script>"
        "</body></html>");
    add("/base.css", "text/css",
        "body { margin: 0; font-family: sans-serif; color: #222; background: #fafafa; }\n"
        "header { padding: 12px 16px; background: #2a6ebe; color: white; }\n"
        "main { padding: 8px 16px; } img { display: block; margin: 8px 0; border-radius: 4px; }\n"
        "ul { list-style: none; padding: 0; } li { padding: 4px 0; border-bottom: 1px solid #ddd; }\n");
    add("/theme.css", "text/css",
        "h1 { font-size: 20px; margin: 0; } h2 { font-size: 16px; }\n"
        "#when { opacity: 0.8; margin: 4px 0 0; } li:nth-child(odd) { background: #f0f4fa; }\n");
    add("/app.js", "application/javascript",
        "document.addEventListener('DOMContentLoaded', function () {\n"
        "  var list = document.getElementById('items');\n"
        "  for (var i = 1; i <= 30; ++i) {\n"
        "    var item = document.createElement('li');\n"
        "    item.textContent = 'Message number ' + i;\n"
        "    list.appendChild(item);\n"
        "  }\n"
        "  document.getElementById('when').textContent = new Date().toDateString();\n"
        "});\n");
    add("/first.png", "image/png", pngPicture(240, 160, QColor(42, 110, 190), QColor(240, 200, 80)).toStdString());
    add("/second.png", "image/png", pngPicture(240, 160, QColor(200, 60, 90), QColor(60, 180, 140)).toStdString());
    server->Get("/onload", [this](const httplib::Request &request, httplib::Response &response) {
        note(callbacks, request);
        response.set_header("Cache-Control", "no-store");
        response.status = 204;
    });
    port = server->bind_to_any_port("127.0.0.1");
    if (port <= 0)
        return false;
    httplib::Server *running = server.get();
    thread = std::thread([running] { running->listen_after_bind(); });
    return true;
}

QString PageSite::pageUrl(int run) const
{
    return QStringLiteral("http://127.0.0.1:%1/page.html?run=%2").arg(port).arg(run);
}

bool PageSite::calledBack(int run, Clock::time_point *at) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return find(callbacks, run, at);
}

bool PageSite::pageRequested(int run, Clock::time_point *at) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return find(pageRequests, run, at);
}
