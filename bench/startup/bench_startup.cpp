// SPDX-License-Identifier: Apache-2.0
// What starting the browser costs over the page engine alone. A loopback site
// serves a page with two style sheets, two images and a script; its onload
// handler calls back. Each process is timed from its launch until that call
// arrives, and the resident memory of its whole process tree (the engine's
// helpers included) is sampled every 10 ms until a second later.
//
//   A   channel-web-browser test URL          the browser on its own
//   A'  channel-web-browser, driven by a host  configuration, then showUrl
//   B   bench_floor URL                        one engine view, nothing else
//
// Runs alternate A B A' B, B A B A', ...; each A is paired with the B next to
// it, and the ratios are taken pair by pair so that a machine growing busier
// or quieter moves both sides of a pair alike.
//   bench_startup [--label TEXT] [--pairs N (15)] [--browser PATH] [--keep]
//   bench_startup --versus "CMD ..." [--versus-name TEXT] [--label TEXT] [--pairs N]
//     --browser: another channel-web-browser build; --keep: leave the logs and profiles in /tmp;
//     --versus: no browser runs, but this build's floor B against another engine's floor B',
//       started as CMD ... URL (a wrapper, say, that runs it in another system's root), with
//       where each spends its memory by process kind
// Prints rows of a Markdown table and a line per run; asserts nothing.
#include "bench/startup/pagesite.h"
#include "bench/startup/processtree.h"
#include "hostlink/endpoint.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = PageSite::Clock;

// How long after the callback the tree is still sampled: the page is painted
// and composited in this time.
const auto kSettle = std::chrono::milliseconds(1000);
const auto kGiveUp = std::chrono::seconds(60);

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

QByteArray frame(const char *category, const char *subcommand, const QByteArray &payload)
{
    return QByteArray(category) + ':' + subcommand + ':' + payload.toBase64() + ';';
}

// What a host sends when it opens the browser: its texts, the token, colours,
// the saved position, its logo, which buttons to show, and then the page.
QByteArray hostStartup(const QString &url)
{
    static const char *const texts[][2] = {
        {"title", "Channel"}, {"refreshText", "Refresh"}, {"collectText", "Collect"}, {"shareText", "Share"},
        {"channelText", "Channel"}, {"openoutsideText", "Open Outside"}, {"webFileText", "Download History"},
        {"webFileEmptyText", "Nothing downloaded yet"}, {"webFileSuccessText", "Done"},
        {"webFileFailedText", "Failed"}, {"webFileOpenInFolderText", "Show in folder"},
        {"webFileBackText", "Back"}, {"webFileRedownloadText", "Download again"},
        {"webFileMissedText", "File was moved or deleted"}, {"webFileRemoveAllText", "Clean all"},
        {"webFileRemoveTipsText", "Remove this file from the history?"},
        {"webFileRemoveAllTipsText", "Remove all files from the history?"}, {"infoBoxOk", "OK"},
        {"infoBoxCancel", "Cancel"}, {"infoBoxDelete", "Remove"}, {"infoBoxClean", "Clean"},
        {"accessToken", "bench-token-5d1e7a"}, {"titleBackgroundColor", "38,110,190,255"},
        {"shadowColor", "20,60,110,255"}, {"infoBoxSize", "460,110"}, {"windowsRect", "10,10,520,850,0"},
    };
    QByteArray out;
    for (const auto &text : texts)
        out += frame("config", text[0], text[1]);
    out += frame("config", "titleLogoData", pngPicture(24, 24, QColor(255, 255, 255), QColor(180, 210, 250)));
    out += frame("event", "updateOpenOutside", "true");
    out += frame("event", "updateCheckChannel", "false");
    out += frame("event", "updateStoreToVell", "true");
    out += frame("event", "updateShareToFriend", "true");
    out += frame("event", "showUrl", url.toUtf8());
    return out;
}

// Listens on the browser's endpoint before the browser starts, answers its
// connection with the start-up frames and then only listens.
class StartupHost : public QObject
{
public:
    StartupHost(const QString &endpoint, const QByteArray &startup)
        : frames(startup)
    {
        QLocalServer::removeServer(endpoint);
        connect(&server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = server.nextPendingConnection()) {
                connectedAt = PageSite::Clock::now();
                connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->readAll(); });
                socket->write(frames);
                socket->flush();
            }
        });
        server.listen(endpoint);
    }
    bool isListening() const { return server.isListening(); }
    PageSite::Clock::time_point connectedAt;

