#pragma once

#include <sys/types.h>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct _XDisplay Display;

namespace bench {

using Clock = std::chrono::steady_clock;

// A full-screen window on an X connection of its own that time-stamps, as they arrive, the button presses and
// releases it receives and every key press of the session (XInput2 raw events on the root window).
// One connection carries them all, so their order is the order the server handled them in: a press listed
// after the Escape reached the server after the Escape did.
class PressCounter {
public:
    struct Arrival {
        // escape: the Escape key; key: any other.
        enum class Kind { press, release, escape, key } kind;
        Clock::time_point time;
        unsigned int keycode = 0;
    };

    PressCounter() = default;
    PressCounter(const PressCounter&) = delete;
    PressCounter& operator=(const PressCounter&) = delete;
    ~PressCounter();

    bool open(const std::string& display);
    int width() const { return width_; }
    int height() const { return height_; }
    // Puts the pointer in the middle of the window, for clicks made wherever the pointer is.
    void centrePointer();
    // Above every other window, so that it receives the clicks; below all, so that the others are seen.
    void raise();
    void lower();

    void reset();
    std::vector<Arrival> arrivals();
    // Arrival times of the left-button presses.
    std::vector<Clock::time_point> presses();
    // The buttons the server holds down for the pointer now (the X button masks).
    unsigned int buttonsDown();
    // The kernel's id of the thread that time-stamps the arrivals.
    pid_t threadId() const;

private:
    void run();

    Display* display_ = nullptr;
    unsigned long window_ = 0;
    int xiOpcode_ = -1;
    int width_ = 0;
    int height_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<pid_t> threadId_{0};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Arrival> arrivals_;
};

}  // namespace bench
