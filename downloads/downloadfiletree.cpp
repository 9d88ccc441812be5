// SPDX-License-Identifier: Apache-2.0
#include "downloads/downloadfiletree.h"

#include "config/logcategories.h"
#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfiledelegate.h"
#include "downloads/downloadfilemodel.h"
#include "downloads/downloadfiletreefoot.h"
#include "downloads/hostanswers.h"
#include "downloads/jsonlistreader.h"
#include "downloads/modelitemfile.h"
#include "downloads/modelitemroot.h"
#include "resources/resource.h"
#include "widgets/atspisignal.h"
#include "wire/vocabulary.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QShowEvent>
#include <QTimer>
#include <QTimerEvent>
#include <QVBoxLayout>
#include <utility>

using namespace HostAnswers;

namespace {

// How often the host is asked for the progress of running downloads: often
// enough for the bar to move, coarse enough to cost the host nothing.
const int kProgressPollMs = 1000;

} // namespace

DownloadFileTree::DownloadFileTree(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);

    foot = new DownloadFileTreeFoot(nullptr);
    foot->setFixedHeight(dpiScaled(80));
    foot->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(foot, &DownloadFileTreeFoot::clearAll, this, &DownloadFileTree::onClearAll);

    layout->addWidget(&treeView, 0);
    layout->addWidget(foot);
    layout->addWidget(&emptyPicture, 1, Qt::AlignHCenter | Qt::AlignBottom);
    layout->addWidget(&emptyText, 1, Qt::AlignHCenter | Qt::AlignTop);

    treeView.setRootIsDecorated(false);
    treeView.setIndentation(0);
    treeView.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    treeView.setHeaderHidden(true);
    treeView.setMouseTracking(true);
    treeView.setFrameShape(QFrame::NoFrame);
    treeView.setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Expanding);
    nameForScreenReaders();
    connect(&treeView, &TreeView::openFileFoler, this, &DownloadFileTree::openFileFoler);
    connect(&treeView, &TreeView::redownloadFile, this, &DownloadFileTree::onRedownloadFile);
    connect(&treeView, &TreeView::removeDownloadFile, this, &DownloadFileTree::onRemoveDownloadFile);

    const QPixmap *picture = Resource::ShareInstance()->fileEmptyLog();
    emptyPicture.setPixmap(*picture);
    const QSize pictureSize = picture->size() / picture->devicePixelRatio();
    emptyPicture.resize(pictureSize);
    emptyPicture.setMinimumSize(pictureSize);
    emptyPicture.setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);

    QPalette palette = emptyText.palette();
    palette.setColor(QPalette::WindowText, QColor(99, 99, 99));
    emptyText.setPalette(palette);
    QFont font = VellChatWBConfigure::font();
    font.setPixelSize(dpiScaled(14));
    emptyText.setFont(font);
    showLoading();

    root = new ModelItemRoot(nullptr);
    ownModel = new DownloadFileModel(root, nullptr);
    delegate = new DownloadFileDelegate(nullptr);
    setModel(ownModel);
    setDelegate(delegate);
}

DownloadFileTree::~DownloadFileTree()
{
    // The view outlives this body (it is a member); let it forget the model
    // and delegate before they go.
    treeView.setModel(nullptr);
    treeView.setItemDelegate(nullptr);
    filesByKey.clear();
    delete delegate;
    delete ownModel;
    delete root;
}

void DownloadFileTree::setModel(QAbstractItemModel *model)
{
    this->model = qobject_cast<DownloadFileModel *>(model);
    treeView.setModel(model);
}

void DownloadFileTree::setDelegate(QStyledItemDelegate *delegate)
{
    treeView.setItemDelegate(delegate);
}

QString DownloadFileTree::newRequestKey()
{
    return wire::newRequestKey();
}

static void keepPlaceWhenHidden(QWidget &widget, bool keep)
{
    QSizePolicy policy = widget.sizePolicy();
    policy.setRetainSizeWhenHidden(keep);
    widget.setSizePolicy(policy);
}

