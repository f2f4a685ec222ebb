#include "support/stalling_x_display.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <filesystem>

namespace clicktrove::testing {

namespace {

// Built by appending: GCC 12 warns (wrongly) on a literal + std::to_string at -O3.
std::string joined(const char* prefix, int n, const char* suffix = "") {
    std::string out(prefix);
    out.append(std::to_string(n)).append(suffix);
    return out;
}

// Xvfb with -displayfd counts up from 0; a parallel run never gets near these.
constexpr int kFirstDisplay = 5000;
constexpr int kDisplays = 1000;

// Binds the abstract address of display n; -1 when another process has it.
int bindDisplay(int n) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const std::string path = joined("/tmp/.X11-unix/X", n);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    // Abstract: a leading NUL, and the length counts exactly the name, as libxcb connects to it.
    std::memcpy(addr.sun_path + 1, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A real server on n would be reached through the file socket too, or be about to start (its lock file).
bool mayBeTaken(int n) {
    std::error_code ignored;
    return std::filesystem::exists(joined("/tmp/.X11-unix/X", n), ignored) ||
           std::filesystem::exists(joined("/tmp/.X", n, "-lock"), ignored);
}

}  // namespace

StallingXDisplay::StallingXDisplay(std::chrono::milliseconds holdAtMost) : holdAtMost_(holdAtMost) {
    const int offset = static_cast<int>(::getpid()) % kDisplays;
    for (int i = 0; i < kDisplays && listenFd_ < 0; ++i) {
        const int n = kFirstDisplay + (offset + i) % kDisplays;
        if (mayBeTaken(n)) continue;
        listenFd_ = bindDisplay(n);
        if (listenFd_ >= 0) name_ = joined(":", n);
    }
    if (listenFd_ >= 0) server_ = std::thread([this] { serve(); });
}

StallingXDisplay::~StallingXDisplay() {
    {
        std::lock_guard lock(mutex_);
        released_ = true;
        closing_ = true;
        changed_.notify_all();
    }
    if (server_.joinable()) server_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
}

void StallingXDisplay::serve() {
    for (;;) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                std::unique_lock lock(mutex_);
                connected_ = true;
                changed_.notify_all();
                changed_.wait_for(lock, holdAtMost_, [&] { return released_; });
                // Marked before the hang-up: whatever the hang-up lets finish must find it released.
                released_ = true;
                changed_.notify_all();
                lock.unlock();
                ::close(client);
            }
        }
        std::lock_guard lock(mutex_);
        if (closing_) return;
    }
}

bool StallingXDisplay::waitForClient() {
    std::unique_lock lock(mutex_);
    if (changed_.wait_for(lock, holdAtMost_, [&] { return connected_ || released_; })) return connected_;
    // Nobody came: hang up on whoever still might, so that nothing waits for the display.
    released_ = true;
    changed_.notify_all();
    return false;
}

void StallingXDisplay::release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
}

bool StallingXDisplay::released() const {
    std::lock_guard lock(mutex_);
    return released_;
}

}  // namespace clicktrove::testing
