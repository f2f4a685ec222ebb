#include "ui/widgets/themed_label.hpp"

#include "ui/design/theme_appearance.hpp"

#include <QEvent>
#include <QPainter>
#include <QStyle>

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
    const QColor resolved = color_.resolve(ThemeAppearance::isDarkFor(this));
    QPalette p = palette();
    p.setColor(QPalette::WindowText, resolved);
    p.setColor(QPalette::Text, resolved);
    setPalette(p);
}

void ThemedLabel::setElideMode(Qt::TextElideMode mode) {
    if (mode == elideMode_) return;
    elideMode_ = mode;
    if (mode != Qt::ElideNone) setWordWrap(false);
    updateGeometry();
    update();
    refreshToolTip();
}

void ThemedLabel::setText(const QString& text) {
    QLabel::setText(text);
    refreshToolTip();
}

QString ThemedLabel::shownText() const {
    if (elideMode_ == Qt::ElideNone) return text();
    return fontMetrics().elidedText(text(), elideMode_, contentsRect().width());
}

QSize ThemedLabel::minimumSizeHint() const {
    const QSize full = QLabel::minimumSizeHint();
    if (elideMode_ == Qt::ElideNone) return full;
    const int ellipsis = fontMetrics().horizontalAdvance(QStringLiteral("…"));
    const QMargins margins = contentsMargins();
    return {std::min(full.width(), ellipsis + margins.left() + margins.right()), full.height()};
}

void ThemedLabel::paintEvent(QPaintEvent* event) {
    if (elideMode_ == Qt::ElideNone) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

void ThemedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    refreshToolTip();
}

void ThemedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) refreshToolTip();
    if (event->type() == QEvent::ParentChange) applyColor();
}

void ThemedLabel::refreshToolTip() {
    if (elideMode_ == Qt::ElideNone) return;
    // A cut name is still readable in full on hover.
    const QString tip = isElided() ? text() : QString();
    if (toolTip() != tip) setToolTip(tip);
}

}  // namespace clicktrove
