// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"

#include "hostlink/endpoint.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

BrowserProcess::BrowserProcess()
    : BrowserProcess(QStringLiteral(WB_BROWSER_PATH))
{
}

BrowserProcess::BrowserProcess(const QString &built)
{
    ok = dir.isValid() && QFile::copy(built, executable());
    proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

BrowserProcess::~BrowserProcess()
{
    if (proc.state() != QProcess::NotRunning) {
        proc.kill();
        proc.waitForFinished(5000);
    }
}

QString BrowserProcess::executable() const
{
    return dir.filePath(QStringLiteral("channel-web-browser"));
}

QString BrowserProcess::endpoint() const
{
    // the same rule the browser applies to its own directory
    return endpointName(QFileInfo(executable()).absolutePath());
}

QString BrowserProcess::firstEndpoint() const
{
    return endpointNames(QFileInfo(executable()).absolutePath(), userRuntimeDir(qgetenv("XDG_RUNTIME_DIR"))).first();
}

void BrowserProcess::start(const QStringList &arguments)
{
    proc.start(executable(), arguments);
}

// The renderers of this browser: processes started with --type=renderer
// whose parents lead to the browser process.
QList<int> BrowserProcess::renderers()
{
    const qint64 root = proc.processId();
    auto parentOf = [](int pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray text = stat.readAll();
        return text.mid(text.lastIndexOf(')') + 2).split(' ').value(1).toInt();
    };
    auto commandOf = [](int pid) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        return cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll() : QByteArray();
    };
    // Renderers forked from the zygote keep its command line.
    QList<int> found;
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
        const int pid = entry.toInt();
        const QByteArray command = pid > 0 ? commandOf(pid) : QByteArray();
        const bool renderer = command.contains("--type=renderer")
            || (command.contains("--type=zygote") && commandOf(parentOf(pid)).contains("--type=zygote"));
        if (!renderer)
            continue;
        for (int p = parentOf(pid); p > 1; p = parentOf(p)) {
            if (p == root) {
                found << pid;
                break;
            }
        }
    }
    return found;
}
