// SPDX-License-Identifier: Apache-2.0
// Figures for the download history panel: filling it from one list answer,
// one progress answer, and painting a screenful. Prints; asserts nothing.
// Each figure is wall time / CPU time of this thread in ms, so that a busy
// machine can be told apart from slow code.
#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfiletree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

const quint64 newest = 1526809226485;   // 2018-05-20
const quint64 dayMs = 86400000;

struct Figure
{
    double wall = 0;
    double cpu = 0;
};

class Stopwatch
{
public:
    Stopwatch()
    {
        wall.start();
        cpuStart = cpuNow();
    }
    Figure elapsed() const { return {wall.nsecsElapsed() / 1e6, (cpuNow() - cpuStart) / 1e6}; }
private:
    static double cpuNow()
    {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e9 + t.tv_nsec;
    }
    QElapsedTimer wall;
    double cpuStart;
};

Figure median(QVector<Figure> values)
{
    std::sort(values.begin(), values.end(), [](const Figure &a, const Figure &b) { return a.wall < b.wall; });
    Figure result = values.at(values.size() / 2);
    std::sort(values.begin(), values.end(), [](const Figure &a, const Figure &b) { return a.cpu < b.cpu; });
    result.cpu = values.at(values.size() / 2).cpu;
    return result;
}

QByteArray text(const Figure &f)
{
    return QByteArray::number(f.wall, 'f', 2) + " / " + QByteArray::number(f.cpu, 'f', 2) + " ms";
}

// Records spread over 365 days in random order; one in ten still downloading.
QByteArray listPayload(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray out;
    out.reserve(count * 200);
    out += "{\"key\":\"%KEY%\",\"data\":[";
    const char *endings[] = {".zip", ".pdf", ".docx", ".png", ".mp4", ".exe", ".tar.gz", ".txt"};
    for (int i = 0; i < count; ++i) {
        const QByteArray key = QByteArray::number(quint64(random.generate64()), 16).rightJustified(16, '0')
                             + QByteArray::number(i, 16).rightJustified(16, '0');
        const quint64 created = newest - random.bounded(365) * dayMs - random.bounded(quint32(dayMs));
        const int status = (i % 10 == 0) ? 1 : (i % 17 == 0 ? 3 : 2);
        const quint64 size = 1000 + random.bounded(100000000u);
        if (i)
            out += ',';
        out += "{\"key\":\"" + key + "\",\"name\":\"download-number-" + QByteArray::number(i)
             + endings[i % 8] + "\",\"createTime\":" + QByteArray::number(created)
             + ",\"updateTime\":" + QByteArray::number(created) + ",\"fileSize\":" + QByteArray::number(size)
             + ",\"status\":" + QByteArray::number(status) + ",\"downloadOffset\":"
             + QByteArray::number(status == 1 ? size / 3 : size) + ",\"fileExists\":"
             + (i % 5 ? "true" : "false") + "}";
    }
    out += "]}";
    return out;
}

// Asks for the list and times the answer: the slot alone (JSON parsing
// included), and until the panel has been laid out and painted.
QPair<Figure, Figure> fill(DownloadFileTree &tree, QByteArray payload)
{
    QSignalSpy asked(&tree, &DownloadFileTree::requestFileList);
    tree.toRequestFileList();
    payload.replace("%KEY%", asked.at(0).at(0).toByteArray());
    Stopwatch watch;
    tree.onRequestFileList(payload);
    const Figure answered = watch.elapsed();
    tree.findChild<QTreeView *>()->viewport()->repaint();
    QCoreApplication::processEvents();
    return {answered, watch.elapsed()};
}

void benchFill(int count, int rounds)
{
    const QByteArray payload = listPayload(count, 365);
    QVector<Figure> answers;
    QVector<Figure> shown;
    QVector<Figure> released;
    for (int round = 0; round < rounds; ++round) {
        auto *tree = new DownloadFileTree(nullptr);
        tree->resize(600, 900);
        tree->show();
        QCoreApplication::processEvents();
        const auto f = fill(*tree, payload);
        answers << f.first;
        shown << f.second;
        if (round == 0) {
            // The panel opened again: the same records, all known, updated in place.
            const Figure again = fill(*tree, payload).first;
            // As many new records again, into days already shown and open.
            const Figure more = fill(*tree, listPayload(count, 366)).first;
            std::printf("%6d records: the same answer again %s; %d more records into open days %s\n", count,
                        text(again).constData(), count, text(more).constData());
        }
        Stopwatch watch;
        delete tree;
        released << watch.elapsed();
    }
    std::printf("%6d records (%.1f MB) into an empty panel: answer %s, shown %s, panel deleted %s (median of %d)\n",
                count, payload.size() / 1048576.0, text(median(answers)).constData(), text(median(shown)).constData(),
                text(median(released)).constData(), rounds);
}

void benchProgress()
{
    DownloadFileTree tree(nullptr);
    tree.resize(600, 900);
    tree.show();
    fill(tree, listPayload(10000, 7));
    QSignalSpy asked(&tree, &DownloadFileTree::requestFileDownloadOffsetList);
    QVector<Figure> times;
    int files = 0;
    for (int round = 0; round < 50; ++round) {
        tree.requestDownloadOffset();
        const QString key = asked.last().at(0).toString();
        const QStringList keys = asked.last().at(1).toStringList();
        files = keys.size();
        QByteArray json = "{\"key\":\"" + key.toLatin1() + "\",\"data\":[";
        for (int i = 0; i < keys.size(); ++i) {
            if (i)
                json += ',';
            json += "{\"key\":\"" + keys.at(i).toLatin1() + "\",\"downloadOffset\":"
                  + QByteArray::number(1000 + round * 997 + i) + "}";
        }
        json += "]}";
        Stopwatch watch;
        tree.onRequestFileDownloadOffset(json);
        times << watch.elapsed();
        QCoreApplication::processEvents();
    }
    std::printf("progress answer for %d downloading files of 10000: %s (median of 50)\n", files,
                text(median(times)).constData());
}

void benchPaint()
{
    DownloadFileTree tree(nullptr);
    tree.resize(600, 900);
    tree.show();
    fill(tree, listPayload(10000, 11));
    auto *view = tree.findChild<QTreeView *>();
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    QVector<Figure> times;
    for (int round = 0; round < 100; ++round) {
        Stopwatch watch;
        view->viewport()->repaint();
        times << watch.elapsed();
    }
    std::printf("painting one screenful (600 x %d) of a 10000-file history: %s (median of 100)\n",
                view->viewport()->height(), text(median(times)).constData());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Every node says goodbye at debug level; a hundred thousand lines would
    // measure the terminal instead.
    QLoggingCategory::setFilterRules(QStringLiteral("channel.downloads.debug=false"));
    VellChatWBConfigure::init();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    benchFill(10000, 5);
    benchFill(100000, 3);
    benchProgress();
    benchPaint();
    return 0;
}
