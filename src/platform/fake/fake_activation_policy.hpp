#pragma once

#include "platform/activation_policy.hpp"

#include <functional>
#include <vector>

namespace clicktrove::platform {

// Remembers every policy it was given, in order, and the tray icon's answer it was handed.
class FakeActivationPolicy final : public ActivationPolicy {
public:
    void setActivationPolicy(Policy policy) override { applied_.push_back(policy); }
    void setTrayIconShown(std::function<bool()> shown) override { trayIconShown_ = std::move(shown); }
    void trayIconMayHaveChanged() override { ++trayChecks_; }

    const std::vector<Policy>& applied() const { return applied_; }
    // Regular until told otherwise, as a freshly started application is.
    Policy current() const { return applied_.empty() ? Policy::regular : applied_.back(); }
    void clear() { applied_.clear(); }
    // What the tray icon source answers now; false when none was handed over.
    bool trayIconShown() const { return trayIconShown_ && trayIconShown_(); }
    int trayChecks() const { return trayChecks_; }

private:
    std::vector<Policy> applied_;
    std::function<bool()> trayIconShown_;
    int trayChecks_ = 0;
};

}  // namespace clicktrove::platform
