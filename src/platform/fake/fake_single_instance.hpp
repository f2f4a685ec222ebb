#pragma once

#include "platform/single_instance.hpp"

namespace clicktrove::platform {

// Answers every claim with the result it was given and lets a test play a later launch.
class FakeSingleInstance final : public SingleInstance {
public:
    explicit FakeSingleInstance(Claim result = Claim::primary, std::string error = {})
        : result_(result), error_(std::move(error)) {}

    Claim claim(std::string* error) override {
        ++claims_;
        if (error) *error = error_;
        return result_;
    }

    // What the instance hears when the program is launched again.
    void launchAgain(const std::string& startupId = {}) {
        if (onActivate) onActivate(startupId);
    }

    int claims() const { return claims_; }

private:
    Claim result_;
    std::string error_;
    int claims_ = 0;
};

}  // namespace clicktrove::platform
