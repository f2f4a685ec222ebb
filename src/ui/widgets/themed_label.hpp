#pragma once

#include "ui/design/adaptive_color.hpp"

#include <QLabel>

namespace clicktrove {

// A label in a theme colour that follows theme switches (or a fixed colour).
class ThemedLabel final : public QLabel {
    Q_OBJECT
public:
    ThemedLabel(const QString& text, const QFont& font, AdaptiveColor color, QWidget* parent = nullptr);

    const AdaptiveColor& color() const { return color_; }
    void setColor(const AdaptiveColor& color);

private:
    void applyColor();

    AdaptiveColor color_;
};

}  // namespace clicktrove
