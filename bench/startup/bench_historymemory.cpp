// SPDX-License-Identifier: Apache-2.0
// What a large download history costs in memory: the real window, its
// download panel opened, and the host's list answer fed through the real host
// link, once with no records and once with 100,000, each in a process of its
// own. Prints the peak resident memory (VmHWM) of each; asserts nothing.
//   bench_historymemory                   both sizes, three processes each, alternating
//   bench_historymemory --answer FILE     one process fed the answer in FILE: prints, in KiB,
//                                         its peak, its peak before the answer, its RSS after
//                                         it, and that RSS once the allocator has returned
//                                         what is free
#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"
#include "window/vellchatwebbroswer.h"
#include "window/vellchatwebbroswer_impl.h"
#include "window/windowhostcommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

const quint64 newest = 1526809226485;   // 2018-05-20
const quint64 dayMs = 86400000;

// Records spread over a year, newest first as a host sends them; one in ten
// still downloading, some failed, some files gone.
QByteArray listJson(const QByteArray &key, int count)
{
    QRandomGenerator random(2018);
    QByteArray out;
    out.reserve(count * 230 + 64);
    out += "{\"key\":\"" + key + "\",\"data\":[";
    const char *endings[] = {".zip", ".pdf", ".docx", ".png", ".mp4", ".exe", ".tar.gz", ".txt"};
    quint64 created = newest;
    for (int i = 0; i < count; ++i) {
        created -= random.bounded(quint32(365 * dayMs / std::max(count, 1) * 2 + 1));
        const QByteArray fileKey = QByteArray::number(quint64(random.generate64()), 16).rightJustified(16, '0')
                                 + QByteArray::number(i, 16).rightJustified(16, '0');
        const int status = (i % 10 == 0) ? 1 : (i % 17 == 0 ? 3 : 2);
        const quint64 size = 1000 + random.bounded(100000000u);
        if (i)
            out += ',';
        out += "{\"key\":\"" + fileKey + "\",\"name\":\"quarterly-report-number-" + QByteArray::number(i)
             + endings[i % 8] + "\",\"createTime\":" + QByteArray::number(created)
             + ",\"updateTime\":" + QByteArray::number(created) + ",\"fileSize\":" + QByteArray::number(size)
             + ",\"status\":" + QByteArray::number(status) + ",\"downloadOffset\":"
             + QByteArray::number(status == 1 ? size / 3 : size) + ",\"fileExists\":"
             + (i % 5 ? "true" : "false") + "}";
    }
    out += "]}";
    return out;
}

qint64 statusKiB(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Forgets the peak so far, so that VmHWM from here on is the peak of what follows.
void resetPeak()
{
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly))
        file.write("5");
}

const QByteArray answerHead = "webfile:getFileListRes:";
const QByteArray placeholderKey(32, '0');
const int readSize = 64 * 1024;

// The host's answer as the socket would hand it over, made by the driver so
// that the measured process holds only what a real one would; the key the
// panel will ask with is written in once known.
QByteArray makeAnswer(int records)
{
    return answerHead + listJson(placeholderKey, records).toBase64() + ';';
}

void writeKey(QByteArray &answer, const QByteArray &key)
{
    // The key sits in the first 42 bytes of the JSON, which are the first
    // 56 characters of its Base64; only those change.
    const QByteArray head = ("{\"key\":\"" + key + "\",\"data\":[").left(42).toBase64();
    std::copy(head.constBegin(), head.constEnd(), answer.data() + answerHead.size());
}

