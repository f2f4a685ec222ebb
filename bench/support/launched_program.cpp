#include "support/launched_program.hpp"

#include "support/child.hpp"

namespace bench {

bool LaunchedProgram::start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                            const std::string& output) {
    stop();
    startedAt_ = Clock::now();
    pid_ = spawn(argv, -1, &environment, output);
    return pid_ > 0;
}

bool LaunchedProgram::stop() {
    if (pid_ <= 0) return false;
    const bool ended = terminate(pid_, std::chrono::milliseconds(5000));
    pid_ = -1;
    return ended;
}

}  // namespace bench
