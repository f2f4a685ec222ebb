#include "engine/click_position_mode.hpp"
#include "engine/click_type.hpp"
#include "engine/coordinates_order.hpp"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

using namespace clicktrove;

TEST(ModelEnums, DisplayTextsInDeclarationOrder) {
    const std::vector<std::string_view> clickTypes{"Left Click",         "Right Click",      "Middle Click",
                                                   "Double Click",       "Hold Left Button", "Hold Right Button",
                                                   "Hold Middle Button", "Scroll Up",        "Scroll Down"};
    ASSERT_EQ(kAllClickTypes.size(), clickTypes.size());
    for (std::size_t i = 0; i < clickTypes.size(); ++i) {
        EXPECT_EQ(displayText(kAllClickTypes[i]), clickTypes[i]);
        EXPECT_EQ(static_cast<std::size_t>(kAllClickTypes[i]), i);
        EXPECT_EQ(clickTypeFromText(clickTypes[i]), kAllClickTypes[i]);
    }
    EXPECT_EQ(kAllClickTypes[3], ClickType::doubleClick);

    ASSERT_EQ(kAllClickPositionModes.size(), 2u);
    EXPECT_EQ(displayText(ClickPositionMode::current), "Current Mouse Position");
    EXPECT_EQ(displayText(ClickPositionMode::fixed), "Fixed Position");
    EXPECT_EQ(kAllClickPositionModes[0], ClickPositionMode::current);
    EXPECT_EQ(clickPositionModeFromText("Fixed Position"), ClickPositionMode::fixed);

    ASSERT_EQ(kAllCoordinatesOrders.size(), 2u);
    EXPECT_EQ(displayText(CoordinatesOrder::sequential), "Sequential Order");
    EXPECT_EQ(displayText(CoordinatesOrder::random), "Random Order");
    EXPECT_EQ(kAllCoordinatesOrders[0], CoordinatesOrder::sequential);
    EXPECT_EQ(coordinatesOrderFromText("Random Order"), CoordinatesOrder::random);
}

TEST(ModelEnums, FromTextIsExactAndCaseSensitive) {
    for (const std::string_view text : {"double click", "Double click", "DOUBLE CLICK", " Double Click",
                                        "Double Click ", "DoubleClick", "", "left", "doubleClick", "Left Click\n"}) {
        EXPECT_FALSE(clickTypeFromText(text)) << '"' << text << '"';
    }
    using namespace std::string_view_literals;
    EXPECT_FALSE(clickTypeFromText("Left Click\0"sv)) << "embedded NUL";
    for (const std::string_view text : {"fixed position", "Fixed", "fixed", "Current Mouse Position "}) {
        EXPECT_FALSE(clickPositionModeFromText(text)) << '"' << text << '"';
    }
    for (const std::string_view text : {"random order", "Random", "sequential", "Sequential order"}) {
        EXPECT_FALSE(coordinatesOrderFromText(text)) << '"' << text << '"';
    }
}
