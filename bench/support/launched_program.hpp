#pragma once

#include "support/press_counter.hpp"

#include <sys/types.h>
#include <string>
#include <vector>

namespace bench {

// A program the bench starts and ends, with the moment it was started (just before the exec).
class LaunchedProgram {
public:
    LaunchedProgram() = default;
    LaunchedProgram(const LaunchedProgram&) = delete;
    LaunchedProgram& operator=(const LaunchedProgram&) = delete;
    // Ends the program as the desktop would at logout: SIGTERM, SIGKILL when it does not end within 5 s.
    ~LaunchedProgram() { stop(); }

    // The program's output goes to the file `output`, when one is named. `argv` is the program and its arguments;
    // the program may be a wrapper that ends by executing the real one in its own place (setpriv, prlimit), so
    // that pid() is the real one's.
    bool start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               const std::string& output = {});
    // Whether it ended at the SIGTERM (false when it had to be killed, or was not running).
    bool stop();

    pid_t pid() const { return pid_; }
    Clock::time_point startedAt() const { return startedAt_; }

private:
    pid_t pid_ = -1;
    Clock::time_point startedAt_;
};

}  // namespace bench
