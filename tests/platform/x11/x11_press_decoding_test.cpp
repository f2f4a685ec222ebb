// gtest first: X.h defines None, which gtest's own headers use as a name.
#include <gtest/gtest.h>

#include "platform/modifier_flags.hpp"
#include "platform/x11/x11_modifier_mapping.hpp"
#include "platform/x11/x11_raw_input_watcher.hpp"

#include <X11/X.h>
#include <X11/keysym.h>

namespace clicktrove::platform {
namespace {

using F = ModifierFlags;

struct StateCase {
    unsigned int xState;
    bool keypad;
    std::uint64_t flags;
};

TEST(X11ModifierMapping, StockMappingTranslatesEachXModifierOntoItsFlag) {
    const X11ModifierMapping stock;
    const StateCase cases[] = {
        {0, false, 0},
        {ShiftMask, false, F::shift},
        {LockMask, false, F::capsLock},
        {ControlMask, false, F::command},
        {Mod1Mask, false, F::option},
        {Mod4Mask, false, F::control},
        // Num Lock (Mod2), a layout's level-three shift (Mod5) and Mod3 carry no flag.
        {Mod2Mask | Mod3Mask | Mod5Mask, false, 0},
        {ControlMask | ShiftMask | Mod2Mask, false, F::command | F::shift},
        // Pointer-button bits of the state are not modifiers.
        {Button1Mask | ShiftMask, false, F::shift},
        {0, true, F::numericPad},
        {ControlMask | Mod1Mask | Mod4Mask | ShiftMask | LockMask, true,
         F::command | F::option | F::control | F::shift | F::capsLock | F::numericPad},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stock.modifierFlags(c.xState, c.keypad), c.flags) << "state " << c.xState;
    }
}

TEST(X11ModifierMapping, AltAndSuperFollowTheServersModifierMap) {
    std::array<std::vector<unsigned long>, 8> keysyms;
    keysyms[ShiftMapIndex] = {XK_Shift_L, XK_Shift_R};
    keysyms[ControlMapIndex] = {XK_Control_L};
    keysyms[Mod2MapIndex] = {XK_Num_Lock};
    keysyms[Mod3MapIndex] = {XK_Meta_L};
    keysyms[Mod5MapIndex] = {XK_Super_R, XK_ISO_Level3_Shift};
    const auto mapping = X11ModifierMapping::fromModifierKeysyms(keysyms);
    EXPECT_EQ(mapping.altMask(), unsigned{Mod3Mask});
    EXPECT_EQ(mapping.superMask(), unsigned{Mod5Mask});
    EXPECT_EQ(mapping.modifierFlags(Mod3Mask, false), F::option);
    EXPECT_EQ(mapping.modifierFlags(Mod5Mask, false), F::control);
    // With Alt moved away, Mod1 means nothing.
    EXPECT_EQ(mapping.modifierFlags(Mod1Mask | Mod4Mask, false), 0u);
}

TEST(X11ModifierMapping, KeysymsOnShiftLockOrControlNeverMakeAltOrSuper) {
    std::array<std::vector<unsigned long>, 8> keysyms;
    keysyms[ControlMapIndex] = {XK_Control_L, XK_Super_L};
    keysyms[LockMapIndex] = {XK_Alt_L};
    const auto mapping = X11ModifierMapping::fromModifierKeysyms(keysyms);
    EXPECT_EQ(mapping.altMask(), 0u);
    EXPECT_EQ(mapping.superMask(), 0u);
    EXPECT_EQ(mapping.modifierFlags(ControlMask, false), F::command);
}

TEST(X11ButtonKind, SortsButtonNumbersAndDropsTheWheel) {
    using B = MouseButtonPress::Button;
    const std::pair<unsigned int, std::optional<B>> cases[] = {
        {0, std::nullopt}, {1, B::left},      {2, B::middle}, {3, B::right}, {4, std::nullopt}, {5, std::nullopt},
        {6, std::nullopt}, {7, std::nullopt}, {8, B::other},  {9, B::other}, {255, B::other},
    };
    for (const auto& [number, kind] : cases) {
        EXPECT_EQ(X11RawInputWatcher::buttonKind(number), kind) << "button " << number;
    }
}

}  // namespace
}  // namespace clicktrove::platform
