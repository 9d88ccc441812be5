// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "downloads/treeview.h"

#include <QByteArray>
#include <QJsonArray>
#include <QLabel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class QAbstractItemModel;
class QStyledItemDelegate;
class DownloadFileDelegate;
class DownloadFileModel;
class DownloadFileTreeFoot;
class ModelItemFile;
class ModelItemRoot;

// The download history panel, and the controller that keeps it in step with
// the host, which owns the downloads: it asks for the list, polls running
// downloads once a second and asks to restart, forget or open one. Requests
// leave as signals and answers come back through the slots; an answer to a
// list or progress request counts only if it carries the outstanding key.
class DownloadFileTree : public QWidget
{
    Q_OBJECT
public:
    explicit DownloadFileTree(QWidget *parent);
    ~DownloadFileTree() override;

    void setModel(QAbstractItemModel *model);
    void setDelegate(QStyledItemDelegate *delegate);
    void toRequestFileList();
    void populateJsonArray(const QJsonArray &array);
    void updateFileStatus(const QJsonArray &array);
    void addNewFile(ModelItemFile *file);
    void removeFileByKey(const QString &fileKey);
    void removeAllFile();
    void requestDownloadOffset();
    // The name of the file the history shows under fileKey; empty if none.
    QString fileName(const QString &fileKey) const;

    // Takes the texts from the configuration again and repaints the rows,
    // whose texts are read as they are painted.
    void applyConfig();

    // One tick of the progress poll, as the poll timer delivers it.
    void pollTick();
    bool isPolling() const { return pollTimerId != 0; }

signals:
    void requestFileList(const QString &key);
    void requestFileDownloadOffsetList(const QString &key, const QStringList &fileList);
    void openFileFoler(const QString &fileKey);
    void redownloadFile(const QString &key, const QString &fileKey);
    void removeDownloadFile(const QString &key, const QString &fileKey);
    void removeAllDownloadFile(const QString &key);

public slots:
    void onRequestFileList(const QByteArray &json);
    void onRequestFileDownloadOffset(const QByteArray &json);
    void onRedownloadFile(const QString &fileKey);
    void onRemoveDownloadFile(const QString &fileKey);
    void onClearAll();
    void onRestartDownloadResponse(const QByteArray &json);
    void onRemoveHistoryResponse(const QByteArray &json);
    void onRemoveAllHistoryResponse(const QByteArray &json);

protected:
    void timerEvent(QTimerEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    static QString newRequestKey();
    // Applies count records, read one at a time; false, with nothing changed,
    // when one of them cannot be read.
    bool populateRecords(int count, const std::function<bool(int, QJsonObject *)> &read);
    // Until the host first answers the list request nothing is known: the
    // panel says it is loading, and that it is empty only once an answer
    // without records came.
    enum class Shown { Loading, Empty, List };
    void nameForScreenReaders();
    void showList();
    void showEmpty();
    void showLoading();
    void setStateText();
    QString stateText() const;   // what the panel says while there is no list
    // Has a screen reader say text where the keys are, once the toolkit has
    // announced a focus move that came with the change.
    void tellScreenReaders(const QString &text);
    void expandDays();
    void startPolling();

    TreeView treeView;
    DownloadFileTreeFoot *foot = nullptr;   // child, dies with the panel
    DownloadFileModel *model = nullptr;
    QString listRequestKey;
    QLabel emptyPicture;
    QLabel emptyText;   // the loading text until the first answer
    Shown shown = Shown::Loading;
    // Every file node in the tree, by file key. A hash: a large list answer
    // looks up every record, and only the few downloading keys need sorting.
    QHash<QString, ModelItemFile *> filesByKey;
    QString progressRequestKey;
    int pollTimerId = 0;
    int pollSkipsLeft = 3;

    // Made here without a parent and released with the panel.
    ModelItemRoot *root = nullptr;
    DownloadFileModel *ownModel = nullptr;
    DownloadFileDelegate *delegate = nullptr;
};
