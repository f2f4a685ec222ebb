#include "services/menu_bar_manager.hpp"

#include "glyph_lightness.hpp"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace clicktrove {
namespace {

using clicktrove::testing::glyphLightness;

// The X server here has no tray, as at login before the panel has started: the item must exist anyway so
// that Qt can dock it later, and its glyph must follow light/dark switches.
TEST(MenuBarManagerOnX11, TheItemWaitsForATrayAndFollowsThePalette) {
    const QPalette original = QGuiApplication::palette();
    QPalette light = original;
    light.setColor(QPalette::Window, QColor(0xf0, 0xf0, 0xf0));
    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x24));
    QGuiApplication::setPalette(light);

    MenuBarManager manager{[] {}};
    ASSERT_NE(manager.statusItem(), nullptr);
    EXPECT_EQ(manager.statusItem()->contextMenu(), manager.menu());
    EXPECT_TRUE(manager.statusItem()->toolTip().isEmpty());
    EXPECT_LT(glyphLightness(manager.statusItem()->icon()), 60);

    QGuiApplication::setPalette(dark);
    EXPECT_GT(glyphLightness(manager.statusItem()->icon()), 200);
    QGuiApplication::setPalette(original);
}

}  // namespace
}  // namespace clicktrove
