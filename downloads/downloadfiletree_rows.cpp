// SPDX-License-Identifier: Apache-2.0
// The history's row actions and the host's answers to them: download a file
// again, remove one record, clean the whole list.
#include "downloads/downloadfiletree.h"

#include "config/logcategories.h"
#include "downloads/downloadfilemodel.h"
#include "downloads/hostanswers.h"
#include "downloads/modelitemfile.h"

using namespace HostAnswers;

void DownloadFileTree::onRedownloadFile(const QString &fileKey)
{
    emit redownloadFile(newRequestKey(), fileKey);
}

void DownloadFileTree::onRestartDownloadResponse(const QByteArray &json)
{
    const QString fileKey = answeredFileKey(json);
    ModelItemFile *file = fileKey.isEmpty() ? nullptr : filesByKey.value(fileKey);
    if (!file)
        return;
    file->setStatus(ModelItemFile::StatusDownloading);
    treeView.rowChanged(file);
    startPolling();
}

QString DownloadFileTree::fileName(const QString &fileKey) const
{
    const ModelItemFile *file = filesByKey.value(fileKey);
    return file ? file->name() : QString();
}

void DownloadFileTree::onRemoveDownloadFile(const QString &fileKey)
{
    emit removeDownloadFile(newRequestKey(), fileKey);
}

void DownloadFileTree::onRemoveHistoryResponse(const QByteArray &json)
{
    const QString fileKey = answeredFileKey(json);
    if (!fileKey.isEmpty())
        removeFileByKey(fileKey);
}

void DownloadFileTree::removeFileByKey(const QString &fileKey)
{
    if (fileKey.isEmpty() || !model)
        return;
    // The map entry goes first: removal deletes the node later, and nothing
    // may still point at it by then.
    ModelItemFile *file = filesByKey.take(fileKey);
    if (!file)
        return;
    const QModelIndex fileIndex = model->index(file);
    if (!fileIndex.isValid())
        return;
    const QModelIndex dayIndex = fileIndex.parent();
    if (!model->removeRows(fileIndex.row(), 1, dayIndex))
        return;
    if (model->rowCount(dayIndex) > 0)
        return;
    if (!model->removeRows(dayIndex.row(), 1, QModelIndex()))
        return;
    if (model->rowCount() == 0)
        showEmpty();
}

void DownloadFileTree::onClearAll()
{
    const QString key = newRequestKey();
    qCDebug(lcDownloads) << "onClearAll:" << key;
    emit removeAllDownloadFile(key);
}

void DownloadFileTree::onRemoveAllHistoryResponse(const QByteArray &json)
{
    if (json.isEmpty())
        return;
    if (parseObject(json).contains(keyName))
        removeAllFile();
}

void DownloadFileTree::removeAllFile()
{
    if (model && model->rowCount() > 0)
        model->removeRows(0, model->rowCount(), QModelIndex());
    filesByKey.clear();
    if (!model || model->rowCount() == 0)
        showEmpty();
}
