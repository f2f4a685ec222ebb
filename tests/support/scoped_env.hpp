#pragma once

#include <optional>
#include <string>

namespace clicktrove::testing {

// Sets an environment variable for the object's life and puts the previous value (or its absence) back.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value);
    // Only remembers the current value, so that whatever the test sets meanwhile is undone.
    explicit ScopedEnv(std::string name);
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv();

    // Sets the variable; null unsets it.
    void set(const char* value);

private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace clicktrove::testing
