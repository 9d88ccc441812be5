// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <set>
#include <string>
#include <sys/types.h>

// The processes below one launched process, and what they hold. The driver
// makes itself a child subreaper, so an engine helper whose parent has gone
// is handed to it rather than to init and stays in the tree.
class ProcessTree
{
public:
    // Starts the program (arguments.first()) with stdout and stderr into logPath.
    static pid_t launch(const QStringList &arguments, const QString &logPath);

    explicit ProcessTree(pid_t root) { members.insert(root); }

    // Finds new members and adds up their resident memory and CPU time.
    void sample();
    // Kills what is left of the tree and reaps it, orphans included.
    void end();

    double peakMiB() const { return peakBytes / 1048576.0; }
    // Where the peak was: MiB by the engine's process kind (its --type:
    // "zygote" with the renderers it forked, "gpu-process", "utility"; else
    // "program"), at the sample of the peak.
    std::map<std::string, double> peakByKindMiB() const;
    double cpuMs() const;
    int processCount() const { return int(everMembers.size()); }

private:
    void discover();

    std::set<pid_t> members;
    std::set<pid_t> everMembers;
    std::set<pid_t> outside;
    long long peakBytes = 0;
    std::map<std::string, long long> peakByKind;
    long long cpuTicks = 0;
};
