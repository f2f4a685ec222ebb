#pragma once

#include "ui/design/adaptive_color.hpp"

#include <QLabel>

namespace clicktrove {

// A label in a theme colour that follows theme switches (or a fixed colour). With an elide mode it stays on one
// line: a text wider than the label is cut with an ellipsis and the whole text becomes its tooltip.
class ThemedLabel final : public QLabel {
    Q_OBJECT
public:
    ThemedLabel(const QString& text, const QFont& font, AdaptiveColor color, QWidget* parent = nullptr);

    const AdaptiveColor& color() const { return color_; }
    void setColor(const AdaptiveColor& color);

    // Qt::ElideNone (the default) shows the text as QLabel does.
    void setElideMode(Qt::TextElideMode mode);
    Qt::TextElideMode elideMode() const { return elideMode_; }
    // Replaces QLabel::setText so that the ellipsis and the tooltip follow the new text.
    void setText(const QString& text);
    // What is drawn: the text, or its elided form while it does not fit.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

    // While eliding, the label may shrink down to its ellipsis.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColor();
    void refreshToolTip();

    AdaptiveColor color_;
    Qt::TextElideMode elideMode_ = Qt::ElideNone;
};

}  // namespace clicktrove
