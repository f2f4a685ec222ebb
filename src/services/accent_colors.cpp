#include "services/accent_colors.hpp"

namespace clicktrove {

namespace {
struct Variants {
    QRgb light;
    QRgb dark;
};

// The standard system colours of these names (the desktop palette the program's look was designed with),
// which shift slightly brighter in the dark appearance to keep their contrast.
constexpr Variants variants(AccentThemeColor color) {
    switch (color) {
        case AccentThemeColor::blue:
            return {qRgb(0, 122, 255), qRgb(10, 132, 255)};
        case AccentThemeColor::red:
            return {qRgb(255, 59, 48), qRgb(255, 69, 58)};
        case AccentThemeColor::green:
            return {qRgb(52, 199, 89), qRgb(48, 209, 88)};
        case AccentThemeColor::purple:
            return {qRgb(175, 82, 222), qRgb(191, 90, 242)};
        case AccentThemeColor::orange:
            return {qRgb(255, 149, 0), qRgb(255, 159, 10)};
        case AccentThemeColor::pink:
            return {qRgb(255, 45, 85), qRgb(255, 55, 95)};
        case AccentThemeColor::yellow:
            return {qRgb(255, 204, 0), qRgb(255, 214, 10)};
        case AccentThemeColor::cyan:
            return {qRgb(50, 173, 230), qRgb(100, 210, 255)};
        case AccentThemeColor::mint:
            return {qRgb(0, 199, 190), qRgb(99, 230, 226)};
        case AccentThemeColor::indigo:
            return {qRgb(88, 86, 214), qRgb(94, 92, 230)};
    }
    return {qRgb(0, 122, 255), qRgb(10, 132, 255)};
}
}  // namespace

QColor accentColor(AccentThemeColor color, bool darkAppearance) {
    const auto v = variants(color);
    return QColor::fromRgb(darkAppearance ? v.dark : v.light);
}

QLinearGradient accentGradient(AccentThemeColor color, bool darkAppearance, const QRectF& rect,
                               Qt::LayoutDirection direction) {
    const bool rtl = direction == Qt::RightToLeft;
    QLinearGradient gradient(rtl ? rect.topRight() : rect.topLeft(), rtl ? rect.bottomLeft() : rect.bottomRight());
    const QColor start = accentColor(color, darkAppearance);
    QColor end = start;
    end.setAlphaF(start.alphaF() * 0.7f);
    gradient.setColorAt(0.0, start);
    gradient.setColorAt(1.0, end);
    return gradient;
}

}  // namespace clicktrove
