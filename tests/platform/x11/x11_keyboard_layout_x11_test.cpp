#include "platform/x11/x11_keyboard_layout.hpp"
#include "support/child_process.hpp"

#include <gtest/gtest.h>

namespace clicktrove::platform {
namespace {

using clicktrove::testing::runCommand;

TEST(X11KeyboardLayout, GivesTheUnmodifiedTextOfPrintableKeysOnly) {
    ASSERT_EQ(runCommand({"setxkbmap", "us"}), 0);
    const X11KeyboardLayout layout;
    const std::pair<std::uint16_t, std::optional<std::string>> cases[] = {
        {39, "s"},
        {10, "1"},
        {61, "/"},
        {65, " "},
        // F1, BackSpace (a control character), Escape and a keycode no key has.
        {67, std::nullopt},
        {22, std::nullopt},
        {9, std::nullopt},
        {255, std::nullopt},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(layout.keyText(code), text) << "key " << code;
}

TEST(X11KeyboardLayout, FollowsALayoutSwitchedAfterConstruction) {
    const X11KeyboardLayout layout;
    ASSERT_EQ(runCommand({"setxkbmap", "de"}), 0);
    const auto z = layout.keyText(29);
    const auto y = layout.keyText(52);
    const auto umlaut = layout.keyText(47);
    ASSERT_EQ(runCommand({"setxkbmap", "us"}), 0);
    EXPECT_EQ(z, "z");
    EXPECT_EQ(y, "y");
    EXPECT_EQ(umlaut, "ö");
    EXPECT_EQ(layout.keyText(29), "y");
}

TEST(X11KeyboardLayout, DeadKeysGiveTheirAccent) {
    const X11KeyboardLayout layout;
    ASSERT_EQ(runCommand({"setxkbmap", "de"}), 0);
    const auto acute = layout.keyText(21);
    const auto circumflex = layout.keyText(49);
    ASSERT_EQ(runCommand({"setxkbmap", "us"}), 0);
    EXPECT_EQ(acute, "´");
    EXPECT_EQ(circumflex, "^");
}

TEST(X11KeyboardLayout, GivesNothingWithoutADisplay) {
    EXPECT_EQ(X11KeyboardLayout(":4095").keyText(39), std::nullopt);
}

}  // namespace
}  // namespace clicktrove::platform
