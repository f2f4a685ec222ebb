#pragma once

#include "support/press_counter.hpp"

#include <sys/types.h>
#include <map>
#include <string>

namespace bench {

// One reading of another process's CPU time and memory from /proc.
struct ProcSample {
    Clock::time_point at;
    // All threads' utime + stime, also of the threads that have ended (clock-tick precision).
    double processCpuSeconds = 0;
    // Run time of each live thread by id (nanosecond precision), and by name (threads of one name summed).
    std::map<pid_t, double> threadCpuById;
    std::map<std::string, double> threadCpuSeconds;
    long rssKb = 0;
    long peakRssKb = 0;
};

// Nothing usable when the process is gone (every field 0).
ProcSample sampleProcess(pid_t pid);

// All the CPU time the process has used so far: its threads' run times, or its clock ticks where those hold more
// (they keep the time of threads that have ended).
double cpuSecondsSoFar(const ProcSample& sample);

// CPU time of all threads between two readings as a share of one core (1.0 = one core busy all the time): from
// the threads' own run times when none of them ended in between, else from the process's clock ticks.
double cpuShare(const ProcSample& before, const ProcSample& after);

// The same share per thread name, for the threads alive at both readings.
std::map<std::string, double> threadCpuShares(const ProcSample& before, const ProcSample& after);

// The machine's three load averages (1, 5 and 15 minutes) from /proc/loadavg: how busy the shared machine was
// around the figures.
std::string machineLoadAverage();

}  // namespace bench
