// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlib/browserlink.h"

#include <QMetaMethod>
#include <QRect>
#include <QSignalSpy>
#include <QStringList>
#include <QUrl>
#include <memory>
#include <vector>

// Every typed signal a BrowserLink emitted, written as "name(arg, arg)", so a
// table row can say in one literal what the host heard. The framing signals
// (outgoing, messageReceived, messageIgnored) are left to the tests.
class LinkRecorder
{
public:
    explicit LinkRecorder(ChannelWebBrowser::BrowserLink *link)
    {
        const QMetaObject &meta = ChannelWebBrowser::BrowserLink::staticMetaObject;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            if (method.methodType() != QMetaMethod::Signal || framing().contains(method.name()))
                continue;
            spies.emplace_back(new QSignalSpy(link, method));
            names << QString::fromLatin1(method.name());
        }
    }

    QStringList heard() const
    {
        QStringList out;
        for (size_t i = 0; i < spies.size(); ++i) {
            for (const QList<QVariant> &call : *spies[i]) {
                QStringList args;
                for (const QVariant &arg : call)
                    args << text(arg);
                out << names.at(int(i)) + QLatin1Char('(') + args.join(QStringLiteral(", ")) + QLatin1Char(')');
            }
        }
        return out;
    }

private:
    static QList<QByteArray> framing() { return {"outgoing", "messageReceived", "messageIgnored"}; }

    static QString text(const QVariant &value)
    {
        switch (value.userType()) {
        case QMetaType::QRect: {
            const QRect r = value.toRect();
            return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
        case QMetaType::QStringList:
            return value.toStringList().join(QLatin1Char('|'));
        case QMetaType::QUrl:
            return value.toUrl().toString();
        default:
            return value.toString();
        }
    }

    std::vector<std::unique_ptr<QSignalSpy>> spies;
    QStringList names;
};
