// The symbol table: every symbol the screens name has a theme icon name or at least a glyph, unknown names
// still draw something, and a theme without the icon falls back to the glyph in the colour of its place.
#include "platform/qt/fallback_icon_theme.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/symbol_icons.hpp"

#include <gtest/gtest.h>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <algorithm>

namespace clicktrove {
namespace {

// Every symbol the screens of the program use.
const QStringList kScreenSymbols{
    "arrow.clockwise",
    "arrow.counterclockwise",
    "arrow.down.circle",
    "arrow.down.doc",
    "arrow.down.right.and.arrow.up.left",
    "arrow.up.doc",
    "arrow.up.right",
    "arrow.up.right.square",
    "bolt.fill",
    "calendar.badge.clock",
    "checkmark",
    "checkmark.circle.fill",
    "checkmark.shield.fill",
    "chevron.left.forwardslash.chevron.right",
    "circle",
    "clock.arrow.circlepath",
    "clock.badge.exclamationmark",
    "clock.fill",
    "cursorarrow",
    "cursorarrow.click.2",
    "cursorarrow.click.badge.clock",
    "dock.rectangle",
    "exclamationmark.shield.fill",
    "gearshape.2.fill",
    "gearshape.fill",
    "globe",
    "hand.draw.fill",
    "hand.raised.fill",
    "infinity",
    "info.circle",
    "largecircle.fill.circle",
    "location.circle.fill",
    "lock.shield.fill",
    "mappin.circle.fill",
    "paintpalette.fill",
    "pause.fill",
    "pencil",
    "person.crop.circle.fill",
    "person.fill",
    "play.fill",
    "play.rectangle.on.hotspot",
    "plus",
    "plus.circle",
    "plus.square.on.square",
    "power",
    "record.circle",
    "rectangle.badge.minus",
    "rectangle.badge.plus",
    "slider.horizontal.2.square",
    "slider.horizontal.3",
    "speaker.fill",
    "speaker.wave.2.fill",
    "square.and.arrow.down",
    "square.and.arrow.up",
    "star",
    "star.fill",
    "stop.fill",
    "target",
    "timer",
    "trash",
    "tray.2",
    "tray.2.fill",
    "waveform",
    "xmark",
    "xmark.octagon.fill",
};

// Switches to an icon theme that has no icons for the length of a test.
class NoIconTheme {
public:
    NoIconTheme() : previous_(QIcon::themeName()), previousFallback_(QIcon::fallbackThemeName()) {
        QIcon::setThemeName("clicktrove-test-no-such-theme");
        QIcon::setFallbackThemeName("clicktrove-test-no-such-theme");
    }
    ~NoIconTheme() {
        QIcon::setThemeName(previous_);
        QIcon::setFallbackThemeName(previousFallback_);
    }

private:
    QString previous_;
    QString previousFallback_;
};

// A desktop whose icon theme has none of the icons (or a bare window manager that names no theme), with the
// program's fallback in place, as start-up installs it. Only the fallback theme (adwaita-icon-theme, which
// install-deps installs) can answer, whatever the host's own theme is.
class FallbackThemeOnly {
public:
    FallbackThemeOnly()
        : previous_(QIcon::themeName()),
          previousFallback_(QIcon::fallbackThemeName()),
          previousPaths_(QIcon::themeSearchPaths()) {
        QIcon::setThemeSearchPaths({});
        clicktrove::platform::installFallbackIconTheme();
        QIcon::setThemeName("clicktrove-test-theme-without-icons");
    }
    ~FallbackThemeOnly() {
        QIcon::setThemeSearchPaths(previousPaths_);
        QIcon::setThemeName(previous_);
        QIcon::setFallbackThemeName(previousFallback_);
    }

private:
    QString previous_;
    QString previousFallback_;
    QStringList previousPaths_;
};

// Pixels of that colour at least minAlpha opaque (some icons, such as the empty star, are drawn faint).
int pixelsOfColor(const QImage& image, const QColor& color, int minAlpha = 200) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > minAlpha && std::abs(pixel.red() - color.red()) < 8 &&
                std::abs(pixel.green() - color.green()) < 8 && std::abs(pixel.blue() - color.blue()) < 8) {
                ++count;
            }
        }
    }
    return count;
}

