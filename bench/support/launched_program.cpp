#include "support/launched_program.hpp"

#include "support/child.hpp"

#include <sys/wait.h>

namespace bench {

bool LaunchedProgram::start(const std::string& path, const std::vector<std::string>& environment,
                            const std::string& output) {
    stop();
    startedAt_ = Clock::now();
    pid_ = spawn({path}, -1, &environment, output);
    return pid_ > 0;
}

void LaunchedProgram::stop() {
    if (pid_ <= 0) return;
    terminate(pid_, std::chrono::milliseconds(5000));
    pid_ = -1;
}

bool LaunchedProgram::running() const {
    if (pid_ <= 0) return false;
    // Peeks without reaping, so that stop() still finds the child.
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

}  // namespace bench
