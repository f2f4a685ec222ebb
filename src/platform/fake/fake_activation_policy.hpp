#pragma once

#include "platform/activation_policy.hpp"

#include <vector>

namespace clicktrove::platform {

// Remembers every policy it was given, in order.
class FakeActivationPolicy final : public ActivationPolicy {
public:
    void setActivationPolicy(Policy policy) override { applied_.push_back(policy); }

    const std::vector<Policy>& applied() const { return applied_; }
    // Regular until told otherwise, as a freshly started application is.
    Policy current() const { return applied_.empty() ? Policy::regular : applied_.back(); }
    void clear() { applied_.clear(); }

private:
    std::vector<Policy> applied_;
};

}  // namespace clicktrove::platform
