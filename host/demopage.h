// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

struct DemoFile;

// The demo site's one page. It shows the request headers it was fetched
// with (so the access token the browser adds can be seen), offers buttons
// that talk to the host through the page bridge, and lists download links.
namespace demopage {

struct Download
{
    QString name;
    QString description;
    qint64 size = 0;
};

struct Link
{
    QString url;
    QString text;
};

// elsewhere: links to where the hardening keys make a difference.
QByteArray html(const QList<QPair<QByteArray, QByteArray>> &requestHeaders, const QList<Download> &downloads,
                const QList<Link> &elsewhere = {});
QString escape(const QString &text);
// 1536 -> "1.5 KB"
QString sizeText(qint64 bytes);

}
