#pragma once

#include "analytics/store_transaction.hpp"
#include "analytics/verification_result.hpp"

#include <optional>
#include <stop_token>

namespace clicktrove::analytics {

// The store's stream of transaction updates (renewals, refunds, purchases made elsewhere), read by one watcher
// at a time.
class TransactionUpdateSource {
public:
    using Update = VerificationResult<StoreTransaction>;

    virtual ~TransactionUpdateSource() = default;
    // Blocks until the next update; nothing when the stream has ended or stop was requested.
    virtual std::optional<Update> nextUpdate(std::stop_token stop) = 0;
};

// Linux has no application store: its stream ends at once, so a stored trial is never seen to convert.
class NoStoreTransactionUpdateSource final : public TransactionUpdateSource {
public:
    std::optional<Update> nextUpdate(std::stop_token) override { return std::nullopt; }
};

}  // namespace clicktrove::analytics
