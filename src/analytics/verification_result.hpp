#pragma once

#include <optional>
#include <string>
#include <utility>

namespace clicktrove::analytics {

// A value as the store delivers it: verified by the store's signature, or not (with the reason).
template <class T>
class VerificationResult {
public:
    static VerificationResult verified(T value) { return VerificationResult(std::move(value), std::nullopt); }
    static VerificationResult unverified(T value, std::string error) {
        return VerificationResult(std::move(value), std::move(error));
    }

    bool isVerified() const { return !error_.has_value(); }
    // The value whether or not it was verified.
    const T& unsafePayloadValue() const { return value_; }
    const std::optional<std::string>& verificationError() const { return error_; }

private:
    VerificationResult(T value, std::optional<std::string> error)
        : value_(std::move(value)), error_(std::move(error)) {}

    T value_;
    std::optional<std::string> error_;
};

}  // namespace clicktrove::analytics