TEST(SymbolIcons, EverySymbolOfTheScreensIsInTheTableWithAGlyph) {
    for (const auto& symbol : kScreenSymbols) {
        SCOPED_TRACE(symbol.toStdString());
        EXPECT_TRUE(SymbolIcons::isKnown(symbol));
        EXPECT_FALSE(SymbolIcons::fallbackGlyph(symbol).isEmpty());
    }
    // One entry per symbol: a duplicate would shadow a later fix.
    QStringList seen;
    for (const auto& entry : SymbolIcons::table()) {
        EXPECT_FALSE(seen.contains(entry.symbol)) << entry.symbol.toStdString();
        seen << entry.symbol;
        if (!entry.themeIcon.isEmpty()) {
            EXPECT_TRUE(entry.themeIcon.endsWith("-symbolic"));
        }
    }
}

TEST(SymbolIcons, UnknownSymbolsStillDrawAMark) {
    EXPECT_FALSE(SymbolIcons::isKnown("no.such.symbol"));
    EXPECT_TRUE(SymbolIcons::themeIconName("no.such.symbol").isEmpty());
    EXPECT_FALSE(SymbolIcons::fallbackGlyph("no.such.symbol").isEmpty());
    EXPECT_TRUE(SymbolIcons::themeIcon("no.such.symbol").isNull());
}

// On a table of the test's own, so the process-wide one that the drawing uses stays the standard one.
TEST(SymbolIcons, RegisteringAddsOrReplacesAnEntry) {
    SymbolTable table = SymbolTable::standard();
    const auto before = table.entries().size();
    ASSERT_EQ(before, SymbolIcons::table().size());
    table.registerSymbol({"clicktrove.test.symbol", "", "T"});
    ASSERT_EQ(table.entries().size(), before + 1);
    EXPECT_EQ(table.entries().back().symbol, "clicktrove.test.symbol");
    ASSERT_NE(table.find("clicktrove.test.symbol"), nullptr);
    EXPECT_EQ(table.find("clicktrove.test.symbol")->glyph, "T");
    table.registerSymbol({"clicktrove.test.symbol", "", "U"});
    EXPECT_EQ(table.entries().size(), before + 1);
    EXPECT_EQ(table.find("clicktrove.test.symbol")->glyph, "U");

    // A known symbol is replaced where it stands.
    const auto playAt = std::find_if(table.entries().begin(), table.entries().end(),
                                     [](const SymbolIcon& e) { return e.symbol == "play.fill"; }) -
                        table.entries().begin();
    table.registerSymbol({"play.fill", "", "P"});
    EXPECT_EQ(table.entries().size(), before + 1);
    EXPECT_EQ(table.entries()[static_cast<std::size_t>(playAt)].glyph, "P");

    EXPECT_FALSE(SymbolIcons::isKnown("clicktrove.test.symbol"));
    EXPECT_NE(SymbolIcons::fallbackGlyph("play.fill"), "P");
}

TEST(SymbolIcons, TheFallbackThemeHasAnIconForEverySymbolThatNamesOne) {
    FallbackThemeOnly fallbackOnly;
    ASSERT_EQ(QIcon::fallbackThemeName(), clicktrove::platform::kFallbackIconTheme);
    const QColor red(220, 30, 30);
    for (const auto& entry : SymbolIcons::table()) {
        if (entry.themeIcon.isEmpty()) continue;
        SCOPED_TRACE(entry.symbol.toStdString() + " -> " + entry.themeIcon.toStdString());
        EXPECT_FALSE(SymbolIcons::themeIcon(entry.symbol).isNull());
        // Drawn as the icon, tinted.
        const QPixmap pixmap = SymbolIcons::pixmap(entry.symbol, red, designFont(24, QFont::Bold));
        EXPECT_GT(pixelsOfColor(pixmap.toImage(), red, 40), 5);
    }
    for (const QString symbol : {"trash", "hand.raised.fill", "waveform", "tray.2.fill", "dock.rectangle"}) {
        EXPECT_FALSE(SymbolIcons::themeIcon(symbol).isNull()) << symbol.toStdString();
    }
}

TEST(SymbolIcons, WithoutAThemeIconTheGlyphIsDrawnInTheColourOfItsPlace) {
    NoIconTheme noTheme;
    const QColor red(220, 30, 30);
    for (const QString symbol : {"play.fill", "stop.fill", "no.such.symbol"}) {
        SCOPED_TRACE(symbol.toStdString());
        EXPECT_TRUE(SymbolIcons::themeIcon(symbol).isNull());
        const QPixmap pixmap = SymbolIcons::pixmap(symbol, red, designFont(24, QFont::Bold));
        ASSERT_FALSE(pixmap.isNull());
        EXPECT_GT(pixelsOfColor(pixmap.toImage(), red), 5);
        EXPECT_EQ(pixelsOfColor(pixmap.toImage(), Qt::black), 0);
    }
}

}  // namespace
}  // namespace clicktrove
