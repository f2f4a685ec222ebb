#include "in_memory_transaction_update_source.hpp"

namespace clicktrove::testing {

std::optional<analytics::TransactionUpdateSource::Update> InMemoryTransactionUpdateSource::nextUpdate(
    std::stop_token stop) {
    std::unique_lock lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    changed_.wait(lock, stop, [this] { return !updates_.empty() || finished_; });
    --waiting_;
    if (updates_.empty()) return std::nullopt;
    Update update = std::move(updates_.front());
    updates_.pop_front();
    changed_.notify_all();
    return update;
}

void InMemoryTransactionUpdateSource::push(Update update) {
    std::lock_guard lock(mutex_);
    updates_.push_back(std::move(update));
    changed_.notify_all();
}

void InMemoryTransactionUpdateSource::finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

bool InMemoryTransactionUpdateSource::waitUntilHandled(const std::function<bool()>& readerGone) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::unique_lock lock(mutex_);
    while (std::chrono::steady_clock::now() < deadline) {
        if (updates_.empty() && (waiting_ > 0 || readerGone())) return true;
        // The end of a watch is not announced here: look again shortly.
        changed_.wait_for(lock, std::chrono::milliseconds(2));
    }
    return false;
}

}  // namespace clicktrove::testing
