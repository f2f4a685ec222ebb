// Where the main window opens: the first time centred at its preferred size, later where it was, and sensibly
// when the screens have changed since; and how its frame is stored.
#include "ui/shell/window_frame_placement.hpp"

#include <gtest/gtest.h>

namespace clicktrove {
namespace {

// A 1366 x 768 laptop with a 28-point panel at the top, and a 1920 x 1080 monitor to its right.
const QRect kLaptop(0, 28, 1366, 740);
const QRect kMonitor(1366, 0, 1920, 1080);
const QSize kPreferred(1100, 800);
const QSize kMinimum(820, 560);

TEST(WindowFramePlacement, TheFirstTimeAtThePreferredSizeMadeToFitCentredOnThePrimaryScreen) {
    const QRect onLaptop = placeWindow(std::nullopt, {kLaptop, kMonitor}, 0, kPreferred, kMinimum);
    EXPECT_EQ(onLaptop.width(), 1100);
    EXPECT_EQ(onLaptop.height(), 740 - kWindowDecorationAllowance.height()) << "as tall as the laptop allows";
    EXPECT_LE((onLaptop.center() - kLaptop.center()).manhattanLength(), 1);
    EXPECT_TRUE(kLaptop.contains(onLaptop));

    const QRect onMonitor = placeWindow(std::nullopt, {kLaptop, kMonitor}, 1, kPreferred, kMinimum);
    EXPECT_EQ(onMonitor.size(), kPreferred) << "a large screen takes the whole preferred size";
    EXPECT_LE((onMonitor.center() - kMonitor.center()).manhattanLength(), 1);

    const QRect tiny = placeWindow(std::nullopt, {QRect(0, 0, 640, 480)}, 0, kPreferred, kMinimum);
    EXPECT_EQ(tiny.size(), kMinimum) << "never below the minimum";
    EXPECT_EQ(tiny.topLeft(), QPoint(0, kWindowDecorationAllowance.height() / 2)) << "its title stays on the screen";
}

TEST(WindowFramePlacement, LaterWhereItWasWhenTheScreensStillHoldIt) {
    const struct {
        const char* name;
        QRect saved;
        std::vector<QRect> screens;
        QRect expected;
    } cases[] = {
        {"where it was", QRect(120, 90, 1000, 620), {kLaptop, kMonitor}, QRect(120, 90, 1000, 620)},
        {"on the second monitor", QRect(1500, 100, 1400, 900), {kLaptop, kMonitor}, QRect(1500, 100, 1400, 900)},
        {"overhanging the right edge: moved back on",
         QRect(3000, 100, 1000, 700),
         {kLaptop, kMonitor},
         QRect(kMonitor.right() + 1 - 1000, 100, 1000, 700)},
        {"below the bottom: moved up", QRect(100, 500, 1000, 600), {kLaptop}, QRect(100, 768 - 600, 1000, 600)},
        {"larger than its screen now: made to fit",
         QRect(1400, 40, 1900, 1040),
         {kLaptop, QRect(1366, 0, 1280, 720)},
         QRect(1366 + 16, 40, 1280 - 16, 720 - 48)},
        {"smaller than the minimum: the minimum", QRect(200, 100, 400, 300), {kLaptop}, QRect(200, 100, 820, 560)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect placed = placeWindow(c.saved, c.screens, 0, kPreferred, kMinimum);
        EXPECT_EQ(placed, c.expected);
    }
}

TEST(WindowFramePlacement, ScreenGoneOrOffEveryScreenCentresTheSameSizeOnThePrimaryOne) {
    const struct {
        const char* name;
        QRect saved;
    } cases[] = {
        {"on a monitor since unplugged", QRect(1500, 100, 1000, 700)},
        {"above every screen", QRect(200, -2000, 1000, 700)},
        {"only a corner on the screen", QRect(-990, -690, 1000, 700)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect placed = placeWindow(c.saved, {kLaptop}, 0, kPreferred, kMinimum);
        EXPECT_EQ(placed.size(), QSize(1000, 692)) << "its width, and as tall as the laptop allows";
        EXPECT_TRUE(kLaptop.contains(placed));
        EXPECT_LE((placed.center() - kLaptop.center()).manhattanLength(), 1);
    }
}

TEST(WindowFramePlacement, FramesRoundTripAndDamagedValuesAreIgnored) {
    const WindowFrame frame{QRect(-1200, 40, 1000, 700), true};
    EXPECT_EQ(decodeWindowFrame(encodeWindowFrame(frame)), frame);
    const WindowFrame plain{QRect(10, 20, 900, 600), false};
    EXPECT_EQ(decodeWindowFrame(encodeWindowFrame(plain)), plain);

    const nlohmann::json damaged[] = {
        nullptr,
        "100,100,900,600",
        {{"x", 1}, {"y", 2}, {"width", 900}},
        {{"x", 1}, {"y", 2}, {"width", 0}, {"height", 600}},
        {{"x", 1.5}, {"y", 2}, {"width", 900}, {"height", 600}},
        {{"x", "1"}, {"y", 2}, {"width", 900}, {"height", 600}},
        {{"x", 1}, {"y", 2}, {"width", 900}, {"height", 6000000000LL}},
    };
    for (const auto& value : damaged) EXPECT_EQ(decodeWindowFrame(value), std::nullopt) << value.dump();
    // Without the flag: not maximised.
    EXPECT_EQ(decodeWindowFrame({{"x", 1}, {"y", 2}, {"width", 900}, {"height", 600}}),
              (WindowFrame{QRect(1, 2, 900, 600), false}));
}

}  // namespace
}  // namespace clicktrove
