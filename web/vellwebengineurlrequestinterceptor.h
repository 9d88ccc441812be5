#pragma once

#include <QByteArray>
#include <QReadWriteLock>
#include <QString>
#include <QWebEngineUrlRequestInterceptor>

// Stamps every request of the default profile with the host's access token so
// the host's services recognise the signed-in user. It never blocks or
// redirects anything.
class VellWebEngineUrlRequestInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit VellWebEngineUrlRequestInterceptor(QObject *parent);
    // An empty token turns the header off.
    void setAccessToken(const QString &token);
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
signals:
    void log(QString log);
private:
    // Written on the GUI thread, read wherever the engine runs its requests;
    // the lock is only ever held for a byte-array copy. Kept as the ready
    // header value, UTF-8, so a request does no encoding of its own.
    mutable QReadWriteLock tokenLock;
    QByteArray accessToken;
};
