#pragma once

#include <sys/types.h>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// A desktop session of the bench's own for a program under test: a fresh HOME with every XDG base directory
// under one temporary folder, a session bus of its own, and the given X display. The program under test then
// reads and writes nothing of the user's and meets no other copy of itself. All removed on destruction.
class PrivateSession {
public:
    PrivateSession() = default;
    PrivateSession(const PrivateSession&) = delete;
    PrivateSession& operator=(const PrivateSession&) = delete;
    ~PrivateSession();

    bool start(const std::string& display);

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path configHome() const { return root_ / "config"; }

    // This process's environment with the session's HOME, XDG folders, bus and display in place, and what would
    // reach outside it (the user's session manager, a Wayland display, a startup notification) left out.
    std::vector<std::string> environment() const;

private:
    std::filesystem::path root_;
    pid_t bus_ = -1;
    std::string busAddress_;
    std::string display_;
};

}  // namespace bench
