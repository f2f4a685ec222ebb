#include "support/child.hpp"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <thread>

extern char** environ;

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// Polls for the child's end until the deadline; true when it has ended (and is reaped), with its usage.
bool waitUntil(pid_t pid, Clock::time_point deadline, rusage* usage) {
    while (true) {
        int status = 0;
        const pid_t done = ::wait4(pid, &status, WNOHANG, usage);
        if (done == pid || (done < 0 && errno == ECHILD)) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

pid_t spawn(const std::vector<std::string>& argv, int keepFd, const std::vector<std::string>* environment,
            const std::string& output) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    if (environment) {
        for (const auto& e : *environment) env.push_back(const_cast<char*>(e.c_str()));
        env.push_back(nullptr);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (keepFd >= 0) posix_spawn_file_actions_adddup2(&actions, keepFd, keepFd);
    if (!output.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environment ? env.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

void reap(pid_t pid, bool kill) {
    if (pid <= 0) return;
    if (kill) ::kill(pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

bool terminate(pid_t pid, std::chrono::milliseconds grace) {
    if (pid <= 0) return false;
    ::kill(pid, SIGTERM);
    if (waitUntil(pid, Clock::now() + grace, nullptr)) return true;
    ::kill(pid, SIGKILL);
    reap(pid, false);
    return false;
}

double waitForCpuSeconds(pid_t pid, std::chrono::milliseconds timeout) {
    if (pid <= 0) return 0;
    rusage usage{};
    if (!waitUntil(pid, Clock::now() + timeout, &usage)) {
        ::kill(pid, SIGKILL);
        while (::wait4(pid, nullptr, 0, &usage) < 0 && errno == EINTR) {
        }
    }
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

pid_t spawnWithReadyLine(std::vector<std::string> argv, std::string& line, std::chrono::milliseconds timeout,
                         const std::string& output) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
    for (auto& a : argv) {
        const auto at = a.find("{fd}");
        if (at != std::string::npos) a.replace(at, 4, std::to_string(fds[1]));
    }
    const pid_t pid = spawn(argv, fds[1], nullptr, output);
    ::close(fds[1]);
    line.clear();
    const auto deadline = Clock::now() + timeout;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (pid > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 || ::read(fds[0], &c, 1) != 1 || c == '\n') break;
        line += c;
    }
    ::close(fds[0]);
    if (pid > 0 && line.empty()) {
        reap(pid, true);
        return -1;
    }
    return pid;
}

bool PrivateXvfb::start() {
    std::string line;
    pid_ = spawnWithReadyLine({"Xvfb", "-displayfd", "{fd}", "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
                               "-noreset", "+extension", "RANDR"},
                              line, std::chrono::milliseconds(15000));
    if (pid_ <= 0) return false;
    display_ = ":" + line;
    return true;
}

}  // namespace bench
