#include "web/vellwebengineurlrequestinterceptor.h"

#include <QReadLocker>
#include <QWriteLocker>

VellWebEngineUrlRequestInterceptor::VellWebEngineUrlRequestInterceptor(QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
{
}

void VellWebEngineUrlRequestInterceptor::setAccessToken(const QString &token)
{
    QWriteLocker locker(&tokenLock);
    accessToken = token;
}

void VellWebEngineUrlRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    QString token;
    {
        QReadLocker locker(&tokenLock);
        token = accessToken;   // implicitly shared: a reference bump, no allocation
    }
    if (token.isEmpty())
        return;
    info.setHttpHeader(QByteArrayLiteral("X-Access-Token"), token.toUtf8());
}
