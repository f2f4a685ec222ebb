#pragma once

#include <exception>
#include <memory>
#include <string>

namespace clicktrove::analytics {

// An error with a stable identifier of its kind, chosen by the application.
class IdentifiableError {
public:
    virtual ~IdentifiableError() = default;
    virtual std::string id() const = 0;
    virtual std::string localizedDescription() const = 0;
};

// Gives any exception an identifier. Its description is a generic text of its own, not the wrapped error's.
class AnyIdentifiableError final : public IdentifiableError {
public:
    AnyIdentifiableError(std::string id, std::exception_ptr error) : id_(std::move(id)), error_(std::move(error)) {}

    std::string id() const override { return id_; }
    std::string localizedDescription() const override {
        return "The operation couldn't be completed. (AnyIdentifiableError)";
    }
    const std::exception_ptr& error() const { return error_; }

private:
    std::string id_;
    std::exception_ptr error_;
};

// Wraps the error with an identifier.
inline AnyIdentifiableError withIdentifier(std::exception_ptr error, std::string id) {
    return AnyIdentifiableError(std::move(id), std::move(error));
}

}  // namespace clicktrove::analytics
