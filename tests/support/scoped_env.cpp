#include "support/scoped_env.hpp"

#include <cstdlib>

namespace clicktrove::testing {

ScopedEnv::ScopedEnv(std::string name) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) previous_ = old;
}

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : ScopedEnv(std::move(name)) {
    set(value.c_str());
}

ScopedEnv::~ScopedEnv() {
    set(previous_ ? previous_->c_str() : nullptr);
}

void ScopedEnv::set(const char* value) {
    if (value) {
        ::setenv(name_.c_str(), value, 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

}  // namespace clicktrove::testing
