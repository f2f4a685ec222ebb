#include "ui/dashboard/point_row.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/widgets/number_field.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QHBoxLayout>

namespace clicktrove {

PointRow::PointRow(const QString& label, QWidget* parent) : QWidget(parent) {
    setObjectName(label);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto* caption = new ThemedLabel(label, designFont(11, QFont::Medium), ThemeColors::vaqTextSecondary(), this);
    caption->setFixedWidth(40);
    row->addWidget(caption);
    row->addStretch();
    auto* fields = new QHBoxLayout();
    fields->setSpacing(6);
    // Points off every screen and negative coordinates (monitors left of or above the primary one) are allowed.
    x_ = new NumberField(NumberField::Kind::decimal, true, this);
    y_ = new NumberField(NumberField::Kind::decimal, true, this);
    for (auto [field, letter] : {std::pair{x_, QStringLiteral("X")}, std::pair{y_, QStringLiteral("Y")}}) {
        auto* letterLabel = new ThemedLabel(letter, designFont(10), ThemeColors::vaqTextSecondary(), this);
        letterLabel->setObjectName(letter + QStringLiteral("Caption"));
        // As wide as the letter: a label that may grow would take the row's slack and push the letter away
        // from its field.
        letterLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        fields->addWidget(letterLabel);
        field->setPlaceholderText("0");
        field->setAccessibleName(label + QLatin1Char(' ') + letter);
        VaqTextFieldStyle::apply(field);
        field->setFixedWidth(64);
        fields->addWidget(field);
    }
    row->addLayout(fields);
    connect(x_, &NumberField::decimalCommitted, this, &PointRow::xCommitted);
    connect(y_, &NumberField::decimalCommitted, this, &PointRow::yCommitted);
}

void PointRow::setPoint(const ScreenPoint& point) {
    x_->setDecimalValue(point.x);
    y_->setDecimalValue(point.y);
}

}  // namespace clicktrove
