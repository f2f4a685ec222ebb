#pragma once

#include <atomic>
#include <thread>
#include <vector>

namespace bench {

// A game's stand-in: threads that keep a core busy each, at the normal priority of the bench's own main thread,
// from start() until stop() or destruction.
class BusyLoad {
public:
    BusyLoad() = default;
    BusyLoad(const BusyLoad&) = delete;
    BusyLoad& operator=(const BusyLoad&) = delete;
    ~BusyLoad() { stop(); }

    void start(int threads);
    void stop();
    int threads() const { return static_cast<int>(threads_.size()); }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

}  // namespace bench
