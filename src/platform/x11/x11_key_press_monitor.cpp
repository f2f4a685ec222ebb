#include "platform/x11/x11_key_press_monitor.hpp"

#include "platform/alternate_signal_stack.hpp"
#include "platform/linux_scheduling_system.hpp"
#include "platform/spin_bound.hpp"
#include "platform/thread_priority.hpp"
#include "platform/x11/x11_raw_input_watcher.hpp"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace clicktrove::platform {

namespace {

bool isWaylandSession() {
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (session && std::strcmp(session, "wayland") == 0) || (wayland && *wayland);
}

}  // namespace

X11KeyPressMonitor::X11KeyPressMonitor(Warn warn) : warn_(std::move(warn)) {
    if (!warn_) warn_ = [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); };
}

X11KeyPressMonitor::~X11KeyPressMonitor() {
    if (thread_.joinable()) {
        thread_.request_stop();
        const std::uint64_t one = 1;
        // Wakes the thread's poll; the counter cannot overflow from one write.
        (void)::write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

std::optional<KeyPressMonitor::Token> X11KeyPressMonitor::addMonitor(Handler handler) {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable() && !openLocked()) return std::nullopt;
    const Token token = nextToken_++;
    handlers_.emplace(token, std::make_shared<Handler>(std::move(handler)));
    return token;
}

void X11KeyPressMonitor::removeMonitor(Token token) {
    std::thread::id deliveringThread;
    {
        std::lock_guard lock(mutex_);
        if (handlers_.erase(token) == 0) return;
        deliveringThread = thread_.get_id();
    }
    // A handler removing itself (or another) from inside a delivery must not wait for that delivery.
    if (deliveringThread != std::this_thread::get_id()) std::lock_guard wait(delivering_);
}

bool X11KeyPressMonitor::openLocked() {
    std::string error;
    watcher_ = X11RawInputWatcher::open(X11RawInputWatcher::Watch::keyPresses, error);
    if (!watcher_) {
        if (!unavailableNoted_) warn_("Clicktrove: global keyboard shortcuts are unavailable: " + error);
        unavailableNoted_ = true;
        return false;
    }
    if (wakeFd_ < 0) wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        watcher_.reset();
        if (!unavailableNoted_) warn_("Clicktrove: global keyboard shortcuts are unavailable: no event descriptor");
        unavailableNoted_ = true;
        return false;
    }
    if (!waylandNoted_ && isWaylandSession()) {
        waylandNoted_ = true;
        // Xwayland forwards only the input that goes to X11 windows; presses in Wayland windows never arrive.
        warn_(
            "Clicktrove: this is a Wayland session; keyboard shortcuts are seen only while an X11 window has the "
            "focus");
    }
    thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
    open_ = true;
    return true;
}

void X11KeyPressMonitor::deliverPending() {
    if (!open_) return;
    // Cheap when nothing has arrived: one poll of the socket, no lock.
    pollfd socket{watcher_->connectionFd(), POLLIN, 0};
    if (::poll(&socket, 1, 0) <= 0) {
        // The monitor's thread may be handing out a press it has already read: wait for that.
        std::lock_guard wait(reading_);
        return;
    }
    readAndDispatch();
}

void X11KeyPressMonitor::readAndDispatch(const std::function<void()>& afterEachPress) {
    std::lock_guard lock(reading_);
    const X11RawInputWatcher::Batch batch = watcher_->readPending();
    for (const KeyPressEvent& press : batch.keyPresses) {
        dispatch(press);
        if (afterEachPress) afterEachPress();
    }
}

void X11KeyPressMonitor::run(std::stop_token stop) {
    ::pthread_setname_np(::pthread_self(), "clicktrove-keys");
    useAlternateSignalStack();
    // The emergency stop starts here: a press waits for no other thread of the program.
    raiseCurrentThreadPriority();
    // At real time it runs the handlers too (the emergency stop's releases among them): a flood of presses, or
    // handlers that keep it busy, must not keep it on the CPU into RLIMIT_RTTIME.
    SpinBound bound(SpinBound::budgetFor(LinuxSchedulingSystem().realTimeBudgetLimit()),
                    SpinBound::readCallingThread());
    // Until a real sleep comes: one breather may end before the thread leaves its CPU.
    const auto breatheIfDue = [&] {
        for (bound.note(SpinBound::readCallingThread()); bound.mustSleep();
             bound.note(SpinBound::readCallingThread())) {
            std::this_thread::sleep_for(SpinBound::kBreather);
        }
    };
    const int connection = watcher_->connectionFd();
    while (!stop.stop_requested()) {
        breatheIfDue();
        // Also right after the set-up: its round trip may have queued events that the socket will not
        // announce.
        readAndDispatch(breatheIfDue);
        pollfd fds[2] = {{connection, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) break;
    }
}

void X11KeyPressMonitor::dispatch(const KeyPressEvent& press) {
    std::lock_guard delivering(delivering_);
    std::vector<std::pair<Token, std::shared_ptr<Handler>>> snapshot;
    {
        std::lock_guard lock(mutex_);
        snapshot.assign(handlers_.begin(), handlers_.end());
    }
    for (const auto& [token, handler] : snapshot) {
        {
            // A handler removed by an earlier one during this delivery hears nothing more.
            std::lock_guard lock(mutex_);
            if (handlers_.count(token) == 0) continue;
        }
        (*handler)(press);
    }
}

}  // namespace clicktrove::platform
