#include "ui/widgets/themed_label.hpp"

#include "ui/design/theme_appearance.hpp"

namespace clicktrove {

ThemedLabel::ThemedLabel(const QString& text, const QFont& font, AdaptiveColor color, QWidget* parent)
    : QLabel(text, parent), color_(std::move(color)) {
    setFont(font);
    applyColor();
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, &ThemedLabel::applyColor);
}

void ThemedLabel::setColor(const AdaptiveColor& color) {
    if (color == color_) return;
    color_ = color;
    applyColor();
}

void ThemedLabel::applyColor() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color_.current());
    p.setColor(QPalette::Text, color_.current());
    setPalette(p);
}

}  // namespace clicktrove
