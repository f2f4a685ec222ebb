#include "support/child.hpp"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

extern char** environ;

namespace bench {

pid_t spawn(const std::vector<std::string>& argv, int keepFd) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (keepFd >= 0) posix_spawn_file_actions_adddup2(&actions, keepFd, keepFd);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
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

bool PrivateXvfb::start() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
                  "-noreset", "+extension", "RANDR"},
                 fds[1]);
    ::close(fds[1]);
    std::string line;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && ::poll(&p, 1, 15000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(fds[0]);
    if (line.empty()) return false;
    display_ = ":" + line;
    return true;
}

}  // namespace bench
