#pragma once

#include "ui/design/adaptive_color.hpp"

#include <QFont>
#include <QString>
#include <QWidget>

namespace clicktrove {

// A symbol drawn in a colour and font, sized to the font like a character of text. Repaints on theme switches
// when its colour is adaptive.
class SymbolIconLabel final : public QWidget {
    Q_OBJECT
public:
    SymbolIconLabel(QString symbol, AdaptiveColor color, QFont font, QWidget* parent = nullptr);
    explicit SymbolIconLabel(QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    const AdaptiveColor& color() const { return color_; }

    void setSymbol(const QString& symbol);
    void setColor(const AdaptiveColor& color);
    void setSymbolFont(const QFont& font);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    AdaptiveColor color_;
    QFont font_;
};

}  // namespace clicktrove
