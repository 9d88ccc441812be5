// SPDX-License-Identifier: Apache-2.0
#include "tests/support/browserprocess.h"

#include "hostlink/endpoint.h"

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

void BrowserProcess::start(const QStringList &arguments)
{
    proc.start(executable(), arguments);
}
