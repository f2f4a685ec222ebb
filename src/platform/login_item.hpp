#pragma once

#include <string>

namespace clicktrove::platform {

// Whether the program starts when the user logs in.
class LoginItem {
public:
    enum class Status { notRegistered, enabled };

    virtual ~LoginItem() = default;

    virtual Status status() const = 0;
    // Both return false and describe the failure in error (when given) if the change could not be made.
    virtual bool registerItem(std::string* error) = 0;
    virtual bool unregisterItem(std::string* error) = 0;
};

}  // namespace clicktrove::platform
