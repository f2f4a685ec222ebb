#include "ui/design/adaptive_color.hpp"

#include "ui/design/theme_appearance.hpp"

#include <algorithm>

namespace clicktrove {

QColor AdaptiveColor::current() const {
    return resolve(ThemeAppearance::instance().appearance());
}

AdaptiveColor AdaptiveColor::withOpacity(qreal factor) const {
    return {clicktrove::withOpacity(light_, factor), clicktrove::withOpacity(dark_, factor)};
}

QColor withOpacity(const QColor& color, qreal factor) {
    QColor result = color;
    result.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * factor, 0.0, 1.0)));
    return result;
}

}  // namespace clicktrove
