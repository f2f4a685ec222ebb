// The palette: adaptive colours resolve per appearance with the exact dark-only rule, fixed colours and the
// coloured gradients never change, and the process-wide appearance follows the theme setting.
#include "services/accent_colors.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"

#include <gtest/gtest.h>
#include <QApplication>

namespace clicktrove {
namespace {

QColor rgb(double r, double g, double b) {
    return QColor::fromRgbF(float(r), float(g), float(b));
}

// Colours compare within half a step of 8 bits, as QColor stores 16 bits per channel.
::testing::AssertionResult sameColor(const QColor& actual, const QColor& expected) {
    const auto close = [](float a, float b) { return std::abs(a - b) < 0.5f / 255.0f; };
    if (close(actual.redF(), expected.redF()) && close(actual.greenF(), expected.greenF()) &&
        close(actual.blueF(), expected.blueF()) && close(actual.alphaF(), expected.alphaF())) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << actual.name(QColor::HexArgb).toStdString() << " is not "
                                         << expected.name(QColor::HexArgb).toStdString();
}

struct AdaptiveCase {
    const char* name;
    const AdaptiveColor& (*color)();
    QColor light;
    QColor dark;
};

const std::vector<AdaptiveCase>& adaptiveCases() {
    static const std::vector<AdaptiveCase> cases{
        {"background", &ThemeColors::vaqBackground, rgb(0.96, 0.97, 0.98), rgb(0.031, 0.047, 0.078)},
        {"surface", &ThemeColors::vaqSurface, rgb(1, 1, 1), rgb(0.067, 0.094, 0.153)},
        {"surfaceRaised", &ThemeColors::vaqSurfaceRaised, rgb(0.98, 0.985, 0.99), rgb(0.094, 0.125, 0.196)},
        {"border", &ThemeColors::vaqBorder, rgb(0.88, 0.90, 0.93), rgb(0.118, 0.165, 0.247)},
        {"textPrimary", &ThemeColors::vaqTextPrimary, rgb(0.10, 0.12, 0.15), rgb(0.945, 0.961, 0.98)},
        {"textSecondary", &ThemeColors::vaqTextSecondary, rgb(0.45, 0.50, 0.58), rgb(0.392, 0.455, 0.545)},
    };
    return cases;
}

// Restores the process-wide appearance after each test.
class ThemeTest : public ::testing::Test {
protected:
    void TearDown() override { ThemeAppearance::instance().applyTheme(AppTheme::system); }
};

TEST_F(ThemeTest, AdaptiveColoursTakeTheirDarkValuesOnlyUnderThePlainDarkAppearance) {
    for (const auto& c : adaptiveCases()) {
        SCOPED_TRACE(c.name);
        const AdaptiveColor& color = c.color();
        EXPECT_TRUE(sameColor(color.resolve(Appearance::light), c.light));
        EXPECT_TRUE(sameColor(color.resolve(Appearance::dark), c.dark));
        // The high-contrast variants, the dark one included, get the light values.
        EXPECT_TRUE(sameColor(color.resolve(Appearance::highContrastDark), c.light));
        EXPECT_TRUE(sameColor(color.resolve(Appearance::highContrastLight), c.light));
    }
    EXPECT_EQ(ThemeColors::vaqSurface().resolve(false), QColor(Qt::white));
}

TEST_F(ThemeTest, FixedColoursAndColouredGradientsAreTheSameInBothAppearances) {
    struct FixedCase {
        const char* name;
        QColor actual;
        QColor expected;
    };
    const std::vector<FixedCase> fixed{
        {"purple", ThemeColors::purple(), rgb(0.486, 0.227, 0.929)},
        {"indigo", ThemeColors::indigo(), rgb(0.31, 0.275, 0.898)},
        {"cyan", ThemeColors::cyan(), rgb(0.024, 0.714, 0.831)},
        {"green", ThemeColors::green(), rgb(0.063, 0.725, 0.506)},
        {"amber", ThemeColors::amber(), rgb(0.961, 0.62, 0.043)},
        {"red", ThemeColors::red(), rgb(0.937, 0.267, 0.267)},
    };
    for (const auto& c : fixed) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(sameColor(c.actual, c.expected));
        EXPECT_FALSE(AdaptiveColor(c.actual).isAdaptive());
    }

    struct GradientCase {
        const char* name;
        const ThemeGradient& gradient;
        QColor first;
        QColor second;
    };
    const std::vector<GradientCase> gradients{
        {"green", ThemeGradient::vaqGreen(), ThemeColors::green(), rgb(0.024, 0.588, 0.42)},
        {"red", ThemeGradient::vaqRed(), ThemeColors::red(), rgb(0.78, 0.157, 0.157)},
        {"amber", ThemeGradient::vaqAmber(), ThemeColors::amber(), rgb(0.847, 0.49, 0.027)},
    };
    const QRectF rect(10, 20, 200, 40);
    for (const auto& c : gradients) {
        SCOPED_TRACE(c.name);
        for (const bool dark : {false, true}) {
            const QLinearGradient g = c.gradient.toLinearGradient(rect, dark);
            ASSERT_EQ(g.stops().size(), 2);
            EXPECT_EQ(g.stops()[0].first, 0.0);
            EXPECT_EQ(g.stops()[1].first, 1.0);
            EXPECT_TRUE(sameColor(g.stops()[0].second, c.first));
            EXPECT_TRUE(sameColor(g.stops()[1].second, c.second));
            EXPECT_EQ(g.start(), rect.topLeft());
            EXPECT_EQ(g.finalStop(), rect.bottomRight());
        }
    }
}

TEST_F(ThemeTest, GradientsRunFromLeadingToTrailingAndTheBackgroundFadesToNinetyPercent) {
    const QRectF rect(0, 0, 100, 50);
    const QLinearGradient rtl = ThemeGradient::vaqGreen().toLinearGradient(rect, false, Qt::RightToLeft);
    EXPECT_EQ(rtl.start(), rect.topRight());
    EXPECT_EQ(rtl.finalStop(), rect.bottomLeft());

    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        const QLinearGradient background = ThemeGradient::vaqBackground().toLinearGradient(rect, dark);
        EXPECT_EQ(background.start(), QPointF(50, 0));
        EXPECT_EQ(background.finalStop(), QPointF(50, 50));
        QColor bottom = ThemeColors::background(dark);
        bottom.setAlphaF(0.9f);
        EXPECT_TRUE(sameColor(background.stops()[0].second, ThemeColors::background(dark)));
        EXPECT_TRUE(sameColor(background.stops()[1].second, bottom));
    }