void DownloadFileTree::showList()
{
    shown = Shown::List;
    keepPlaceWhenHidden(emptyPicture, false);
    emptyPicture.hide();
    emptyText.hide();
    treeView.show();
    foot->show();
    expandDays();
}

void DownloadFileTree::expandDays()
{
    // Only day rows have children. The view's expandAll() would also mark every
    // file row expanded, keeping a persistent index per file that each later
    // row insertion has to walk.
    for (int row = 0; model && row < model->rowCount(); ++row)
        treeView.expand(model->index(row, 0));
}

void DownloadFileTree::showEmpty()
{
    const bool news = shown != Shown::Empty;
    shown = Shown::Empty;
    setStateText();
    keepPlaceWhenHidden(emptyPicture, false);
    emptyPicture.show();
    emptyText.show();
    treeView.hide();
    foot->hide();
    // After Clean, or when the first answer is an empty list.
    if (news)
        tellScreenReaders(stateText());
}

void DownloadFileTree::showLoading()
{
    // No picture: the empty box would say there is nothing. Its place stays,
    // so the text does not jump when the answer turns out empty.
    shown = Shown::Loading;
    setStateText();
    keepPlaceWhenHidden(emptyPicture, true);
    emptyPicture.hide();
    emptyText.show();
    treeView.hide();
    foot->hide();
}

QString DownloadFileTree::stateText() const
{
    return shown == Shown::Loading ? VellChatWBConfigure::WebFileLoadingText() : VellChatWBConfigure::WebFileEmptyText();
}

void DownloadFileTree::tellScreenReaders(const QString &text)
{
    // Once the toolkit has moved the keys (a hidden list hands them on) and
    // announced where they went: then the news is said there.
    if (isVisible() && !text.isEmpty())
        QTimer::singleShot(0, this, [text] { AtSpiSignal::announce(text); });
}

void DownloadFileTree::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Opening the panel moves no focus that a screen reader would follow.
    if (!event->spontaneous())
        tellScreenReaders(shown == Shown::List ? accessibleName() : accessibleName() + QStringLiteral(", ") + stateText());
}

void DownloadFileTree::setStateText()
{
    emptyText.setText(stateText());
    emptyText.adjustSize();
}

void DownloadFileTree::nameForScreenReaders()
{
    // Named, like the button that opens them, for screen readers.
    setAccessibleName(VellChatWBConfigure::TitleWebFileText());
    treeView.setAccessibleName(VellChatWBConfigure::TitleWebFileText());
}

void DownloadFileTree::applyConfig()
{
    nameForScreenReaders();
    setStateText();
    foot->updateText();
    treeView.viewport()->update();
}

void DownloadFileTree::startPolling()
{
    if (pollTimerId == 0)
        pollTimerId = startTimer(kProgressPollMs, Qt::CoarseTimer);
}

void DownloadFileTree::toRequestFileList()
{
    listRequestKey = newRequestKey();
    // Empty before is no answer for now: a download may have come since,
    // and the panel would say there is nothing while its row is on its way.
    if (shown == Shown::Empty)
        showLoading();
    emit requestFileList(listRequestKey);
}

void DownloadFileTree::onRequestFileList(const QByteArray &json)
{
    if (json.isEmpty() || listRequestKey.isEmpty())
        return;
    // A long history is read a record at a time: the answer's text and the
    // files made from it are all that is ever held.
    const JsonListReader answer(json, dataName);
    if (!answer.isValid() || !answer.contains(keyName) || answer.value(keyName).toString() != listRequestKey)
        return;
    const bool read = populateRecords(answer.recordCount(), [&answer](int index, QJsonObject *record) {
        return answer.record(index, record);
    });
    if (!read)
        return;
    listRequestKey.clear();
    if (model && model->rowCount() > 0)
        showList();
    else
        showEmpty();
}

void DownloadFileTree::populateJsonArray(const QJsonArray &array)
{
    populateRecords(array.size(), [&array](int index, QJsonObject *record) {
        *record = array.at(index).toObject();
        return true;
    });
}

