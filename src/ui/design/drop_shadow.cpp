#include "ui/design/drop_shadow.hpp"

#include <algorithm>
#include <cmath>

namespace clicktrove {

int DropShadow::blurReach(qreal radius) {
    if (radius <= 0.0) return 0;
    return static_cast<int>(std::ceil(1.5 * radius)) + 1;
}

QMargins DropShadow::reach() const {
    const qreal blur = blurReach(radius);
    const auto side = [blur](qreal shift) { return static_cast<int>(std::ceil(std::max(0.0, blur + shift))); };
    return {side(-offset.x()), side(-offset.y()), side(offset.x()), side(offset.y())};
}

}  // namespace clicktrove
