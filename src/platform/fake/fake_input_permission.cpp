#include "platform/fake/fake_input_permission.hpp"

#include <thread>

namespace clicktrove::platform {

bool FakeInputPermission::inputMayBePosted() {
    std::unique_lock lock(mutex_);
    ++checks_;
    if (delay_.count() > 0) {
        lock.unlock();
        std::this_thread::sleep_for(delay_);
        lock.lock();
    }
    if (held_) {
        ++blocked_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_; });
        --blocked_;
    }
    return answer_;
}

void FakeInputPermission::setDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    delay_ = delay;
}

void FakeInputPermission::setAnswer(bool answer) {
    std::lock_guard lock(mutex_);
    answer_ = answer;
}

void FakeInputPermission::hold() {
    std::lock_guard lock(mutex_);
    held_ = true;
}

void FakeInputPermission::release() {
    {
        std::lock_guard lock(mutex_);
        held_ = false;
    }
    changed_.notify_all();
}

int FakeInputPermission::checks() const {
    std::lock_guard lock(mutex_);
    return checks_;
}

void FakeInputPermission::waitUntilBlocked() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return blocked_ > 0; });
}

}  // namespace clicktrove::platform