private:
    QLocalServer server;
    QByteArray frames;
};

enum Kind { Alone, Floor, Hosted, OtherFloor };

struct Run
{
    double ms = -1;   // negative: the callback never came
    double pageMs = 0;   // launch to the request for the page itself
    double hostMs = 0;   // launch to the browser's connection to the host
    double peakMiB = 0;
    double cpuMs = 0;
    int processes = 0;
    std::map<std::string, double> kindMiB;   // the peak by process kind
};

class Driver
{
public:
    Driver(const QString &browser, const QString &floor, PageSite &site, const QString &logDir,
           const QStringList &otherFloor = QStringList())
        : browser(browser), floor(floor), otherFloor(otherFloor), site(site), logDir(logDir)
    {
    }

    Run run(Kind kind)
    {
        const int id = ++runs;
        const QString url = site.pageUrl(id);
        std::unique_ptr<StartupHost> host;
        QStringList arguments;
        switch (kind) {
        case Alone:
            arguments = QStringList{browser, QStringLiteral("test"), url};
            break;
        case Floor:
            arguments = QStringList{floor, url};
            break;
        case OtherFloor:
            arguments = otherFloor + QStringList{url};
            break;
        case Hosted:
            host = std::make_unique<StartupHost>(endpointName(QFileInfo(browser).absolutePath()), hostStartup(url));
            if (!host->isListening())
                std::fprintf(stderr, "bench_startup: cannot listen on the browser's endpoint\n");
            arguments = QStringList{browser};
            break;
        }
        Run result;
        const QString log = QStringLiteral("%1/run-%2.log").arg(logDir).arg(id);
        const Clock::time_point launched = Clock::now();
        const pid_t pid = ProcessTree::launch(arguments, log);
        if (pid <= 0) {
            std::fprintf(stderr, "bench_startup: cannot start %s\n", qPrintable(arguments.first()));
            return result;
        }
        ProcessTree sampler(pid);
        sampler.sample();
        QEventLoop loop;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(10);
        bool rootEnded = false;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            sampler.sample();
            const Clock::time_point now = Clock::now();
            Clock::time_point called;
            if (site.calledBack(id, &called)) {
                result.ms = msBetween(launched, called);
                Clock::time_point asked;
                if (site.pageRequested(id, &asked))
                    result.pageMs = msBetween(launched, asked);
                if (now - called >= kSettle)
                    loop.quit();
            } else if (now - launched > kGiveUp) {
                loop.quit();
            }
            int status = 0;
            if (!rootEnded && waitpid(pid, &status, WNOHANG) == pid) {
                rootEnded = true;
                loop.quit();
            }
        });
        tick.start();
        loop.exec();
        tick.stop();
        result.peakMiB = sampler.peakMiB();
        result.kindMiB = sampler.peakByKindMiB();
        result.cpuMs = sampler.cpuMs();
        if (host && host->connectedAt != Clock::time_point())
            result.hostMs = msBetween(launched, host->connectedAt);
        result.processes = sampler.processCount();
        sampler.end();
        if (rootEnded || result.ms < 0) {
            std::fprintf(stderr, "bench_startup: run %d %s; see %s\n", id,
                         rootEnded ? "ended early" : "never called back", qPrintable(log));
            result.ms = -1;
        }
        // Let the killed tree's memory go back before the next launch.
        QEventLoop pause;
        QTimer::singleShot(300, &pause, &QEventLoop::quit);
        pause.exec();
        return result;
    }

private:
    QString browser;
    QString floor;
    QStringList otherFloor;
    PageSite &site;
    QString logDir;
    int runs = 0;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString loadNow()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

const char *name(Kind kind)
{
    switch (kind) {
    case Alone:
        return "A ";
    case Hosted:
        return "A'";
    case OtherFloor:
        return "B'";
    default:
        return "B ";
    }
}

void printRun(Kind kind, int pair, const Run &r)
{
    std::printf("  %s pair %d: %7.0f ms (page asked for at %4.0f ms)  %7.1f MiB peak  %6.0f ms CPU  %d processes",
                name(kind), pair, r.ms, r.pageMs, r.peakMiB, r.cpuMs, r.processes);
    if (kind == Hosted)
        std::printf("  (connected to the host at %.0f ms)", r.hostMs);
    std::printf("\n");
}

