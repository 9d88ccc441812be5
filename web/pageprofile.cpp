// SPDX-License-Identifier: Apache-2.0
#include "web/pageprofile.h"

#include "web/permissioncompat.h"
#include "web/scratchfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QWebEngineProfile>

// The engine creates a few empty folders even for a profile that writes
// nothing; they go into a folder of our own in the temporary folder,
// readable by this user only and removed with everything in it when the
// process ends (after main() returns, once the engine has shut down).
// What a run that was killed left there goes first, before anything of a
// page is written: a page's download lies in it.
static QString tempAfterLeftovers()
{
    ScratchFolder::removeLeftovers(QDir::tempPath());
    return QDir::tempPath();
}

static ScratchFolder &scratch()
{
    static ScratchFolder dir(tempAfterLeftovers());
    return dir;
}

// The engine's certificate store opens a database in ~/.pki/nssdb the first
// time a page is fetched over TLS, creating it if there is none; it cannot
// be pointed elsewhere. For a user who had no such folder when the browser
// started, the files it made are removed again at exit (after the engine
// has shut down, like the private folder). A folder the user already had is
// never touched, nor anything in it that the engine did not create.
class CertificateStoreLeftovers
{
public:
    CertificateStoreLeftovers()
    {
        const QByteArray home = qgetenv("HOME");
        pki = (home.isEmpty() ? QDir::homePath() : QFile::decodeName(home)) + QStringLiteral("/.pki");
        hadOne = QFileInfo::exists(pki);
    }
    ~CertificateStoreLeftovers()
    {
        if (hadOne)
            return;
        QDir nssdb(pki + QStringLiteral("/nssdb"));
        nssdb.remove(QStringLiteral("pkcs11.txt"));
        // A database still being written to as the process ends leaves its
        // journal beside it (seen on a busy machine).
        for (const char *file : {"cert9.db", "key4.db"}) {
            for (const char *suffix : {"", "-journal", "-wal", "-shm"})
                nssdb.remove(QLatin1String(file) + QLatin1String(suffix));
        }
        // Each only if now empty: whatever else came in stays.
        QDir().rmdir(nssdb.path());
        QDir().rmdir(pki);
    }
private:
    QString pki;
    bool hadOne = true;
};

QWebEngineProfile *PageProfile::instance()
{
    // Made before the profile, so that it is destroyed after the engine.
    static CertificateStoreLeftovers leftovers;
    static QWebEngineProfile *profile = [] {
        // A profile without a storage name is off the record.
        auto *p = new QWebEngineProfile(QCoreApplication::instance());
        const QString folder = scratch().path();
        if (!folder.isEmpty()) {
            p->setPersistentStoragePath(QDir(folder).filePath(QStringLiteral("storage")));
            p->setCachePath(QDir(folder).filePath(QStringLiteral("cache")));
            // The toolkit's own dialogs keep settings in the user's
            // configuration folder (the file chooser its last folder); here
            // they last as long as the run.
            for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
                QSettings::setPath(format, QSettings::UserScope, QDir(folder).filePath(QStringLiteral("settings")));
        }
        p->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        PermissionCompat::askEveryTime(p);
        return p;
    }();
    return profile;
}

QString PageProfile::scratchPath()
{
    return scratch().path();
}