    const ThemeGradient accent = ThemeGradient::accent(AccentThemeColor::purple);
    for (const bool dark : {false, true}) {
        const QLinearGradient g = accent.toLinearGradient(rect, dark);
        QColor faded = accentColor(AccentThemeColor::purple, dark);
        faded.setAlphaF(faded.alphaF() * 0.7f);
        EXPECT_TRUE(sameColor(g.stops()[0].second, accentColor(AccentThemeColor::purple, dark)));
        EXPECT_TRUE(sameColor(g.stops()[1].second, faded));
    }
}

TEST_F(ThemeTest, TheThemeSettingDrivesTheAppearanceThePaletteAndEveryAdaptiveColourAtOnce) {
    testing::ViewModelRig rig;
    SettingsManager settings({rig.defaults, rig.loginItem, rig.activationPolicy, rig.analytics, rig.log, rig.clock});
    auto& appearance = ThemeAppearance::instance();
    const QColor platformWindow = QGuiApplication::palette().color(QPalette::Window);
    appearance.follow(settings);
    int changes = 0;
    const auto counting = QObject::connect(&appearance, &ThemeAppearance::changed, [&] { ++changes; });

    settings.setTheme(AppTheme::dark);
    EXPECT_EQ(appearance.appearance(), Appearance::dark);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(sameColor(ThemeColors::surface(), rgb(0.067, 0.094, 0.153)));
    EXPECT_TRUE(sameColor(ThemeGradient::vaqBackground().toLinearGradient(QRectF(0, 0, 1, 1)).stops()[0].second,
                          ThemeColors::background(true)));
    EXPECT_TRUE(sameColor(QGuiApplication::palette().color(QPalette::Window), ThemeColors::background(true)));
    EXPECT_TRUE(sameColor(QGuiApplication::palette().color(QPalette::Text), ThemeColors::textPrimary(true)));

    // The same theme again publishes nothing new.
    settings.setTheme(AppTheme::dark);
    EXPECT_EQ(changes, 1);

    settings.setTheme(AppTheme::light);
    EXPECT_EQ(appearance.appearance(), Appearance::light);
    EXPECT_EQ(ThemeColors::surface(), QColor(Qt::white));
    EXPECT_TRUE(sameColor(QGuiApplication::palette().color(QPalette::Window), ThemeColors::background(false)));
    EXPECT_TRUE(sameColor(ThemeColors::green(), rgb(0.063, 0.725, 0.506)));

    // System hands the palette back to the platform (light under the offscreen platform).
    settings.setTheme(AppTheme::system);
    EXPECT_EQ(QGuiApplication::palette().color(QPalette::Window), platformWindow);
    EXPECT_EQ(appearance.appearance(), Appearance::light);
    QObject::disconnect(counting);
}

TEST_F(ThemeTest, UnderTheSystemThemeADesktopPaletteChangeSwitchesTheAppearance) {
    auto& appearance = ThemeAppearance::instance();
    appearance.applyTheme(AppTheme::system);
    ASSERT_EQ(appearance.appearance(), Appearance::light);
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, QColor(240, 240, 240));
    QGuiApplication::setPalette(dark);
    EXPECT_EQ(appearance.appearance(), Appearance::dark);
    QGuiApplication::setPalette(QPalette());
    EXPECT_EQ(appearance.appearance(), Appearance::light);

    // A forced theme ignores the desktop until the setting returns to System.
    appearance.applyTheme(AppTheme::light);
    QGuiApplication::setPalette(dark);
    EXPECT_EQ(appearance.appearance(), Appearance::light);
    appearance.applyTheme(AppTheme::system);
    EXPECT_EQ(appearance.appearance(), Appearance::light);
}

TEST_F(ThemeTest, TheDesktopAppearanceComesFromItsPaletteAndThemeName) {
    QPalette light;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    light.setColor(QPalette::WindowText, QColor(20, 20, 20));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(40, 40, 40));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    struct Case {
        const QPalette& palette;
        const char* theme;
        Appearance expected;
    };
    const std::vector<Case> cases{
        {light, "Adwaita", Appearance::light},
        {dark, "Adwaita:dark", Appearance::dark},
        {dark, "HighContrastInverse", Appearance::highContrastDark},
        {light, "HighContrast", Appearance::highContrastLight},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.theme);
        EXPECT_EQ(ThemeAppearance::systemAppearance(c.palette, QString::fromLatin1(c.theme)), c.expected);
    }
    // A high-contrast dark desktop draws the light values, however dark its palette is.
    EXPECT_FALSE(usesDarkColors(ThemeAppearance::systemAppearance(dark, QStringLiteral("HighContrastInverse"))));
}

}  // namespace
}  // namespace clicktrove
