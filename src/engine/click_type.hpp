#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace clicktrove {

// The kind of input one tick of a run produces. The display text is also the value written to JSON, the history
// CSV and the analytics parameter, so it must never change.
enum class ClickType {
    left,
    right,
    middle,
    doubleClick,  // two left down/up pairs with click states 1 and 2; counts as two clicks
    holdLeft,
    holdRight,
    holdMiddle,
    scrollUp,
    scrollDown,
};

// Every case in declaration order (the order the click-type picker shows).
inline constexpr std::array<ClickType, 9> kAllClickTypes{
    ClickType::left,      ClickType::right,      ClickType::middle,   ClickType::doubleClick, ClickType::holdLeft,
    ClickType::holdRight, ClickType::holdMiddle, ClickType::scrollUp, ClickType::scrollDown,
};

constexpr std::string_view displayText(ClickType type) {
    switch (type) {
        case ClickType::left:
            return "Left Click";
        case ClickType::right:
            return "Right Click";
        case ClickType::middle:
            return "Middle Click";
        case ClickType::doubleClick:
            return "Double Click";
        case ClickType::holdLeft:
            return "Hold Left Button";
        case ClickType::holdRight:
            return "Hold Right Button";
        case ClickType::holdMiddle:
            return "Hold Middle Button";
        case ClickType::scrollUp:
            return "Scroll Up";
        case ClickType::scrollDown:
            return "Scroll Down";
    }
    return {};
}

// Exact, case-sensitive match against the display texts; nothing for any other text.
constexpr std::optional<ClickType> clickTypeFromText(std::string_view text) {
    for (const auto type : kAllClickTypes) {
        if (displayText(type) == text) return type;
    }
    return std::nullopt;
}

}  // namespace clicktrove
