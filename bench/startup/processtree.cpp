// SPDX-License-Identifier: Apache-2.0
#include "bench/startup/processtree.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

bool readSmallFile(const std::string &path, std::string *out)
{
    FILE *f = std::fopen(path.c_str(), "re");
    if (!f)
        return false;
    char buffer[1024];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    out->assign(buffer, n);
    return n > 0;
}

// The fields of /proc/PID/stat after the command name, which may itself hold ") ".
const char *afterName(const std::string &stat)
{
    const size_t close = stat.rfind(')');
    return close == std::string::npos ? nullptr : stat.c_str() + close + 1;
}

pid_t parentOf(const std::string &stat)
{
    const char *rest = afterName(stat);
    char state = 0;
    int ppid = -1;
    if (!rest || std::sscanf(rest, " %c %d", &state, &ppid) != 2)
        return -1;
    return ppid;
}

long long cpuTicksOf(const std::string &stat)
{
    const char *rest = afterName(stat);
    if (!rest)
        return 0;
    char state = 0;
    long long skip[10] = {};
    long long utime = 0, stime = 0;
    std::sscanf(rest, " %c %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld", &state, &skip[0], &skip[1],
                &skip[2], &skip[3], &skip[4], &skip[5], &skip[6], &skip[7], &skip[8], &skip[9], &utime, &stime);
    return utime + stime;
}

// The value of --type= on the command line ("zygote", whose forks the
// renderers are, "gpu-process", "utility"), or "program" for the launched
// program itself (and the wrapper that may start it).
std::string kindOf(pid_t pid)
{
    std::string cmdline;
    if (!readSmallFile("/proc/" + std::to_string(pid) + "/cmdline", &cmdline))
        return "program";
    for (size_t at = 0; at < cmdline.size();) {
        const std::string arg = cmdline.c_str() + at;
        if (arg.rfind("--type=", 0) == 0)
            return arg.substr(7);
        const size_t end = cmdline.find('\0', at);
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return "program";
}

} // namespace

pid_t ProcessTree::launch(const QStringList &arguments, const QString &logPath)
{
    std::vector<QByteArray> storage;
    for (const QString &a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const QByteArray log = logPath.toLocal8Bit();
    posix_spawn_file_actions_addopen(&actions, 1, log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// Only processes not met before are read: one found outside the tree stays
// outside, as nothing can adopt it into the tree later.
void ProcessTree::discover()
{
    DIR *proc = opendir("/proc");
    if (!proc)
        return;
    std::map<pid_t, pid_t> fresh;
    while (dirent *entry = readdir(proc)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end || pid <= 0 || members.count(pid_t(pid)) || outside.count(pid_t(pid)))
            continue;
        std::string stat;
        if (readSmallFile(std::string("/proc/") + entry->d_name + "/stat", &stat))
            fresh.emplace(pid_t(pid), parentOf(stat));
    }
    closedir(proc);
    const pid_t self = getpid();
    bool grew = true;
    while (grew) {
        grew = false;
        for (auto it = fresh.begin(); it != fresh.end();) {
            if (members.count(it->second) || it->second == self) {
                members.insert(it->first);
                everMembers.insert(it->first);
                it = fresh.erase(it);
                grew = true;
            } else {
                ++it;
            }
        }
    }
    for (const auto &left : fresh)
        outside.insert(left.first);
}

void ProcessTree::sample()
{
    discover();
    static const long pageSize = sysconf(_SC_PAGESIZE);
    long long bytes = 0;
    long long ticks = 0;
    std::map<std::string, long long> byKind;
    for (auto it = members.begin(); it != members.end();) {
        const std::string dir = "/proc/" + std::to_string(*it);
        std::string statm, stat;
        if (!readSmallFile(dir + "/statm", &statm)) {
            it = members.erase(it);
            continue;
        }
        everMembers.insert(*it);
        long long size = 0, resident = 0;
        if (std::sscanf(statm.c_str(), "%lld %lld", &size, &resident) == 2) {
            bytes += resident * pageSize;
            // read each time: a launched process shows its own command
            // line only once it has replaced the one it was forked from
            byKind[kindOf(*it)] += resident * pageSize;
        }
        if (readSmallFile(dir + "/stat", &stat))
            ticks += cpuTicksOf(stat);
        ++it;
    }
    if (bytes > peakBytes) {
        peakBytes = bytes;
        peakByKind = byKind;
    }
    cpuTicks = std::max(cpuTicks, ticks);
}

std::map<std::string, double> ProcessTree::peakByKindMiB() const
{
    std::map<std::string, double> out;
    for (const auto &kind : peakByKind)
        out[kind.first] = kind.second / 1048576.0;
    return out;
}

double ProcessTree::cpuMs() const
{
    return cpuTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

void ProcessTree::end()
{
    for (int round = 0; round < 1000; ++round) {
        // sample() also drops members that have been reaped already.
        sample();
        for (pid_t pid : members)
            kill(pid, SIGKILL);
        pid_t reaped;
        while ((reaped = waitpid(-1, nullptr, WNOHANG)) > 0) {
        }
        if (reaped < 0 && errno == ECHILD)
            return;
        usleep(10000);
    }
    std::fprintf(stderr, "bench_startup: a process of the tree would not end\n");
}
