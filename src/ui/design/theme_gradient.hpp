#pragma once

#include "services/accent_theme_color.hpp"
#include "ui/design/adaptive_color.hpp"

#include <QLinearGradient>
#include <QPointF>
#include <QRectF>

namespace clicktrove {

// A two-colour linear gradient, evenly spread, between two unit points of whatever rectangle it fills. Both
// colours may be adaptive, so the gradient is resolved for an appearance when it is painted. Unit points are
// in leading/trailing terms: x 0 is the leading edge, mirrored for right-to-left layouts.
class ThemeGradient {
public:
    ThemeGradient() = default;
    ThemeGradient(AdaptiveColor first, AdaptiveColor second, QPointF startUnit, QPointF endUnit);

    static constexpr QPointF topLeading{0.0, 0.0};
    static constexpr QPointF top{0.5, 0.0};
    static constexpr QPointF bottom{0.5, 1.0};
    static constexpr QPointF bottomTrailing{1.0, 1.0};

    // The palette's gradients: green, red and amber (the fixed colour to a darker shade, top-leading to
    // bottom-trailing) and the window background (the background colour to itself at 90 %, top to bottom).
    static const ThemeGradient& vaqGreen();
    static const ThemeGradient& vaqRed();
    static const ThemeGradient& vaqAmber();
    static const ThemeGradient& vaqBackground();
    // The user's accent: its colour to the same colour at 70 % opacity, top-leading to bottom-trailing.
    static ThemeGradient accent(AccentThemeColor color);

    const AdaptiveColor& first() const { return first_; }
    const AdaptiveColor& second() const { return second_; }
    QPointF startUnit() const { return start_; }
    QPointF endUnit() const { return end_; }

    QLinearGradient toLinearGradient(const QRectF& rect, bool dark,
                                     Qt::LayoutDirection direction = Qt::LeftToRight) const;
    // Under the current appearance.
    QLinearGradient toLinearGradient(const QRectF& rect, Qt::LayoutDirection direction = Qt::LeftToRight) const;

    friend bool operator==(const ThemeGradient& a, const ThemeGradient& b) {
        return a.first_ == b.first_ && a.second_ == b.second_ && a.start_ == b.start_ && a.end_ == b.end_;
    }

private:
    AdaptiveColor first_;
    AdaptiveColor second_;
    QPointF start_{topLeading};
    QPointF end_{bottomTrailing};
};

}  // namespace clicktrove
