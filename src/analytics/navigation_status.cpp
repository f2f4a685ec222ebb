#include "analytics/navigation_status.hpp"

namespace clicktrove::analytics {

NavigationStatus& NavigationStatus::shared() {
    static NavigationStatus status;
    return status;
}

std::optional<std::string> NavigationStatus::previousNavigationPath() const {
    std::lock_guard lock(mutex_);
    return previousNavigationPath_;
}

void NavigationStatus::setPreviousNavigationPath(std::optional<std::string> path) {
    std::lock_guard lock(mutex_);
    previousNavigationPath_ = std::move(path);
}

}  // namespace clicktrove::analytics
