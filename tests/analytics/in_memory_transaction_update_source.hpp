#pragma once

#include "analytics/transaction_update_source.hpp"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace clicktrove::testing {

// A store stream the test feeds by hand. The reader blocks until the test pushes an update or finishes the
// stream.
class InMemoryTransactionUpdateSource final : public analytics::TransactionUpdateSource {
public:
    std::optional<Update> nextUpdate(std::stop_token stop) override;

    void push(Update update);
    void pushVerified(analytics::StoreTransaction transaction) { push(Update::verified(std::move(transaction))); }
    void finish();

    // Waits (at most 10 s) until every pushed update was taken and handled: the reader is back for the next
    // one, or readerGone() says the watch has ended. False on time-out.
    bool waitUntilHandled(const std::function<bool()>& readerGone);

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::deque<Update> updates_;
    bool finished_ = false;
    int waiting_ = 0;
};

}  // namespace clicktrove::testing
