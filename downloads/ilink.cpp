// SPDX-License-Identifier: Apache-2.0
#include "downloads/ilink.h"

ILink::ILink(const QString &key, const QString &action, QObject *parent)
    : QObject(parent)
    , m_key(key)
    , m_action(action)
{
}

void ILink::onClick(Qt::MouseButton button, const Callback &callback) const
{
    if (button == Qt::LeftButton && callback)
        callback(m_action, m_key);
}