struct Pairs
{
    std::vector<double> aMs, bMs, aPageMs, bPageMs, aMiB, bMiB, aCpu, bCpu, timeRatio, memoryRatio;
    std::map<std::string, std::vector<double>> aKinds, bKinds;

    void add(const Run &a, const Run &b)
    {
        if (a.ms < 0 || b.ms < 0)
            return;
        for (const auto &kind : a.kindMiB)
            aKinds[kind.first].push_back(kind.second);
        for (const auto &kind : b.kindMiB)
            bKinds[kind.first].push_back(kind.second);
        aMs.push_back(a.ms);
        bMs.push_back(b.ms);
        aPageMs.push_back(a.pageMs);
        bPageMs.push_back(b.pageMs);
        aMiB.push_back(a.peakMiB);
        bMiB.push_back(b.peakMiB);
        aCpu.push_back(a.cpuMs);
        bCpu.push_back(b.cpuMs);
        timeRatio.push_back(a.ms / b.ms);
        memoryRatio.push_back(a.peakMiB / b.peakMiB);
    }
};

// A distribution-free interval for the median: the k-th smallest and k-th
// largest values, k the largest rank that still leaves at least 95 %
// probability that the true median lies between them. With fewer than six
// values no such pair exists, and the whole range is given instead.
QString interval(std::vector<double> values)
{
    if (values.empty())
        return QString();
    std::sort(values.begin(), values.end());
    const int n = int(values.size());
    int k = 0;   // 1-based rank; 0: none reaches 95 %
    double below = 0;   // P(Binomial(n, 1/2) < k)
    double term = std::pow(0.5, n);   // P(Binomial(n, 1/2) = k - 1)
    for (int rank = 1; rank <= n / 2; ++rank) {
        below += term;   // now P(X < rank) = P(X <= rank - 1)
        if (below > 0.025)
            break;
        k = rank;
        term = term * (n - (rank - 1)) / rank;
    }
    if (k == 0)
        return QStringLiteral("range %1-%2").arg(values.front(), 0, 'f', 2).arg(values.back(), 0, 'f', 2);
    return QStringLiteral("95% CI %1-%2").arg(values[k - 1], 0, 'f', 2).arg(values[n - k], 0, 'f', 2);
}

// Where each side's peak memory went, by the engine's process kind (medians;
// a kind missing from a run counts as nothing there).
void printKinds(const char *bench, const char *a, const Pairs &p)
{
    std::map<std::string, int> kinds;
    for (const auto &k : p.aKinds)
        kinds[k.first] = 1;
    for (const auto &k : p.bKinds)
        kinds[k.first] = 1;
    for (const auto &k : kinds) {
        auto of = [&k](const std::map<std::string, std::vector<double>> &side) {
            const auto found = side.find(k.first);
            return found == side.end() ? 0.0 : median(found->second);
        };
        std::printf("| %s | peak RSS in %s processes, %s / B medians | %.1f / %.1f MiB | |\n", bench, k.first.c_str(), a,
                    of(p.aKinds), of(p.bKinds));
    }
}

