#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace clicktrove::analytics {

// The destination of the last navigation report of the process: the source of the next destination-only one.
class NavigationStatus {
public:
    static NavigationStatus& shared();

    std::optional<std::string> previousNavigationPath() const;
    void setPreviousNavigationPath(std::optional<std::string> path);

private:
    mutable std::mutex mutex_;
    std::optional<std::string> previousNavigationPath_;
};

}  // namespace clicktrove::analytics
