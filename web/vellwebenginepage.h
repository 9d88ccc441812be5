#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// The page the window shows. Pages of the host's own services often sit behind
// internal or self-signed certificates, and the window has no place to ask the
// user about them, so every certificate error is overridden - unless the host
// asked for strict certificates, and then the engine's error page shows.
class VellWebEnginePage : public QWebEnginePage
{
    Q_OBJECT
public:
    VellWebEnginePage(QWebEngineProfile *profile, QObject *parent);
    explicit VellWebEnginePage(QObject *parent);
    void setStrictCertificates(bool on) { strict = on; }
signals:
    // A load stopped at a certificate error; one line for the host's log.
    void certificateRefused(QString line);
protected:
    bool certificateError(const QWebEngineCertificateError &error) override;
private:
    void refuseWindows();
    bool strict = false;
};
