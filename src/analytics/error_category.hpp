#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace clicktrove::analytics {

// The kinds of error an error signal reports, with their texts on the wire.
enum class ErrorCategory { thrownException, userInput, appState };

std::string_view rawValue(ErrorCategory category);
// Exact, case-sensitive match of the three texts.
std::optional<ErrorCategory> errorCategoryFromRawValue(std::string_view text);

}  // namespace clicktrove::analytics
