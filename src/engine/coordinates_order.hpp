#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace clicktrove {

// How the fixed points of a run are visited.
enum class CoordinatesOrder {
    sequential,  // in list order, the first again after the last
    random,      // a uniformly drawn point at each tick
};

inline constexpr std::array<CoordinatesOrder, 2> kAllCoordinatesOrders{CoordinatesOrder::sequential,
                                                                       CoordinatesOrder::random};

constexpr std::string_view displayText(CoordinatesOrder order) {
    switch (order) {
        case CoordinatesOrder::sequential:
            return "Sequential Order";
        case CoordinatesOrder::random:
            return "Random Order";
    }
    return {};
}

// Exact, case-sensitive match against the display texts; nothing for any other text.
constexpr std::optional<CoordinatesOrder> coordinatesOrderFromText(std::string_view text) {
    for (const auto order : kAllCoordinatesOrders) {
        if (displayText(order) == text) return order;
    }
    return std::nullopt;
}

}  // namespace clicktrove
