#include "support/proc_sampler.hpp"

#include <dirent.h>
#include <unistd.h>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

namespace bench {

namespace {

// utime + stime of /proc/<pid>/stat, in seconds; fields counted after the parenthesised name, which may
// itself hold spaces and parentheses.
double statCpuSeconds(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(line.substr(close + 1));
    std::vector<std::string> values;
    for (std::string v; fields >> v;) values.push_back(v);
    // values[0] is field 3 (state); utime and stime are fields 14 and 15.
    if (values.size() < 13) return 0;
    const double ticks = std::stod(values[11]) + std::stod(values[12]);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

long statusKb(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() && line[key.size()] == ':') {
            return std::stol(line.substr(key.size() + 1));
        }
    }
    return 0;
}

}  // namespace

ProcSample sampleProcess(pid_t pid) {
    ProcSample sample;
    sample.at = Clock::now();
    const std::string base = "/proc/" + std::to_string(pid);
    if (DIR* dir = ::opendir((base + "/task").c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            const std::string task = base + "/task/" + entry->d_name;
            std::ifstream comm(task + "/comm");
            std::string name;
            std::getline(comm, name);
            std::ifstream sched(task + "/schedstat");
            double ns = 0;
            if (!(sched >> ns)) continue;
            sample.threadCpuById[static_cast<pid_t>(std::stol(entry->d_name))] = ns / 1e9;
            sample.threadCpuSeconds[name] += ns / 1e9;
        }
        ::closedir(dir);
    }
    sample.processCpuSeconds = statCpuSeconds(base + "/stat");
    sample.rssKb = statusKb(base + "/status", "VmRSS");
    sample.peakRssKb = statusKb(base + "/status", "VmHWM");
    return sample;
}

double cpuSecondsSoFar(const ProcSample& sample) {
    double threads = 0;
    for (const auto& [tid, seconds] : sample.threadCpuById) threads += seconds;
    return std::max(threads, sample.processCpuSeconds);
}

double cpuShare(const ProcSample& before, const ProcSample& after) {
    const double wall = std::chrono::duration<double>(after.at - before.at).count();
    if (wall <= 0) return 0;
    double threads = 0;
    for (const auto& [tid, seconds] : before.threadCpuById) {
        const auto it = after.threadCpuById.find(tid);
        if (it == after.threadCpuById.end()) return (after.processCpuSeconds - before.processCpuSeconds) / wall;
        threads += it->second - seconds;
    }
    // Threads started in between count whole.
    for (const auto& [tid, seconds] : after.threadCpuById) {
        if (!before.threadCpuById.contains(tid)) threads += seconds;
    }
    return threads / wall;
}

std::map<std::string, double> threadCpuShares(const ProcSample& before, const ProcSample& after) {
    std::map<std::string, double> shares;
    const double wall = std::chrono::duration<double>(after.at - before.at).count();
    if (wall <= 0) return shares;
    for (const auto& [name, seconds] : after.threadCpuSeconds) {
        const auto it = before.threadCpuSeconds.find(name);
        if (it != before.threadCpuSeconds.end()) shares[name] = (seconds - it->second) / wall;
    }
    return shares;
}

std::string machineLoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace bench
