// SPDX-License-Identifier: Apache-2.0
#include "downloads/ilink.h"

ILink::ILink(const QString &key, QObject *parent)
    : QObject(parent)
    , m_key(key)
{
}

void ILink::report(Qt::MouseButton button, const Callback &callback, const QString &action) const
{
    if (button == Qt::LeftButton && callback)
        callback(action, m_key);
}

RedownloadLink::RedownloadLink(const QString &key, QObject *parent)
    : ILink(key, parent)
{
}

void RedownloadLink::onClick(Qt::MouseButton button, Callback callback)
{
    report(button, callback, action());
}

QString RedownloadLink::action() const
{
    return LinkAction::redownload;
}

RemoveLink::RemoveLink(const QString &key, QObject *parent)
    : ILink(key, parent)
{
}

void RemoveLink::onClick(Qt::MouseButton button, Callback callback)
{
    report(button, callback, action());
}

QString RemoveLink::action() const
{
    return LinkAction::remove;
}

OpenInFolderLink::OpenInFolderLink(const QString &key, QObject *parent)
    : ILink(key, parent)
{
}

void OpenInFolderLink::onClick(Qt::MouseButton button, Callback callback)
{
    report(button, callback, action());
}

QString OpenInFolderLink::action() const
{
    return LinkAction::openFolder;
}
