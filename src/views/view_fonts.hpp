#pragma once

#include <QApplication>
#include <QFont>

namespace clicktrove {

// The application font at the sizes and weights of the desktop text styles the screens name.
struct ViewFonts {
    enum class Style { title, title3, headline, body, callout, subheadline, caption, caption2 };

    static QFont system(double pointSize, QFont::Weight weight = QFont::Normal) {
        QFont font = QApplication::font();
        font.setPointSizeF(pointSize);
        font.setWeight(weight);
        return font;
    }
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
                return system(9.5, weight);
        }
        return system(13, weight);
    }
};

}  // namespace clicktrove
