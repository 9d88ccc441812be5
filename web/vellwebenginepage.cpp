#include "web/vellwebenginepage.h"

#include <QWebEngineCertificateError>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

VellWebEnginePage::VellWebEnginePage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    refuseWindows();
}

// The engine hands a page its new window's object before it asks the view
// for a place to show it, so a popup the view refuses would still look
// opened to the page, which then waits for a login that never comes. A
// window.open() with window features (a popup) gets null at once instead;
// without features it opens in this view, as a link to a new tab does.
void VellWebEnginePage::refuseWindows()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("refuse-popups"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(
        "(function () { var open = window.open;"
        " window.open = function (url, name, features) {"
        "  return features ? null : open.apply(window, arguments); }; })();"));
    scripts().insert(script);
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
