#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

namespace bench {

// Starts argv[0] from PATH; keepFd, when >= 0, stays open in the child under the same number. -1 on failure.
pid_t spawn(const std::vector<std::string>& argv, int keepFd = -1);
// Waits for the child (after SIGTERM when kill is set).
void reap(pid_t pid, bool kill);

// A private Xvfb on a display number it picks itself, stopped on destruction.
class PrivateXvfb {
public:
    PrivateXvfb() = default;
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;
    ~PrivateXvfb() { reap(pid_, true); }

    bool start();
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace bench
