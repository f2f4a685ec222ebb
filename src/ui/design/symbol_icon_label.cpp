#include "ui/design/symbol_icon_label.hpp"

#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"

#include <QPainter>
#include <cmath>
#include <utility>

namespace clicktrove {

SymbolIconLabel::SymbolIconLabel(QString symbol, AdaptiveColor color, QFont font, QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), color_(std::move(color)), font_(std::move(font)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] {
        if (color_.isAdaptive()) update();
    });
}

SymbolIconLabel::SymbolIconLabel(QWidget* parent) : SymbolIconLabel(QString(), AdaptiveColor(), font(), parent) {}

void SymbolIconLabel::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    update();
}

void SymbolIconLabel::setColor(const AdaptiveColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void SymbolIconLabel::setSymbolFont(const QFont& font) {
    font_ = font;
    updateGeometry();
    update();
}

QSize SymbolIconLabel::sizeHint() const {
    const int side = static_cast<int>(std::ceil(SymbolIcons::extent(font_)));
    return {side, side};
}

void SymbolIconLabel::paintEvent(QPaintEvent*) {
    if (symbol_.isEmpty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    SymbolIcons::paint(painter, QRectF(rect()), symbol_, color_.current(), font_);
}

}  // namespace clicktrove
