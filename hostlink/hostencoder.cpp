// SPDX-License-Identifier: Apache-2.0
#include "hostlink/hostencoder.h"

#include "wire/vocabulary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace webfile = wire::webfile;
namespace feedback = wire::feedback;
namespace field = wire::field;

namespace {

// Compact, members in name order: the form the host library writes too.
QByteArray webfileJson(QLatin1String subcommand, const QJsonObject &object)
{
    const QString json = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    return HostEncoder::encodeMessage(wire::kWebfile, subcommand, json);
}

QByteArray feedbackMessage(QLatin1String subcommand, const QString &payload = QString())
{
    return HostEncoder::encodeMessage(wire::kFeedback, subcommand, payload);
}

}

QByteArray HostEncoder::encodeMessage(const QString &category, const QString &subcommand, const QString &payload)
{
    const QString text = category + QLatin1Char(':') + subcommand + QLatin1Char(':')
        + QString::fromLatin1(payload.toUtf8().toBase64()) + wire::kSeparator;
    return text.toLocal8Bit();
}

QByteArray HostEncoder::askPermission(const QString &key, const QString &origin, const QString &feature)
{
    const QJsonObject object{{field::kFeature, feature}, {field::kKey, key}, {field::kOrigin, origin}};
    return encodeMessage(wire::kIQ, wire::iq::kPermission,
                         QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

QByteArray HostEncoder::getWebfileList(const QString &key)
{
    return encodeMessage(wire::kWebfile, webfile::kGetFileList, key);
}

QByteArray HostEncoder::getWebfileDownloadOffset(const QString &key, const QStringList &fileList)
{
    return webfileJson(webfile::kGetDownloadOffset,
                       {{field::kKey, key}, {field::kFileList, QJsonArray::fromStringList(fileList)}});
}

QByteArray HostEncoder::downloadFile(const QString &key, const QString &url, const QString &name)
{
    return webfileJson(webfile::kStartDownload, {{field::kKey, key}, {field::kUrl, url}, {field::kName, name}});
}

QByteArray HostEncoder::redownloadFile(const QString &key, const QString &fileKey)
{
    return webfileJson(webfile::kRestartDownload, {{field::kKey, key}, {field::kFileKey, fileKey}});
}

QByteArray HostEncoder::removeDownloadFile(const QString &key, const QString &fileKey)
{
    return webfileJson(webfile::kRemoveHistory, {{field::kKey, key}, {field::kFileKey, fileKey}});
}

QByteArray HostEncoder::removeAllDownloadFile(const QString &key)
{
    return webfileJson(webfile::kRemoveAllHistory, {{field::kKey, key}});
}

QByteArray HostEncoder::openFileFoler(const QString &fileKey)
{
    return encodeMessage(wire::kWebfile, webfile::kOpenFileFolder, fileKey);
}

QByteArray HostEncoder::savePosition(const QString &position) { return feedbackMessage(feedback::kSavePosition, position); }
QByteArray HostEncoder::receiveLog(const QString &msg) { return feedbackMessage(feedback::kReceiveLog, msg); }
QByteArray HostEncoder::openOutside(const QString &page) { return feedbackMessage(feedback::kOpenOutside, page); }
QByteArray HostEncoder::showChannel(const QString &page) { return feedbackMessage(feedback::kChannel, page); }
QByteArray HostEncoder::shareArtile(const QString &page) { return feedbackMessage(feedback::kShare, page); }
QByteArray HostEncoder::storeToVell(const QString &page) { return feedbackMessage(feedback::kStoreToVell, page); }
QByteArray HostEncoder::refresh(const QString &page) { return feedbackMessage(feedback::kRefresh, page); }

QByteArray HostEncoder::navigated(const QString &url, const QString &title)
{
    const QJsonObject object{{field::kTitle, title}, {field::kUrl, url}};
    return feedbackMessage(feedback::kNavigated, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

QByteArray HostEncoder::loadFinished(const QString &url, bool ok)
{
    const QJsonObject object{{field::kOk, ok}, {field::kUrl, url}};
    return feedbackMessage(feedback::kLoadFinished, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}
