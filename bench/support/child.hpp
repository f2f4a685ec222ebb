#pragma once

#include <sys/types.h>
#include <chrono>
#include <string>
#include <vector>

namespace bench {

// Starts argv[0] from PATH; keepFd, when >= 0, stays open in the child under the same number. The child gets
// this process's environment, or `environment` ("NAME=value" entries) when one is given, and writes its
// output (stdout and stderr) to the file `output` when one is named. -1 on failure.
pid_t spawn(const std::vector<std::string>& argv, int keepFd = -1,
            const std::vector<std::string>* environment = nullptr, const std::string& output = {});
// Waits for the child (after SIGTERM when kill is set).
void reap(pid_t pid, bool kill);
// SIGTERM, then SIGKILL when the child has not ended within grace; waits for it either way. Whether it ended
// within grace.
bool terminate(pid_t pid, std::chrono::milliseconds grace);
// Waits for the child to end by itself, at most timeout (then ends it); its CPU time, user and system, in seconds.
double waitForCpuSeconds(pid_t pid, std::chrono::milliseconds timeout);

// Starts a program that prints one line on a pipe once it is ready: "{fd}" in argv stands for the pipe's
// descriptor. The line, without its end, goes to `line`; -1 when the program failed to start or said nothing
// within timeout. Its own output goes to the file `output` when one is named.
pid_t spawnWithReadyLine(std::vector<std::string> argv, std::string& line, std::chrono::milliseconds timeout,
                         const std::string& output = {});

// A private Xvfb on a display number it picks itself, stopped on destruction.
class PrivateXvfb {
public:
    PrivateXvfb() = default;
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;
    ~PrivateXvfb() { reap(pid_, true); }

    bool start();
    const std::string& display() const { return display_; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace bench
