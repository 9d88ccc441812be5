// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <QReadWriteLock>
#include <QString>
#include <QStringList>
#include <QWebEngineUrlRequestInterceptor>

// Stamps the requests of the page profile with the host's access token so
// the host's services recognise the signed-in user: every request, or those
// to the hosts the host named, and of those only what the host, the user or
// a page of those hosts started. It never blocks or redirects anything.
class VellWebEngineUrlRequestInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit VellWebEngineUrlRequestInterceptor(QObject *parent);
    // An empty token turns the header off.
    void setAccessToken(const QString &token);
    // Host patterns (HostMatch) whose requests get the token; empty: all.
    void setAccessTokenHosts(const QStringList &hosts);
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
signals:
    void log(QString log);
private:
    static bool mayCarry(const QWebEngineUrlRequestInfo &info, const QStringList &hosts);
    // Written on the GUI thread, read wherever the engine runs its requests;
    // the lock is only ever held for a byte-array copy. Kept as the ready
    // header value, UTF-8, so a request does no encoding of its own.
    mutable QReadWriteLock tokenLock;
    QByteArray accessToken;
    QStringList tokenHosts;
};
