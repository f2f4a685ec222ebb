#include "support/child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

extern char** environ;

namespace clicktrove::testing {

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_) {
    other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        stop();
        pid_ = other.pid_;
        other.pid_ = -1;
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    stop();
}

bool ChildProcess::start(const std::vector<std::string>& argv, int keepFd) {
    stop();
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (keepFd >= 0) {
        // dup2 onto itself clears FD_CLOEXEC in the child only.
        posix_spawn_file_actions_adddup2(&actions, keepFd, keepFd);
    }
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    pid_ = pid;
    return true;
}

int ChildProcess::stop() {
    if (pid_ <= 0) return -1;
    int status = 0;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (true) {
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_ || (r < 0 && errno != EINTR)) break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<int> ChildProcess::waitForExit(int timeoutMs) {
    if (pid_ <= 0) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (true) {
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) break;
        if (r < 0 && errno != EINTR) return std::nullopt;
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool startWithReadyLine(ChildProcess& process, std::vector<std::string> argv, std::string& line, int timeoutMs) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    const std::string fd = std::to_string(fds[1]);
    for (auto& arg : argv) {
        for (auto at = arg.find("{fd}"); at != std::string::npos; at = arg.find("{fd}")) arg.replace(at, 4, fd);
    }
    const bool started = process.start(argv, fds[1]);
    ::close(fds[1]);
    const bool ready = started && readLine(fds[0], line, timeoutMs) && !line.empty();
    ::close(fds[0]);
    if (!ready) process.stop();
    return ready;
}

int runCommand(const std::vector<std::string>& argv) {
    const int status = runCommandForWaitStatus(argv);
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runCommandForWaitStatus(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

bool readLine(int fd, std::string& line, int timeoutMs) {
    line.clear();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0) return false;
        if (c == '\n') return true;
        line.push_back(c);
    }
}

}  // namespace clicktrove::testing
