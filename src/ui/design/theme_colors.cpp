#include "ui/design/theme_colors.hpp"

namespace clicktrove {

namespace {

QColor rgb(float red, float green, float blue) {
    return QColor::fromRgbF(red, green, blue, 1.0f);
}

// Function-local statics: created once on first use, thread-safe by the language's rules.
#define CLICKTROVE_ADAPTIVE(name, light, dark)         \
    const AdaptiveColor& ThemeColors::name() {         \
        static const AdaptiveColor value{light, dark}; \
        return value;                                  \
    }

}  // namespace

CLICKTROVE_ADAPTIVE(vaqBackground, rgb(0.96f, 0.97f, 0.98f), rgb(0.031f, 0.047f, 0.078f))
CLICKTROVE_ADAPTIVE(vaqSurface, QColor(Qt::white), rgb(0.067f, 0.094f, 0.153f))
CLICKTROVE_ADAPTIVE(vaqSurfaceRaised, rgb(0.98f, 0.985f, 0.99f), rgb(0.094f, 0.125f, 0.196f))
CLICKTROVE_ADAPTIVE(vaqBorder, rgb(0.88f, 0.90f, 0.93f), rgb(0.118f, 0.165f, 0.247f))
CLICKTROVE_ADAPTIVE(vaqTextPrimary, rgb(0.10f, 0.12f, 0.15f), rgb(0.945f, 0.961f, 0.98f))
CLICKTROVE_ADAPTIVE(vaqTextSecondary, rgb(0.45f, 0.50f, 0.58f), rgb(0.392f, 0.455f, 0.545f))
// The floating panel's pair: a slightly translucent surface and the border colour.
CLICKTROVE_ADAPTIVE(panelBackground, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.92f),
                    QColor::fromRgbF(0.067f, 0.094f, 0.153f, 0.92f))
CLICKTROVE_ADAPTIVE(panelBorder, rgb(0.88f, 0.90f, 0.93f), rgb(0.118f, 0.165f, 0.247f))

#undef CLICKTROVE_ADAPTIVE

QColor ThemeColors::purple() {
    return rgb(0.486f, 0.227f, 0.929f);
}
QColor ThemeColors::indigo() {
    return rgb(0.31f, 0.275f, 0.898f);
}
QColor ThemeColors::cyan() {
    return rgb(0.024f, 0.714f, 0.831f);
}
QColor ThemeColors::green() {
    return rgb(0.063f, 0.725f, 0.506f);
}
QColor ThemeColors::amber() {
    return rgb(0.961f, 0.62f, 0.043f);
}
QColor ThemeColors::red() {
    return rgb(0.937f, 0.267f, 0.267f);
}

}  // namespace clicktrove
