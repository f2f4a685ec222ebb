#pragma once

#include "ui/design/appearance.hpp"

#include <QColor>

namespace clicktrove {

// A colour with one value for the light appearance and one for the dark one. A fixed colour converts
// implicitly and resolves to itself under every appearance, so components take AdaptiveColor wherever a caller
// may pass either kind and the colour follows a theme switch without the caller's help.
class AdaptiveColor {
public:
    AdaptiveColor() = default;
    AdaptiveColor(const QColor& fixed)  // NOLINT(google-explicit-constructor): fixed colours convert on purpose
        : light_(fixed), dark_(fixed) {}
    AdaptiveColor(const QColor& light, const QColor& dark) : light_(light), dark_(dark) {}

    const QColor& light() const { return light_; }
    const QColor& dark() const { return dark_; }
    bool isAdaptive() const { return light_ != dark_; }

    QColor resolve(bool dark) const { return dark ? dark_ : light_; }
    QColor resolve(Appearance appearance) const { return resolve(usesDarkColors(appearance)); }
    // The value under the process's current appearance (ThemeAppearance).
    QColor current() const;

    // The same colour with its alpha multiplied by factor, in both appearances.
    AdaptiveColor withOpacity(qreal factor) const;

    friend bool operator==(const AdaptiveColor& a, const AdaptiveColor& b) {
        return a.light_ == b.light_ && a.dark_ == b.dark_;
    }

private:
    QColor light_;
    QColor dark_;
};

// A colour with its alpha multiplied by factor (clamped to 0...1).
QColor withOpacity(const QColor& color, qreal factor);

}  // namespace clicktrove