void printRows(const QString &label, const char *a, const char *variant, const Pairs &p, int wanted,
               bool kinds = false)
{
    const QByteArray b = QStringLiteral("start-up, %1: %2 vs B floor").arg(label, QLatin1String(variant)).toUtf8();
    const char *bench = b.constData();
    const int n = int(p.timeRatio.size());
    std::printf("| %s | launch to onload callback, %s / B medians (%d of %d pairs) | %.0f / %.0f ms | |\n", bench, a, n,
                wanted, median(p.aMs), median(p.bMs));
    std::printf("| %s | launch to the request for the page, %s / B medians | %.0f / %.0f ms | |\n", bench, a,
                median(p.aPageMs), median(p.bPageMs));
    std::printf("| %s | time %s/B, median of paired ratios | **%.3f** (%s) | <= 1.05 |\n", bench, a,
                median(p.timeRatio), qPrintable(interval(p.timeRatio)));
    std::printf("| %s | peak RSS of the process tree, %s / B medians | %.1f / %.1f MiB | |\n", bench, a, median(p.aMiB),
                median(p.bMiB));
    std::printf("| %s | peak RSS %s/B, median of paired ratios | **%.3f** (%s) | <= 1.05 |\n", bench, a,
                median(p.memoryRatio), qPrintable(interval(p.memoryRatio)));
    std::printf("| %s | CPU time of the tree until 1 s after the callback, %s / B medians | %.0f / %.0f ms | |\n", bench, a,
                median(p.aCpu), median(p.bCpu));
    if (kinds)
        printKinds(bench, a, p);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString label = QStringLiteral("offscreen");
    int pairs = 15;
    const QStringList args = app.arguments();
    bool keep = false;
    QString builtBrowser = QStringLiteral(WB_BROWSER_PATH);
    QStringList versus;
    QString versusName = QStringLiteral("other floor");
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--keep"))
            keep = true;
        else if (args.at(i) == QLatin1String("--label") && i + 1 < args.size())
            label = args.at(++i);
        else if (args.at(i) == QLatin1String("--pairs") && i + 1 < args.size())
            pairs = std::max(1, args.at(++i).toInt());
        else if (args.at(i) == QLatin1String("--browser") && i + 1 < args.size())
            builtBrowser = args.at(++i);
        else if (args.at(i) == QLatin1String("--versus") && i + 1 < args.size())
            versus = args.at(++i).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        else if (args.at(i) == QLatin1String("--versus-name") && i + 1 < args.size())
            versusName = args.at(++i);
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    // Engine helpers orphaned by a killed browser come to us, not to init.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");

    // A folder of our own: the browser copy (its endpoint follows its folder,
    // so no other host on this machine can answer it), the engine's profile
    // and caches for both programs, and a log per run.
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/bench_startup-XXXXXX"));
    work.setAutoRemove(!keep);
    const QString browser = work.filePath(QStringLiteral("channel-web-browser"));
    if (!work.isValid() || !QFile::copy(builtBrowser, browser)) {
        std::fprintf(stderr, "bench_startup: cannot copy %s\n", qPrintable(builtBrowser));
        return 1;
    }
    for (const char *variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        const QString dir = work.filePath(QString::fromLatin1(variable).toLower());
        QDir().mkpath(dir);
        qputenv(variable, dir.toLocal8Bit());
    }
    const QString runtime = work.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());

    PageSite site;
    if (!site.start()) {
        std::fprintf(stderr, "bench_startup: cannot serve on 127.0.0.1\n");
        return 1;
    }
    Driver driver(browser, QStringLiteral(WB_FLOOR_PATH), site, work.path(), versus);
    const QString loadBefore = loadNow();
    std::printf("start-up, %s: %d pairs, load average (1, 5, 15 min) before: %s\n", qPrintable(label), pairs,
                qPrintable(loadBefore));

    if (!versus.isEmpty()) {
        // Two engines' floors, alternating which goes first.
        for (Kind kind : {Floor, OtherFloor})
            driver.run(kind);
        Pairs floors;
        for (int pair = 1; pair <= pairs; ++pair) {
            Run b, other;
            if (pair % 2) {
                b = driver.run(Floor);
                other = driver.run(OtherFloor);
            } else {
                other = driver.run(OtherFloor);
                b = driver.run(Floor);
            }
            printRun(Floor, pair, b);
            printRun(OtherFloor, pair, other);
            floors.add(other, b);
        }
        std::printf("start-up, %s: load average after: %s\n", qPrintable(label), qPrintable(loadNow()));
        printRows(label, "B'", qPrintable(QStringLiteral("B' ") + versusName), floors, pairs, true);
        return 0;
    }

    // Libraries into the page cache and the profiles onto disk; not counted.
    for (Kind kind : {Alone, Floor, Hosted})
        driver.run(kind);

    Pairs alone, hosted;
    for (int pair = 1; pair <= pairs; ++pair) {
        // Which of a pair goes first alternates, so neither side always
        // starts just after the other's tree was torn down.
        Run a, b, h, b2;
        if (pair % 2) {
            a = driver.run(Alone);
            b = driver.run(Floor);
            h = driver.run(Hosted);
            b2 = driver.run(Floor);
        } else {
            b = driver.run(Floor);
            a = driver.run(Alone);
            b2 = driver.run(Floor);
            h = driver.run(Hosted);
        }
        printRun(Alone, pair, a);
        printRun(Floor, pair, b);
        printRun(Hosted, pair, h);
        printRun(Floor, pair, b2);
        alone.add(a, b);
        hosted.add(h, b2);
    }
    std::printf("start-up, %s: load average after: %s\n", qPrintable(label), qPrintable(loadNow()));
    printRows(label, "A", "A test mode", alone, pairs);
    printRows(label, "A'", "A' host-driven", hosted, pairs);
    return 0;
}
