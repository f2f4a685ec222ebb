#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace clicktrove::testing {

// An X display that takes a client's connection and answers nothing, not even the connection set-up, until it
// is released; then it hangs up, so the client's XOpenDisplay fails. It stands for a display as slow as a remote
// one can be, for exactly as long as the test needs. It listens on the abstract socket that libxcb tries first
// for ":N" (no file left behind), with N far above the numbers the tests' own Xvfb servers take.
class StallingXDisplay {
public:
    // holdAtMost only keeps a broken build from hanging: the display releases itself that long after a client
    // connected (or after waitForClient gave up), and released() then tells that it did.
    explicit StallingXDisplay(std::chrono::milliseconds holdAtMost = std::chrono::seconds(10));
    StallingXDisplay(const StallingXDisplay&) = delete;
    StallingXDisplay& operator=(const StallingXDisplay&) = delete;
    ~StallingXDisplay();

    // ":N"; empty when no display number could be taken.
    const std::string& name() const { return name_; }
    // Whether a client connected, waiting for one at most holdAtMost.
    bool waitForClient();
    // Hangs up on the client; every later client is hung up on at once.
    void release();
    bool released() const;

private:
    void serve();

    const std::chrono::milliseconds holdAtMost_;
    int listenFd_ = -1;
    std::string name_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;
    bool released_ = false;
    bool closing_ = false;
    std::thread server_;
};

}  // namespace clicktrove::testing
