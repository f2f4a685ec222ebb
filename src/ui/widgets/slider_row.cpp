#include "ui/widgets/slider_row.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/widgets/themed_label.hpp"
#include "ui/widgets/value_text.hpp"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

namespace clicktrove {

SliderRow::SliderRow(const QString& label, int lower, int upper, const QString& unit, QWidget* parent)
    : QWidget(parent), unit_(unit) {
    setObjectName(label);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    auto* caption = new ThemedLabel(label, designFont(11, QFont::Medium), ThemeColors::vaqTextSecondary(), this);
    caption->setFixedWidth(50);
    row->addWidget(caption);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(lower, upper);
    slider_->setSingleStep(1);
    slider_->setPageStep(1);
    slider_->setAccessibleName(label);
    slider_->setMinimumWidth(120);
    row->addWidget(slider_, 1);
    value_ = new ThemedLabel(QString(), designFont(11, QFont::DemiBold), ThemeColors::vaqTextPrimary(), this);
    value_->setFixedWidth(52);
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(value_);
    // valueChanged also fires for setValue from code, which runs under a blocker.
    connect(slider_, &QSlider::valueChanged, this, [this](int v) { emit moved(static_cast<double>(v)); });
}

QString SliderRow::valueText() const {
    return value_->text();
}

void SliderRow::setValue(double value) {
    value_->setText(sliderValueText(value, unit_));
    const QSignalBlocker blocker(slider_);
    const double clamped = std::isfinite(value)
                               ? std::clamp(value, double(slider_->minimum()), double(slider_->maximum()))
                               : double(slider_->minimum());
    slider_->setValue(static_cast<int>(std::trunc(clamped)));
}

}  // namespace clicktrove
