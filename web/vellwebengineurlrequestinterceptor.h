#pragma once

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
    // The token is written on the GUI thread, but the engine may ask for it on
    // its network thread; the lock is only ever held for a string copy.
    mutable QReadWriteLock tokenLock;
    QString accessToken;
};
