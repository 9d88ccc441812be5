// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QString>

// The browser's private folder in the temporary folder,
// <temp>/<wire::scratch::kScratchPrefix>XXXXXX, mode 0700, removed with
// everything in it when the process ends normally. A process that is killed
// cannot remove it, so each folder holds a lock file ("lock") that its
// process keeps locked (flock) for as long as it lives: the kernel lets go
// of the lock when the process dies, however it dies, and a folder whose
// lock nobody holds belongs to a run that is over.
class ScratchFolder
{
public:
    // Makes the folder in temp and takes its lock; path() is empty if either fails.
    explicit ScratchFolder(const QString &temp);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    QString path() const { return folder; }

    // Removes the folders in temp that runs which are over left behind: a
    // real folder (not a link) of this user whose name starts with the
    // prefix and whose lock file nobody holds. A folder of another user, of
    // a live process, or without a lock file (one being made this moment)
    // is never touched. Returns how many went.
    static int removeLeftovers(const QString &temp);

private:
    QString folder;
    int lockFd = -1;
};
