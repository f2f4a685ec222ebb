#pragma once

#include <QColor>
#include <QPalette>

namespace clicktrove {

// The desktop's semantic colours, read from the widget's palette so they follow the light or dark scheme:
// window background = Window, text background = Base, control background = Button, label = WindowText.
struct SemanticColors {
    static QColor withOpacity(QColor color, double opacity) {
        color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
        return color;
    }
    // Secondary text: the label colour toned down, as desktops draw captions and hints.
    static QColor secondaryLabel(const QPalette& palette) {
        return withOpacity(palette.color(QPalette::WindowText), 0.55);
    }
    static QColor windowBackground(const QPalette& palette) { return palette.color(QPalette::Window); }
    static QColor textBackground(const QPalette& palette) { return palette.color(QPalette::Base); }
    static QColor controlBackground(const QPalette& palette) { return palette.color(QPalette::Button); }
};

}  // namespace clicktrove
