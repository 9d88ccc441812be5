// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The built browser copied into a folder of its own, so that every test run
// has its own endpoint name and parallel tests never meet on one socket.
// Another build of the browser's main() can be copied the same way.
class BrowserProcess
{
public:
    BrowserProcess();
    explicit BrowserProcess(const QString &built);
    ~BrowserProcess();

    bool isValid() const { return ok; }
    QString endpoint() const;
    // Where the browser looks first: its user's own endpoint when this
    // session's XDG_RUNTIME_DIR will do, else endpoint().
    QString firstEndpoint() const;
    QString executable() const;
    void start(const QStringList &arguments = QStringList());
    QProcess &process() { return proc; }
    // The page renderers of the running browser, to kill as a crash would.
    QList<int> renderers();

private:
    QTemporaryDir dir;
    QProcess proc;
    bool ok = false;
};