int measure(int argc, char *argv[], const QString &answerPath)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The panel's items say goodbye at debug level; a hundred thousand lines
    // would measure the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("channel.downloads.debug=false"));
    VellChatWBConfigure::init();

    // The host's side: every frame the browser writes comes here; the list
    // request carries the key the answer must repeat.
    QByteArray written;
    transport::shareInstance()->setWriteSink([&written](const QByteArray &bytes) { written += bytes; });
    WindowHostCommands windowCommands;
    transport::shareInstance()->setReceiver(&windowCommands);

    VellChatWebBroswer::newVellChatWebBroswer(QStringLiteral("about:blank"), nullptr);
    spin(1500);
    VellChatWebBroswer::instance()->impl()->onWebFile();
    const int at = written.indexOf("webfile:getFileList:");
    if (at < 0) {
        std::fprintf(stderr, "bench_historymemory: the panel asked for no list\n");
        return 1;
    }
    const int from = at + int(qstrlen("webfile:getFileList:"));
    const QByteArray key = QByteArray::fromBase64(written.mid(from, written.indexOf(';', from) - from));
    if (key.size() != placeholderKey.size()) {
        std::fprintf(stderr, "bench_historymemory: unexpected list key\n");
        return 1;
    }
    QFile answer(answerPath);
    if (!answer.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_historymemory: cannot read %s\n", qPrintable(answerPath));
        return 1;
    }
    spin(200);

    const qint64 before = statusKiB("VmHWM:");
    resetPeak();
    // In reads of the size a local socket hands over, as the host's bytes arrive.
    for (bool first = true; !answer.atEnd(); first = false) {
        QByteArray read = answer.read(readSize);
        if (first)
            writeKey(read, key);
        transport::shareInstance()->processIncoming(read);
    }
    spin(1500);
    const qint64 during = statusKiB("VmHWM:");
    const qint64 rss = statusKiB("VmRSS:");
    // What is still in use, without what the allocator keeps for later.
    malloc_trim(0);
    const qint64 live = statusKiB("VmRSS:");
    std::printf("%lld %lld %lld %lld\n", std::max(before, during), before, rss, live);
    VellChatWebBroswer::destory();
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Figures
{
    double peak = 0;     // VmHWM over the whole process
    double before = 0;   // VmHWM before the answer arrived
    double rss = 0;      // VmRSS with the panel showing the records
    double live = 0;     // the same once the allocator has returned what is free
};

bool runOne(const QString &self, const QString &answerPath, Figures *out)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {QStringLiteral("--answer"), answerPath});
    if (!child.waitForFinished(300000) || child.exitCode() != 0)
        return false;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 4)
        return false;
    out->peak = fields.at(0).toLongLong() / 1024.0;
    out->before = fields.at(1).toLongLong() / 1024.0;
    out->rss = fields.at(2).toLongLong() / 1024.0;
    out->live = fields.at(3).toLongLong() / 1024.0;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--answer") == 0)
        return measure(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QString self = app.applicationFilePath();
    const int large = 100000;
    QTemporaryDir folder;
    const QString emptyAnswer = folder.filePath(QStringLiteral("empty"));
    const QString largeAnswer = folder.filePath(QStringLiteral("large"));
    for (const auto &[path, records] : {std::make_pair(emptyAnswer, 0), std::make_pair(largeAnswer, large)}) {
        QFile file(path);
        if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(makeAnswer(records)) < 0) {
            std::fprintf(stderr, "bench_historymemory: cannot write the answers\n");
            return 1;
        }
    }
    std::vector<double> emptyPeak, largePeak, added, emptyRss, largeRss, emptyLive, largeLive;
    for (int round = 1; round <= 3; ++round) {
        Figures empty, full;
        // Alternating, so that neither size always runs on a machine just warmed by the other.
        const bool ok = round % 2 ? runOne(self, emptyAnswer, &empty) && runOne(self, largeAnswer, &full)
                                  : runOne(self, largeAnswer, &full) && runOne(self, emptyAnswer, &empty);
        if (!ok) {
            std::fprintf(stderr, "bench_historymemory: a measuring process failed\n");
            continue;
        }
        std::printf("  round %d: empty history peak %.1f MiB (%.1f before the answer), %.1f now, %.1f live;"
                    " %d records peak %.1f MiB (%.1f before the answer), %.1f now, %.1f live\n",
                    round, empty.peak, empty.before, empty.rss, empty.live, large, full.peak, full.before, full.rss,
                    full.live);
        emptyPeak.push_back(empty.peak);
        largePeak.push_back(full.peak);
        added.push_back(full.peak - empty.peak);
        emptyRss.push_back(empty.rss);
        largeRss.push_back(full.rss);
        emptyLive.push_back(empty.live);
        largeLive.push_back(full.live);
    }
    std::printf("| history memory | peak RSS (VmHWM) of the window's process, empty / 100,000 records, medians of %zu |"
                " %.1f / %.1f MiB | |\n", added.size(), median(emptyPeak), median(largePeak));
    std::printf("| history memory | peak RSS added by 100,000 records, median of paired differences | **%+.1f MiB** |"
                " <= +150 MiB |\n", median(added));
    std::printf("| history memory | RSS with the panel showing them, empty / 100,000 records (after malloc_trim) |"
                " %.1f / %.1f MiB (%.1f / %.1f) | |\n", median(emptyRss), median(largeRss), median(emptyLive),
                median(largeLive));
    return 0;
}
