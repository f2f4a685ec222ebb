#pragma once

#include <nlohmann/json.hpp>

#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

namespace clicktrove {

// Where the main window was: its normal (not maximised) geometry, as the window system reports it for the
// window's content, and whether it was maximised.
struct WindowFrame {
    QRect geometry;
    bool maximized = false;

    friend bool operator==(const WindowFrame&, const WindowFrame&) = default;
};

// {"x", "y", "width", "height", "maximized"}; nothing for a value of any other shape or with a size below 1.
nlohmann::json encodeWindowFrame(const WindowFrame& frame);
std::optional<WindowFrame> decodeWindowFrame(const nlohmann::json& value);

// Where the window opens, given the screens as they are now (their available areas, without panels and docks)
// and which of them is the primary one:
// - the first time, at the preferred size, made to fit the primary screen, centred on it;
// - after that, where it was, as long as its title strip still lies on one of the screens; it is made to fit that
//   screen (a screen that became smaller) and moved fully onto it;
// - when it was on a screen that is gone, or off every screen, at its size, made to fit the primary screen and
//   centred on it.
// Never smaller than minimum, where the screen leaves room for it.
QRect placeWindow(const std::optional<QRect>& saved, const std::vector<QRect>& screens, std::size_t primary,
                  QSize preferred, QSize minimum);

// The room left above the content for the window system's title bar, and at the sides for its borders, when a
// size is made to fit a screen.
inline constexpr QSize kWindowDecorationAllowance{16, 48};
// How much of the top of the window must lie on a screen for it to be reachable there.
inline constexpr QSize kReachableStrip{120, 24};

}  // namespace clicktrove
