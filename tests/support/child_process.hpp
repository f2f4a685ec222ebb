#pragma once

#include <sys/types.h>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove::testing {

// A helper process the fixtures start (Xvfb, dbus-daemon, xdotool). It is killed and reaped on destruction
// so a failing test never leaves a server behind.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    // Starts argv[0] (looked up in PATH). keepFd, when >= 0, stays open in the child under the same number.
    // Returns false when the program could not be started.
    bool start(const std::vector<std::string>& argv, int keepFd = -1);
    // SIGTERM, then SIGKILL after a grace period; returns the exit status (or -1).
    int stop();
    // Waits up to timeoutMs for the process to end by itself: its exit status (-1 when killed by a signal), or
    // nothing while it still runs.
    std::optional<int> waitForExit(int timeoutMs);
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// Starts a server that tells it is ready by writing one line to a pipe it inherits: every "{fd}" in argv is
// replaced by the pipe's number. Returns false, with the server stopped, when no line came within timeoutMs.
bool startWithReadyLine(ChildProcess& process, std::vector<std::string> argv, std::string& line, int timeoutMs);

// Runs a command to its end and returns its exit status (-1 when it could not be started).
int runCommand(const std::vector<std::string>& argv);
// Runs a command to its end and returns the status waitpid gave (WIFSIGNALED and the rest apply), -1 when it
// could not be started.
int runCommandForWaitStatus(const std::vector<std::string>& argv);

// Reads one line from fd, waiting at most timeoutMs. Returns false on timeout or end of file.
bool readLine(int fd, std::string& line, int timeoutMs);

}  // namespace clicktrove::testing
