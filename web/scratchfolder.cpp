// SPDX-License-Identifier: Apache-2.0
#include "web/scratchfolder.h"

#include "wire/vocabulary.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

static const char kLockName[] = "lock";

ScratchFolder::ScratchFolder(const QString &temp)
{
    QByteArray templ = QFile::encodeName(QDir(temp).filePath(wire::scratch::kScratchPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(templ.data()))
        return;
    const QString made = QFile::decodeName(templ);
    // Locked under a name nobody looks for and only then given its own: a
    // process cleaning up at the same moment never finds the lock file free
    // in a folder that is just being made.
    QByteArray pending = templ + "/.lock-XXXXXX";
    const int fd = ::mkostemp(pending.data(), O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0
        || ::rename(pending.constData(), (templ + '/' + kLockName).constData()) != 0) {
        if (fd >= 0)
            ::close(fd);
        QDir(made).removeRecursively();
        return;
    }
    lockFd = fd;
    folder = made;
}

ScratchFolder::~ScratchFolder()
{
    // Removed while still locked, so nobody else starts on it meanwhile.
    if (!folder.isEmpty())
        QDir(folder).removeRecursively();
    if (lockFd >= 0)
        ::close(lockFd);
}

// Whether the folder at path is this user's own and its lock is free; the
// lock is then held on fd until the caller closes it.
static bool leftBehind(const QByteArray &path, int *fd)
{
    const int dir = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0)
        return false;
    struct stat folder = {};
    bool over = false;
    if (::fstat(dir, &folder) == 0 && S_ISDIR(folder.st_mode) && folder.st_uid == ::getuid()) {
        const int lock = ::openat(dir, kLockName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        struct stat file = {};
        if (lock >= 0 && ::fstat(lock, &file) == 0 && S_ISREG(file.st_mode) && ::flock(lock, LOCK_EX | LOCK_NB) == 0) {
            *fd = lock;
            over = true;
        } else if (lock >= 0) {
            ::close(lock);
        }
    }
    ::close(dir);
    return over;
}

int ScratchFolder::removeLeftovers(const QString &temp)
{
    const QDir dir(temp);
    int removed = 0;
    const QStringList names = dir.entryList({wire::scratch::kScratchPrefix + QStringLiteral("*")},
                                            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        int lock = -1;
        if (!leftBehind(QFile::encodeName(path), &lock))
            continue;
        if (QDir(path).removeRecursively())
            ++removed;
        ::close(lock);
    }
    return removed;
}
