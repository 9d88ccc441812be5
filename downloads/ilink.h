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
// pointer event and deleted by whoever asked right after use.
class ILink : public QObject
{
    Q_OBJECT
public:
    using Callback = std::function<void(const QString &action, const QString &key)>;
    ILink(const QString &key, QObject *parent);

    virtual void onClick(Qt::MouseButton button, Callback callback) = 0;
    // The name a click reports, which is also how the keyboard and assistive
    // technology ask for this link.
    virtual QString action() const = 0;
    QString key() const { return m_key; }

protected:
    // Only a left click with somebody listening does anything.
    void report(Qt::MouseButton button, const Callback &callback, const QString &action) const;

private:
    const QString m_key;
};

class RedownloadLink : public ILink
{
    Q_OBJECT
public:
    RedownloadLink(const QString &key, QObject *parent);
    void onClick(Qt::MouseButton button, Callback callback) override;
    QString action() const override;
};

class RemoveLink : public ILink
{
    Q_OBJECT
public:
    RemoveLink(const QString &key, QObject *parent);
    void onClick(Qt::MouseButton button, Callback callback) override;
    QString action() const override;
};

class OpenInFolderLink : public ILink
{
    Q_OBJECT
public:
    OpenInFolderLink(const QString &key, QObject *parent);
    void onClick(Qt::MouseButton button, Callback callback) override;
    QString action() const override;
};
