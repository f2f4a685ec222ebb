#include "services/key_shortcut.hpp"

#include "platform/fake/fake_keyboard_layout.hpp"
#include "platform/modifier_flags.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unordered_set>

namespace clicktrove {
namespace {

using F = platform::ModifierFlags;
using platform::FakeKeyboardLayout;

// A layout that types something on every key, the fixed-name keys included, so that a fixed name can only
// come from the fixed table.
FakeKeyboardLayout usLikeLayout() {
    return FakeKeyboardLayout({{39, "s"}, {36, "\r"}, {65, " "}, {9, "x"}, {113, "l"}, {47, "ä"}, {48, "ß"}});
}

TEST(KeyShortcutDisplayString, ModifierSignsComeInTheFixedOrderWhateverTheBits) {
    const FakeKeyboardLayout layout = usLikeLayout();
    const std::pair<KeyShortcut, std::string> cases[] = {
        {{39, F::command | F::shift}, "⇧⌘S"},
        {{36, F::control | F::command}, "⌃⌘Return"},
        {{39, F::command | F::shift | F::option | F::control}, "⌃⌥⇧⌘S"},
        {{65, F::option}, "⌥Space"},
        // Caps Lock, keypad, Help, Function and device-dependent bits show nothing.
        {{39, F::capsLock | F::numericPad | F::help | F::function | 0xFFFF}, "S"},
        {{200, F::shift}, "⇧Key 200"},
    };
    for (const auto& [shortcut, text] : cases) {
        EXPECT_EQ(shortcut.displayString(layout), text) << shortcut.keyCode << " " << shortcut.modifierFlags;
    }
}

TEST(KeyShortcutKeyName, FixedNamesWinOverTheLayout) {
    const FakeKeyboardLayout layout = usLikeLayout();
    const std::pair<std::uint16_t, const char*> cases[] = {
        {36, "Return"}, {23, "Tab"},    {65, "Space"}, {9, "Esc"},
        {113, "Left"},  {114, "Right"}, {116, "Down"}, {111, "Up"},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(KeyShortcut::keyName(code, layout), name) << code;
}

TEST(KeyShortcutKeyName, OtherKeysAreTheLayoutsTextUpperCasedOrTheCode) {
    const FakeKeyboardLayout layout = usLikeLayout();
    const std::pair<std::uint16_t, const char*> cases[] = {
        {39, "S"}, {47, "Ä"}, {48, "SS"}, {40, "Key 40"}, {0, "Key 0"}, {65535, "Key 65535"},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(KeyShortcut::keyName(code, layout), name) << code;
}

TEST(KeyShortcutJson, WritesBothFieldsAndReadsThemBack) {
    const KeyShortcut shortcut{39, F::command | F::shift};
    const nlohmann::json json = shortcut;
    EXPECT_EQ(json, nlohmann::json::parse(R"({"keyCode":39,"modifierFlags":1179648})"));
    EXPECT_EQ(json.get<KeyShortcut>(), shortcut);
    const KeyShortcut extreme{65535, 0xFFFFFFFFFFFFFFFFull};
    EXPECT_EQ(nlohmann::json(extreme).get<KeyShortcut>(), extreme);
}

TEST(KeyShortcutJson, RejectsMissingWrongAndOutOfRangeValues) {
    const char* bad[] = {
        R"({"modifierFlags":0})",
        R"({"keyCode":39})",
        R"({"keyCode":"39","modifierFlags":0})",
        R"({"keyCode":-1,"modifierFlags":0})",
        R"({"keyCode":65536,"modifierFlags":0})",
        R"({"keyCode":39.5,"modifierFlags":0})",
        R"({"keyCode":39,"modifierFlags":-131072})",
        R"({"keyCode":39,"modifierFlags":null})",
        R"([39,0])",
    };
    for (const char* text : bad) {
        EXPECT_THROW(nlohmann::json::parse(text).get<KeyShortcut>(), nlohmann::json::exception) << text;
    }
}

TEST(KeyShortcut, EqualityAndHashTakeBothFields) {
    const std::unordered_set<KeyShortcut> set = {{39, F::shift}, {39, F::shift}, {39, F::command}, {40, F::shift}};
    EXPECT_EQ(set.size(), 3u);
    EXPECT_NE((KeyShortcut{39, F::shift}), (KeyShortcut{39, F::command}));
    EXPECT_NE((KeyShortcut{39, F::shift}), (KeyShortcut{40, F::shift}));
}

}  // namespace
}  // namespace clicktrove
