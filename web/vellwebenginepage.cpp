#include "web/vellwebenginepage.h"

VellWebEnginePage::VellWebEnginePage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
}

VellWebEnginePage::VellWebEnginePage(QObject *parent)
    : QWebEnginePage(parent)
{
}

bool VellWebEnginePage::certificateError(const QWebEngineCertificateError &)
{
    return !strict;
}
