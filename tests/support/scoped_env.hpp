#pragma once

#include <optional>
#include <string>

namespace clicktrove::testing {

// Sets an environment variable for the object's life and puts the previous value (or its absence) back.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value);
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv();

private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace clicktrove::testing
