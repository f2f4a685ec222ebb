#pragma once

#include "platform/login_item.hpp"

#include <optional>
#include <string>
#include <vector>

namespace clicktrove::platform {

// A login item that records the calls made to it and fails on request.
class FakeLoginItem final : public LoginItem {
public:
    Status status() const override { return status_; }
    bool registerItem(std::string* error) override;
    bool unregisterItem(std::string* error) override;

    void setStatus(Status status) { status_ = status; }
    // The next calls of that kind fail with this message until cleared with std::nullopt.
    void failRegister(std::optional<std::string> message) { registerError_ = std::move(message); }
    void failUnregister(std::optional<std::string> message) { unregisterError_ = std::move(message); }

    // "register" / "unregister", in call order, failed calls included.
    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

private:
    Status status_ = Status::notRegistered;
    std::optional<std::string> registerError_;
    std::optional<std::string> unregisterError_;
    std::vector<std::string> calls_;
};

}  // namespace clicktrove::platform
