#include "ui/shell/window_frame_placement.hpp"

#include <algorithm>

namespace clicktrove {

nlohmann::json encodeWindowFrame(const WindowFrame& frame) {
    return {{"x", frame.geometry.x()},
            {"y", frame.geometry.y()},
            {"width", frame.geometry.width()},
            {"height", frame.geometry.height()},
            {"maximized", frame.maximized}};
}

std::optional<WindowFrame> decodeWindowFrame(const nlohmann::json& value) {
    if (!value.is_object()) return std::nullopt;
    const auto integer = [&](const char* key) -> std::optional<int> {
        const auto it = value.find(key);
        if (it == value.end() || !it->is_number_integer()) return std::nullopt;
        const auto v = it->get<std::int64_t>();
        // Far beyond any screen: a damaged value, not a place.
        if (v < -100000 || v > 100000) return std::nullopt;
        return static_cast<int>(v);
    };
    const auto x = integer("x"), y = integer("y"), width = integer("width"), height = integer("height");
    if (!x || !y || !width || !height || *width < 1 || *height < 1) return std::nullopt;
    WindowFrame frame{QRect(*x, *y, *width, *height), false};
    if (const auto it = value.find("maximized"); it != value.end() && it->is_boolean())
        frame.maximized = it->get<bool>();
    return frame;
}

namespace {

// The largest content size that fits the screen with the window's decorations, and at least minimum.
QSize fitted(QSize size, const QRect& screen, QSize minimum) {
    const QSize room = (screen.size() - kWindowDecorationAllowance).expandedTo(QSize(1, 1));
    return size.boundedTo(room).expandedTo(minimum);
}

QRect centredOn(const QRect& screen, QSize size) {
    QRect placed(QPoint(), size);
    placed.moveCenter(screen.center());
    // A window taller or wider than the screen keeps its top and leading edges, and so its title, on it.
    placed.moveTop(std::max(placed.top(), screen.top() + kWindowDecorationAllowance.height() / 2));
    placed.moveLeft(std::max(placed.left(), screen.left()));
    return placed;
}

// The part of the window's top edge that a user grabs to move it.
QRect titleStrip(const QRect& window) {
    return {window.left(), window.top() - kReachableStrip.height(), window.width(), 2 * kReachableStrip.height()};
}

}  // namespace

QRect placeWindow(const std::optional<QRect>& saved, const std::vector<QRect>& screens, std::size_t primary,
                  QSize preferred, QSize minimum) {
    if (screens.empty())
        return {QPoint(0, 0), saved ? saved->size().expandedTo(minimum) : preferred.expandedTo(minimum)};
    const QRect& main = screens[std::min(primary, screens.size() - 1)];
    if (!saved) return centredOn(main, fitted(preferred, main, minimum));

    // The screen that holds most of the title strip, when enough of it is there to reach.
    const QRect* home = nullptr;
    int best = 0;
    for (const QRect& screen : screens) {
        const QRect shared = titleStrip(*saved) & screen;
        const int area = shared.width() * shared.height();
        if (shared.width() >= std::min(kReachableStrip.width(), saved->width()) && area > best) {
            best = area;
            home = &screen;
        }
    }
    if (home == nullptr) return centredOn(main, fitted(saved->size(), main, minimum));

    const QSize size = fitted(saved->size(), *home, minimum);
    QRect placed(saved->topLeft(), size);
    // Where it overhangs its screen, back onto it; where it was placed on it, untouched.
    placed.moveLeft(std::clamp(placed.left(), home->left(), std::max(home->left(), home->right() + 1 - size.width())));
    placed.moveTop(std::clamp(placed.top(), home->top(), std::max(home->top(), home->bottom() + 1 - size.height())));
    return placed;
}

}  // namespace clicktrove