bool DownloadFileTree::populateRecords(int count, const std::function<bool(int, QJsonObject *)> &read)
{
    // Nothing changes until every record has been read: an answer with a
    // broken record is dropped whole, like one that is not JSON at all.
    QVector<ModelItemFile *> added;
    QVector<int> updates;
    QJsonObject record;
    filesByKey.reserve(filesByKey.size() + count);
    for (int index = 0; index < count; ++index) {
        if (!read(index, &record)) {
            for (ModelItemFile *file : std::as_const(added)) {
                filesByKey.remove(file->key());
                delete file;
            }
            return false;
        }
        const QString key = record.value(keyName).toString();
        ModelItemFile *file = filesByKey.value(key);
        // Files already shown (they have a day row above them) are brought
        // up to date once the answer is known to be whole.
        if (file && file->parent()) {
            updates.append(index);
            continue;
        }
        if (!model)
            continue;
        if (!file) {
            file = new ModelItemFile(key);
            // In the map at once, so that a key repeated later in the answer
            // updates this file instead of making a second one.
            filesByKey.insert(key, file);
            added.append(file);
        }
        file->fromJson(record);
    }
    for (int index : std::as_const(updates)) {
        read(index, &record);
        ModelItemFile *file = filesByKey.value(record.value(keyName).toString());
        file->fromJson(record);
        treeView.rowChanged(file);
    }
    if (model && !added.isEmpty()) {
        const bool reset = added.size() >= DownloadFileModel::resetThreshold;
        model->insertItems(added);
        // A reset forgets which days were open.
        if (reset && !treeView.isHidden())
            expandDays();
    }
    // Only the rows on screen need painting; one request covers them all.
    if (!updates.isEmpty())
        treeView.viewport()->update();
    startPolling();
    return true;
}

void DownloadFileTree::addNewFile(ModelItemFile *file)
{
    if (!file)
        return;
    if (!model) {
        // Nowhere to show it and nobody else holds it.
        delete file;
        return;
    }
    model->insertItem(file);
    filesByKey.insert(file->key(), file);
}

void DownloadFileTree::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != pollTimerId || pollTimerId == 0) {
        QWidget::timerEvent(event);
        return;
    }
    pollTick();
}

void DownloadFileTree::pollTick()
{
    if (!progressRequestKey.isEmpty() && pollSkipsLeft > 0) {
        --pollSkipsLeft;
        return;
    }
    requestDownloadOffset();
}

void DownloadFileTree::requestDownloadOffset()
{
    QStringList keys;
    for (auto it = filesByKey.constBegin(); it != filesByKey.constEnd(); ++it) {
        if (it.value()->status() == ModelItemFile::StatusDownloading)
            keys.append(it.key());
    }
    keys.sort();
    if (keys.isEmpty()) {
        if (pollTimerId != 0)
            killTimer(pollTimerId);
        pollTimerId = 0;
        return;
    }
    pollSkipsLeft = 3;
    progressRequestKey = newRequestKey();
    emit requestFileDownloadOffsetList(progressRequestKey, keys);
}

void DownloadFileTree::onRequestFileDownloadOffset(const QByteArray &json)
{
    if (json.isEmpty() || progressRequestKey.isEmpty())
        return;
    const QJsonObject answer = parseObject(json);
    if (!answer.contains(keyName) || answer.value(keyName).toString() != progressRequestKey)
        return;
    progressRequestKey.clear();
    updateFileStatus(answer.value(dataName).toArray());
}

void DownloadFileTree::updateFileStatus(const QJsonArray &array)
{
    bool updated = false;
    for (const QJsonValue &value : array) {
        const QJsonObject record = value.toObject();
        ModelItemFile *file = filesByKey.value(record.value(keyName).toString());
        if (!file)
            continue;
        file->fromJson(record);
        treeView.rowChanged(file);
        updated = true;
    }
    if (updated)
        treeView.viewport()->update();
}
