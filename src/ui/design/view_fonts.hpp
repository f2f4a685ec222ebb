#pragma once

#include "ui/design/design_font.hpp"

#include <QFont>

namespace clicktrove {

// The system font at the sizes and weights of the text styles the screens name (sizes in layout points).
struct ViewFonts {
    enum class Style { title, title3, headline, body, callout, subheadline, caption, caption2 };

    static QFont system(double points, QFont::Weight weight = QFont::Normal) { return designFont(points, weight); }
    static QFont style(Style style, QFont::Weight weight = QFont::Normal) {
        switch (style) {
            case Style::title:
                return system(22, weight);
            case Style::title3:
                return system(15, weight);
            case Style::headline:
                return system(13, weight == QFont::Normal ? QFont::Bold : weight);
            case Style::body:
                return system(13, weight);
            case Style::callout:
                return system(12, weight);
            case Style::subheadline:
                return system(11, weight);
            case Style::caption:
                return system(10, weight);
            case Style::caption2:
                return system(10, weight);
        }
        return system(13, weight);
    }
};

}  // namespace clicktrove
