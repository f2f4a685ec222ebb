#include "platform/fake/fake_login_item.hpp"

namespace clicktrove::platform {

bool FakeLoginItem::registerItem(std::string* error) {
    calls_.emplace_back("register");
    if (registerError_) {
        if (error) *error = *registerError_;
        return false;
    }
    status_ = Status::enabled;
    return true;
}

bool FakeLoginItem::unregisterItem(std::string* error) {
    calls_.emplace_back("unregister");
    if (unregisterError_) {
        if (error) *error = *unregisterError_;
        return false;
    }
    status_ = Status::notRegistered;
    return true;
}

}  // namespace clicktrove::platform
