#include "ui/widgets/labelled_integer_field.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/widgets/number_field.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QVBoxLayout>

namespace clicktrove {

LabelledIntegerField::LabelledIntegerField(const QString& label, QWidget* parent) : QWidget(parent) {
    setObjectName(label);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    // Negative parts would read as a value while the engine counts them as 0, so they are refused.
    field_ = new NumberField(NumberField::Kind::integer, false, this);
    field_->setPlaceholderText("0");
    field_->setAccessibleName(label);
    VaqTextFieldStyle::apply(field_);
    field_->setFixedWidth(64);
    column->addWidget(field_, 0, Qt::AlignHCenter);
    auto* caption = new ThemedLabel(label, designFont(10, QFont::DemiBold), ThemeColors::vaqTextSecondary(), this);
    caption->setAlignment(Qt::AlignCenter);
    column->addWidget(caption, 0, Qt::AlignHCenter);
    connect(field_, &NumberField::integerCommitted, this, &LabelledIntegerField::committed);
}

void LabelledIntegerField::setValue(std::int64_t value) {
    field_->setIntegerValue(value);
}

}  // namespace clicktrove
