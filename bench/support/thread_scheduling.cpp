#include "support/thread_scheduling.hpp"

#include <dirent.h>
#include <sched.h>
#include <fstream>
#include <sstream>
#include <vector>

namespace bench {

namespace {

// Fields after the parenthesised name; values[0] is field 3 (state).
std::vector<std::string> statFields(const std::string& path, std::string& name) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) return {};
    name = line.substr(open + 1, close - open - 1);
    std::istringstream fields(line.substr(close + 1));
    std::vector<std::string> values;
    for (std::string v; fields >> v;) values.push_back(v);
    return values;
}

std::vector<pid_t> tasksOf(pid_t pid) {
    std::vector<pid_t> tasks;
    if (DIR* dir = ::opendir(("/proc/" + std::to_string(pid) + "/task").c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.') tasks.push_back(static_cast<pid_t>(std::stol(entry->d_name)));
        }
        ::closedir(dir);
    }
    return tasks;
}

}  // namespace

std::map<std::string, ThreadScheduling> threadScheduling(pid_t pid) {
    std::map<std::string, ThreadScheduling> result;
    for (const pid_t tid : tasksOf(pid)) {
        std::string name;
        const auto values = statFields("/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid) + "/stat", name);
        // nice is field 19, rt_priority 40, policy 41.
        if (values.size() < 39 || result.contains(name)) continue;
        result[name] = {std::stoi(values[38]), std::stoi(values[37]), std::stoi(values[16])};
    }
    return result;
}

std::string describe(const ThreadScheduling& s) {
    switch (s.policy) {
        case SCHED_RR:
            return "SCHED_RR " + std::to_string(s.realTimePriority);
        case SCHED_FIFO:
            return "SCHED_FIFO " + std::to_string(s.realTimePriority);
        default:
            return s.nice == 0 ? "SCHED_OTHER" : "SCHED_OTHER nice " + std::to_string(s.nice);
    }
}

bool raiseThreadToRealTime(pid_t tid, int priority) {
    sched_param param{};
    param.sched_priority = priority;
    return ::sched_setscheduler(tid, SCHED_RR, &param) == 0;
}

bool raiseProcessToRealTime(pid_t pid, int priority) {
    const auto tasks = tasksOf(pid);
    bool all = !tasks.empty();
    for (const pid_t tid : tasks) all = raiseThreadToRealTime(tid, priority) && all;
    return all;
}

}  // namespace bench
