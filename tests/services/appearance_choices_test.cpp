#include "services/accent_colors.hpp"
#include "services/app_theme.hpp"

#include <gtest/gtest.h>
#include <set>
#include <string>

using clicktrove::AccentThemeColor;
using clicktrove::AppTheme;

TEST(AppearanceChoices, RawValuesAreTheStoredTextsInPickerOrderAndMatchExactly) {
    std::string themes;
    for (const auto t : clicktrove::kAllAppThemes) {
        themes += std::string(rawValue(t)) + ",";
        EXPECT_EQ(clicktrove::appThemeFromRawValue(rawValue(t)), t);
    }
    EXPECT_EQ(themes, "System,Light,Dark,");
    std::string colors;
    for (const auto c : clicktrove::kAllAccentThemeColors) {
        colors += std::string(rawValue(c)) + ",";
        EXPECT_EQ(clicktrove::accentThemeColorFromRawValue(rawValue(c)), c);
    }
    EXPECT_EQ(colors, "Blue,Red,Green,Purple,Orange,Pink,Yellow,Cyan,Mint,Indigo,");
    for (const char* text : {"dark", "DARK", " Dark", "", "Sepia"}) {
        EXPECT_FALSE(clicktrove::appThemeFromRawValue(text)) << text;
    }
    for (const char* text : {"mint", "Mint ", "Teal", ""}) {
        EXPECT_FALSE(clicktrove::accentThemeColorFromRawValue(text)) << text;
    }
}

TEST(AppearanceChoices, EveryAccentHasItsOwnOpaqueColourInBothAppearances) {
    std::set<QRgb> light;
    std::set<QRgb> dark;
    for (const auto c : clicktrove::kAllAccentThemeColors) {
        const QColor l = clicktrove::accentColor(c, false);
        const QColor d = clicktrove::accentColor(c, true);
        EXPECT_EQ(l.alpha(), 255);
        EXPECT_EQ(d.alpha(), 255);
        EXPECT_NE(l, d) << rawValue(c) << ": the dark variant differs";
        light.insert(l.rgb());
        dark.insert(d.rgb());
    }
    EXPECT_EQ(light.size(), 10u);
    EXPECT_EQ(dark.size(), 10u);
    EXPECT_EQ(clicktrove::accentColor(AccentThemeColor::blue, false), QColor(0, 122, 255));
}

TEST(AppearanceChoices, GradientRunsFromTheColourToSeventyPercentOpacityCornerToCorner) {
    const QRectF rect(10, 20, 100, 50);
    struct Case {
        Qt::LayoutDirection direction;
        QPointF start;
        QPointF end;
    };
    for (const auto& c : {Case{Qt::LeftToRight, rect.topLeft(), rect.bottomRight()},
                          Case{Qt::RightToLeft, rect.topRight(), rect.bottomLeft()}}) {
        const auto g = clicktrove::accentGradient(AccentThemeColor::mint, true, rect, c.direction);
        EXPECT_EQ(g.start(), c.start);
        EXPECT_EQ(g.finalStop(), c.end);
        ASSERT_EQ(g.stops().size(), 2);
        EXPECT_EQ(g.stops()[0].second, clicktrove::accentColor(AccentThemeColor::mint, true));
        EXPECT_EQ(g.stops()[1].second.rgb(), clicktrove::accentColor(AccentThemeColor::mint, true).rgb());
        EXPECT_NEAR(g.stops()[1].second.alphaF(), 0.7, 0.01);
    }
}
