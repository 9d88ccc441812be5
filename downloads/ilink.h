// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QString>
#include <functional>

// What a link's click reports; the keyboard and assistive technology ask for
// a link by the same name.
namespace LinkAction {
inline const QLatin1String redownload("redownloadfile");
inline const QLatin1String remove("removedownloadfile");
inline const QLatin1String openFolder("openfilefolder");
}

// A clickable area of a file row, made by the delegate's hit test for one
// pointer event and deleted by whoever asked right after use. The links of a
// row differ only in the word their click reports.
class ILink : public QObject
{
    Q_OBJECT
public:
    using Callback = std::function<void(const QString &action, const QString &key)>;
    ILink(const QString &key, const QString &action, QObject *parent);

    // Only a left click with somebody listening does anything.
    void onClick(Qt::MouseButton button, const Callback &callback) const;
    // The name a click reports, which is also how the keyboard and assistive
    // technology ask for this link.
    QString action() const { return m_action; }
    QString key() const { return m_key; }

private:
    const QString m_key;
    const QString m_action;
};

// The row's links by what they do, so that a caller says which one it means.
class RedownloadLink : public ILink
{
public:
    RedownloadLink(const QString &key, QObject *parent) : ILink(key, LinkAction::redownload, parent) {}
};

class RemoveLink : public ILink
{
public:
    RemoveLink(const QString &key, QObject *parent) : ILink(key, LinkAction::remove, parent) {}
};

class OpenInFolderLink : public ILink
{
public:
    OpenInFolderLink(const QString &key, QObject *parent) : ILink(key, LinkAction::openFolder, parent) {}
};
