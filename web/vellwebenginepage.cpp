#include "web/vellwebenginepage.h"

#include <QWebEngineCertificateError>

VellWebEnginePage::VellWebEnginePage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
}

VellWebEnginePage::VellWebEnginePage(QObject *parent)
    : QWebEnginePage(parent)
{
}

bool VellWebEnginePage::certificateError(const QWebEngineCertificateError &error)
{
    if (!strict)
        return true;
    emit certificateRefused(QStringLiteral("refused %1: %2")
                                .arg(error.url().toDisplayString(QUrl::RemoveUserInfo), error.errorDescription()));
    return false;
}
