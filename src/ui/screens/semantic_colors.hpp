#pragma once

#include <QColor>
#include <QPalette>

namespace clicktrove {

// The desktop's semantic colours, read from the widget's palette so they follow the light or dark scheme:
// window background = Window, text background = Base, control background = Button, secondary text =
// PlaceholderText (the toned-down text colour every palette carries; the themes set it to their secondary text).
struct SemanticColors {
    static QColor withOpacity(QColor color, double opacity) {
        color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
        return color;
    }
    static constexpr QPalette::ColorRole kSecondaryRole = QPalette::PlaceholderText;
    static QColor secondaryLabel(const QPalette& palette) { return palette.color(kSecondaryRole); }
    static QColor windowBackground(const QPalette& palette) { return palette.color(QPalette::Window); }
    static QColor textBackground(const QPalette& palette) { return palette.color(QPalette::Base); }
    static QColor controlBackground(const QPalette& palette) { return palette.color(QPalette::Button); }
};

}  // namespace clicktrove
