#include "analytics/error_category.hpp"

namespace clicktrove::analytics {

std::string_view rawValue(ErrorCategory category) {
    switch (category) {
        case ErrorCategory::thrownException:
            return "thrown-exception";
        case ErrorCategory::userInput:
            return "user-input";
        case ErrorCategory::appState:
            return "app-state";
    }
    return "app-state";
}

std::optional<ErrorCategory> errorCategoryFromRawValue(std::string_view text) {
    for (auto c : {ErrorCategory::thrownException, ErrorCategory::userInput, ErrorCategory::appState}) {
        if (rawValue(c) == text) return c;
    }
    return std::nullopt;
}

}  // namespace clicktrove::analytics
