#pragma once

#include <sys/types.h>
#include <map>
#include <string>

namespace bench {

// How a thread of another process is scheduled, from /proc/<pid>/task/<tid>/stat.
struct ThreadScheduling {
    int policy = 0;
    int realTimePriority = 0;
    int nice = 0;
};

// By thread name (the first thread of each name).
std::map<std::string, ThreadScheduling> threadScheduling(pid_t pid);
// "SCHED_RR 10", "SCHED_OTHER nice -10", "SCHED_OTHER".
std::string describe(const ThreadScheduling& scheduling);

// Put every thread of a process, or one thread, at round-robin real time: the bench's measuring apparatus (the X
// server and the counter), so that what it times is the program under test and not the apparatus's own wait for
// a CPU. False when the bench may not.
bool raiseProcessToRealTime(pid_t pid, int priority);
bool raiseThreadToRealTime(pid_t tid, int priority);

}  // namespace bench
