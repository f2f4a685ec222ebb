#include "support/busy_load.hpp"

#include <pthread.h>
#include <sched.h>

namespace bench {

void BusyLoad::start(int threads) {
    stop();
    stop_ = false;
    for (int i = 0; i < threads; ++i) {
        threads_.emplace_back([this] {
            // Normal class, whatever the thread that started it runs at.
            sched_param normal{};
            ::pthread_setschedparam(::pthread_self(), SCHED_OTHER, &normal);
            ::pthread_setname_np(::pthread_self(), "busy-load");
            volatile unsigned long work = 0;
            while (!stop_.load(std::memory_order_relaxed)) work = work + 1;
        });
    }
}

void BusyLoad::stop() {
    stop_ = true;
    for (auto& t : threads_) t.join();
    threads_.clear();
}

}  // namespace bench
