#pragma once

#include "ui/design/adaptive_color.hpp"

#include <QColor>

namespace clicktrove {

// The program's palette. Each of the six adaptive colours comes three ways: as the pair (vaqSurface(); hand
// that to components so the colour follows theme switches), resolved for a given appearance (surface(dark)),
// and resolved for the current appearance (surface()). The six fixed colours are the same in both
// appearances. Every value is created once per process on first use and is safe to read from any thread.
class ThemeColors {
public:
    // Adaptive: window background, card and field surface, raised surface, borders and dividers, primary
    // and secondary text.
    static const AdaptiveColor& vaqBackground();
    static const AdaptiveColor& vaqSurface();
    static const AdaptiveColor& vaqSurfaceRaised();
    static const AdaptiveColor& vaqBorder();
    static const AdaptiveColor& vaqTextPrimary();
    static const AdaptiveColor& vaqTextSecondary();

    static QColor background(bool dark) { return vaqBackground().resolve(dark); }
    static QColor surface(bool dark) { return vaqSurface().resolve(dark); }
    static QColor surfaceRaised(bool dark) { return vaqSurfaceRaised().resolve(dark); }
    static QColor border(bool dark) { return vaqBorder().resolve(dark); }
    static QColor textPrimary(bool dark) { return vaqTextPrimary().resolve(dark); }
    static QColor textSecondary(bool dark) { return vaqTextSecondary().resolve(dark); }

    // Under the current appearance.
    static QColor background() { return vaqBackground().current(); }
    static QColor surface() { return vaqSurface().current(); }
    static QColor surfaceRaised() { return vaqSurfaceRaised().current(); }
    static QColor border() { return vaqBorder().current(); }
    static QColor textPrimary() { return vaqTextPrimary().current(); }
    static QColor textSecondary() { return vaqTextSecondary().current(); }

    // Fixed accents.
    static QColor purple();
    static QColor indigo();
    static QColor cyan();
    static QColor green();
    static QColor amber();
    static QColor red();

    // The floating panel's own pair; no screen draws with them today.
    static const AdaptiveColor& panelBackground();
    static const AdaptiveColor& panelBorder();
};

}  // namespace clicktrove
