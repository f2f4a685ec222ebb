#include "ui/design/vaq_stat_badge.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/live_text.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/straight_strip_painter.hpp"
#include "ui/design/symbol_icon_label.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <utility>

namespace clicktrove {

namespace {
constexpr qreal kCornerRadius = 12.0;
constexpr int kVerticalPadding = 12;
constexpr int kSpacing = 4;
}  // namespace

VaqStatBadge::VaqStatBadge(QString label, QString value, AdaptiveColor valueColor, std::optional<QString> icon,
                           QWidget* parent)
    : QWidget(parent), valueColor_(std::move(valueColor)), icon_(std::move(icon)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, kVerticalPadding, 0, kVerticalPadding);
    column->setSpacing(kSpacing);

    iconLabel_ = new SymbolIconLabel(icon_.value_or(QString()), ThemeColors::vaqTextSecondary(), designFont(11), this);
    iconLabel_->setVisible(icon_.has_value());
    value_ = new LiveText(this);
    value_->setFont(designFont(18, QFont::Bold, FontDesign::rounded));
    value_->setAlignment(Qt::AlignCenter);
    value_->setText(value);
    caption_ = new QLabel(label, this);
    caption_->setTextFormat(Qt::PlainText);
    caption_->setFont(designFont(10, QFont::Medium));
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setWordWrap(true);

    column->addWidget(iconLabel_, 0, Qt::AlignHCenter);
    // Across the whole tile, centred inside: a value of another width is then drawn in place.
    column->addWidget(value_);
    column->addWidget(caption_);
    applyColors();
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { applyColors(); });
}

QString VaqStatBadge::label() const {
    return caption_->text();
}
QString VaqStatBadge::value() const {
    return value_->text();
}
QWidget* VaqStatBadge::iconLabel() const {
    return iconLabel_;
}

void VaqStatBadge::setLabel(const QString& label) {
    if (label != caption_->text()) caption_->setText(label);
}

void VaqStatBadge::setValue(const QString& value) {
    value_->setText(value);
}

void VaqStatBadge::setValueColor(const AdaptiveColor& color) {
    if (color == valueColor_) return;
    valueColor_ = color;
    applyColors();
}

void VaqStatBadge::setIcon(const std::optional<QString>& icon) {
    if (icon == icon_) return;
    icon_ = icon;
    iconLabel_->setSymbol(icon_.value_or(QString()));
    iconLabel_->setVisible(icon_.has_value());
}

void VaqStatBadge::applyColors() {
    const auto setText = [](QWidget* label, const QColor& color) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    };
    setText(value_, valueColor_.current());
    setText(caption_, ThemeColors::textSecondary());
    update();
}

void VaqStatBadge::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // A new value repaints the tile under its line, away from the corners.
    if (paintStraightStrip(painter, rect(), kCornerRadius, event->rect(), {ThemeColors::surfaceRaised()},
                           ThemeColors::border())) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    painter.fillPath(continuousRoundedRect(bounds, kCornerRadius), ThemeColors::surfaceRaised());
    QPen pen(ThemeColors::border(), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(continuousRoundedRect(borderRect(bounds), kCornerRadius));
}

}  // namespace clicktrove
