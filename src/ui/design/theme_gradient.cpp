#include "ui/design/theme_gradient.hpp"

#include "services/accent_colors.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <utility>

namespace clicktrove {

ThemeGradient::ThemeGradient(AdaptiveColor first, AdaptiveColor second, QPointF startUnit, QPointF endUnit)
    : first_(std::move(first)), second_(std::move(second)), start_(startUnit), end_(endUnit) {}

const ThemeGradient& ThemeGradient::vaqGreen() {
    static const ThemeGradient value{ThemeColors::green(), QColor::fromRgbF(0.024f, 0.588f, 0.42f), topLeading,
                                     bottomTrailing};
    return value;
}

const ThemeGradient& ThemeGradient::vaqRed() {
    static const ThemeGradient value{ThemeColors::red(), QColor::fromRgbF(0.78f, 0.157f, 0.157f), topLeading,
                                     bottomTrailing};
    return value;
}

const ThemeGradient& ThemeGradient::vaqAmber() {
    static const ThemeGradient value{ThemeColors::amber(), QColor::fromRgbF(0.847f, 0.49f, 0.027f), topLeading,
                                     bottomTrailing};
    return value;
}

const ThemeGradient& ThemeGradient::vaqBackground() {
    static const ThemeGradient value{ThemeColors::vaqBackground(), ThemeColors::vaqBackground().withOpacity(0.9), top,
                                     bottom};
    return value;
}

ThemeGradient ThemeGradient::accent(AccentThemeColor color) {
    const AdaptiveColor base{accentColor(color, false), accentColor(color, true)};
    return {base, base.withOpacity(0.7), topLeading, bottomTrailing};
}

QLinearGradient ThemeGradient::toLinearGradient(const QRectF& rect, bool dark, Qt::LayoutDirection direction) const {
    const auto toPoint = [&](QPointF unit) {
        const qreal x = direction == Qt::RightToLeft ? 1.0 - unit.x() : unit.x();
        return QPointF(rect.left() + x * rect.width(), rect.top() + unit.y() * rect.height());
    };
    QLinearGradient gradient(toPoint(start_), toPoint(end_));
    gradient.setColorAt(0.0, first_.resolve(dark));
    gradient.setColorAt(1.0, second_.resolve(dark));
    return gradient;
}

QLinearGradient ThemeGradient::toLinearGradient(const QRectF& rect, Qt::LayoutDirection direction) const {
    return toLinearGradient(rect, ThemeAppearance::instance().isDark(), direction);
}

}  // namespace clicktrove
