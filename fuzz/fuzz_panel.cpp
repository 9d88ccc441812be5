// SPDX-License-Identifier: Apache-2.0
// Every JSON answer the browser reads, fed arbitrary bytes, with the history
// panel and the window that read them: the slower second stage of fuzz_json.
//
// An input is up to 16 steps separated by the line "--" ("\n--\n"); a step's
// first byte picks the receiver (modulo 16: the characters 0-9 : ; < = > ?
// pick 0 to 15 in turn) and the rest is its body. Steps run in order against
// one history panel made fresh for the input, so a list answer can be followed
// by progress, restart and removal answers for the same files.

#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfilemodel.h"
#include "downloads/downloadfiletree.h"
#include "downloads/modelitembase.h"
#include "downloads/modelitemdate.h"
#include "downloads/modelitemfile.h"
#include "fuzz/fuzzharness.h"
#include "fuzz/fuzzwindow.h"
#include "fuzz/jsonsteps.h"
#include "web/pagemessage.h"
#include "web/velljsbridge.h"
#include "window/vellchatwebbroswer.h"
#include "window/vellchatwebbroswer_impl.h"

#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTreeView>
#include <cstddef>
#include <cstdint>

namespace {

enum Receiver {
    ListRaw,            // 0  list answer as sent, while a list request is outstanding
    ListData,           // 1  the body is the "data" array of an answer with the outstanding key
    ProgressRaw,        // 2  progress answer as sent, after a progress request if any file runs
    ProgressData,       // 3  the body is the "data" array of an answer with the outstanding key
    RestartAnswer,      // 4
    RemoveAnswer,       // 5
    RemoveAllAnswer,    // 6
    StartDownloadRaw,   // 7  the window's download answer
    StartDownloadInfo,  // 8  the body is the "info" text of an answer whose key matches
    UserInfoIdle,       // 9  user information answer while no page waits
    UserInfoWaiting,    // :  answer to a waiting page; an object body gets the waiting key
    PageMessage,        // ;  a message a page posted through the bridge
    Records,            // <  download records (an object or an array) on fresh file items
    ConfigValue,        // =  body byte 0 picks the key, the rest is the decoded value
    ListRequestAgain,   // >  a new list request: the outstanding key changes
    PollTick,           // ?  one tick of the progress poll
};

DownloadFileTree *s_tree = nullptr;
QString s_listKey;
QString s_progressKey;

void newPanel()
{
    delete s_tree;
    s_tree = new DownloadFileTree(nullptr);
    QObject::connect(s_tree, &DownloadFileTree::requestFileList, s_tree, [](const QString &key) { s_listKey = key; });
    QObject::connect(s_tree, &DownloadFileTree::requestFileDownloadOffsetList, s_tree,
                     [](const QString &key, const QStringList &) { s_progressKey = key; });
    s_listKey.clear();
    s_progressKey.clear();
    s_tree->resize(640, 480);
    s_tree->show();
    s_tree->toRequestFileList();
}

QByteArray withData(const QString &key, const QByteArray &dataText)
{
    return "{\"key\":\"" + key.toLatin1() + "\",\"data\":" + dataText + "}";
}

// The panel's own promises about its tree: days newest first, files newest
// first under their day, no day left without files, one node per file key.
ModelItemBase *nodeAt(const QModelIndex &index)
{
    return static_cast<ModelItemBase *>(index.internalPointer());
}

void checkPanel(const QByteArray &step)
{
    auto *model = qobject_cast<DownloadFileModel *>(s_tree->findChild<QTreeView *>()->model());
    if (!model)
        FuzzHarness::fail("panel lost its model", step);
    QSet<QString> keys;
    quint64 previousDay = ~quint64(0);
    for (int d = 0; d < model->rowCount(); ++d) {
        const QModelIndex dayIndex = model->index(d, 0);
        auto *day = qobject_cast<ModelItemDate *>(nodeAt(dayIndex));
        if (!day)
            FuzzHarness::fail("top-level row is not a day", step);
        if (day->time() > previousDay)
            FuzzHarness::fail("days out of order", step);
        previousDay = day->time();
        const int files = model->rowCount(dayIndex);
        if (files == 0)
            FuzzHarness::fail("day row without files", step);
        quint64 previousFile = ~quint64(0);
        for (int f = 0; f < files; ++f) {
            auto *file = qobject_cast<ModelItemFile *>(nodeAt(model->index(f, 0, dayIndex)));
            if (!file)
                FuzzHarness::fail("row under a day is not a file", step);
            if (file->createTime() > previousFile)
                FuzzHarness::fail("files out of order under their day", step);
            previousFile = file->createTime();
            if (keys.contains(file->key()))
                FuzzHarness::fail("two nodes for one file key", step);
            keys.insert(file->key());
        }
    }
    // A long run of list answers would make every later step slower.
    if (keys.size() > 2000)
        s_tree->removeAllFile();
}

void runStep(int receiver, const QByteArray &body, const QByteArray &step)
{
    VellChatWebBroswer *window = VellChatWebBroswer::instance();
    switch (receiver) {
    case ListRaw:
        s_tree->onRequestFileList(body);
        break;
    case ListData:
        s_tree->onRequestFileList(withData(s_listKey, body));
        break;
    case ProgressRaw:
        s_tree->requestDownloadOffset();
        s_tree->onRequestFileDownloadOffset(body);
        break;
    case ProgressData:
        s_tree->requestDownloadOffset();
        s_tree->onRequestFileDownloadOffset(withData(s_progressKey, body));
        break;
    case RestartAnswer:
        s_tree->onRestartDownloadResponse(body);
        break;
    case RemoveAnswer:
        s_tree->onRemoveHistoryResponse(body);
        break;
    case RemoveAllAnswer:
        s_tree->onRemoveAllHistoryResponse(body);
        break;
    case StartDownloadRaw:
        VellChatWebBroswer::startDownloadResponse(body);
        break;
    case StartDownloadInfo: {
        // No page download is pending, so the empty key is the matching one.
        QJsonObject answer;
        answer.insert(QStringLiteral("key"), QString());
        answer.insert(QStringLiteral("info"), QString::fromUtf8(body));
        VellChatWebBroswer::startDownloadResponse(QJsonDocument(answer).toJson(QJsonDocument::Compact));
        break;
    }
    case UserInfoIdle:
        VellChatWebBroswer::iqCurrentUserInfo(body);
        break;
    case UserInfoWaiting:
        JsonSteps::userInfoWaiting(body);
        break;
    case PageMessage: {
        // The window's bridge sends it on; the harness checks what reaches the host.
        QString payload;
        if (::PageMessage::fromPostMessage(QString::fromUtf8(body), &payload) && payload.isEmpty())
            FuzzHarness::fail("page message with an empty payload", body);
        if (window)
            window->impl()->bridge()->postMessage(QString::fromUtf8(body));
        break;
    }
    case Records:
        JsonSteps::records(body);
        break;
    case ConfigValue:
        JsonSteps::configValue(body);
        break;
    case ListRequestAgain:
        s_tree->toRequestFileList();
        break;
    case PollTick:
        s_tree->pollTick();
        break;
    }
    checkPanel(step);
}

}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    (void)argc;
    FuzzHarness::start((*argv)[0]);
    FuzzWindow::install();
    FuzzWindow::window();
    JsonSteps::start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray(reinterpret_cast<const char *>(data), int(size));
    VellChatWBConfigure::init();
    newPanel();
    JsonSteps::forEachStep(input, [](uchar pick, const QByteArray &body) { runStep(pick % 16, body, char(pick) + body); });
    FuzzHarness::settle();
    return 0;
}
