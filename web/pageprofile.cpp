// SPDX-License-Identifier: Apache-2.0
#include "web/pageprofile.h"

#include "wire/vocabulary.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWebEngineProfile>

// The engine creates a few empty folders even for a profile that writes
// nothing; they go into a folder of our own in the temporary folder,
// readable by this user only and removed with everything in it when the
// process ends (after main() returns, once the engine has shut down).
static QTemporaryDir &scratch()
{
    static QTemporaryDir dir(QDir::temp().filePath(wire::scratch::kScratchPrefix + QStringLiteral("XXXXXX")));
    return dir;
}

QWebEngineProfile *PageProfile::instance()
{
    static QWebEngineProfile *profile = [] {
        // A profile without a storage name is off the record.
        auto *p = new QWebEngineProfile(QCoreApplication::instance());
        if (scratch().isValid()) {
            p->setPersistentStoragePath(scratch().filePath(QStringLiteral("storage")));
            p->setCachePath(scratch().filePath(QStringLiteral("cache")));
        }
        p->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        return p;
    }();
    return profile;
}

QString PageProfile::scratchPath()
{
    return scratch().isValid() ? scratch().path() : QString();
}
