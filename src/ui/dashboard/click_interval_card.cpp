#include "ui/dashboard/click_interval_card.hpp"

#include "session/auto_clicker_view_model.hpp"
#include "ui/design/design_control_style.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_section_header.hpp"
#include "ui/widgets/info_helper_button.hpp"
#include "ui/widgets/labelled_integer_field.hpp"
#include "ui/widgets/slider_row.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

using IntervalPart = std::int64_t ClickConfig::*;

constexpr std::array<IntervalPart, 5> kParts{&ClickConfig::intervalHours, &ClickConfig::intervalMinutes,
                                             &ClickConfig::intervalSeconds, &ClickConfig::intervalMilliseconds,
                                             &ClickConfig::intervalMicroseconds};

}  // namespace

ClickIntervalCard::ClickIntervalCard(AutoClickerViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    setObjectName("ClickIntervalCard");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    column->addWidget(
        new VaqSectionHeader("clock.fill", tr("Click Interval"), ThemeColors::cyan(),
                             tr("Controls how often clicks fire. Enter hours, minutes, seconds, ms, or µs."), this));

    auto* fieldsRow = new QHBoxLayout();
    fieldsRow->setSpacing(8);
    const std::array<QString, 5> labels{tr("Hrs"), tr("Mins"), tr("Secs"), tr("Ms"), tr("µs")};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        fields_[i] = new LabelledIntegerField(labels[i], this);
        fieldsRow->addWidget(fields_[i]);
        const IntervalPart part = kParts[i];
        connect(fields_[i], &LabelledIntegerField::committed, this, [this, part](std::int64_t value) {
            viewModel_.editConfig([&](ClickConfig& config) { config.*part = value; });
        });
    }
    column->addLayout(fieldsRow);

    // 8 points from the box to its text: the indicator keeps 3 of them around its box for the focus ring.
    auto* randomRow = new QHBoxLayout();
    randomRow->setSpacing(8 - DesignControlStyle::kIndicatorRingRoom);
    randomize_ = new QCheckBox(this);
    randomize_->setObjectName("HumanRandomisationToggle");
    randomize_->setAccessibleName(tr("Human Randomisation"));
    randomRow->addWidget(randomize_);
    randomRow->addWidget(
        new ThemedLabel(tr("Human Randomisation"), designFont(12, QFont::Medium), ThemeColors::vaqTextPrimary(), this));
    randomRow->addWidget(new InfoHelperButton(
        tr("Adds random jitter to intervals to mimic human speed and bypass anti-bot detection."), this));
    randomRow->addStretch();
    column->addLayout(randomRow);
    connect(randomize_, &QCheckBox::toggled, this,
            [this](bool on) { viewModel_.editConfig([on](ClickConfig& config) { config.randomizeInterval = on; }); });

    jitter_ = new SliderRow(tr("Jitter"), 5, 200, tr("ms"), this);
    column->addWidget(jitter_);
    connect(jitter_, &SliderRow::moved, this, [this](double value) {
        viewModel_.editConfig([value](ClickConfig& config) { config.intervalRandomRangeMs = value; });
    });

    connect(&viewModel_, &AutoClickerViewModel::configChanged, this, &ClickIntervalCard::refresh);
    refresh();
}

void ClickIntervalCard::refresh() {
    const ClickConfig& config = viewModel_.config();
    for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->setValue(config.*kParts[i]);
    {
        const QSignalBlocker blocker(randomize_);
        randomize_->setChecked(config.randomizeInterval);
    }
    jitter_->setVisible(config.randomizeInterval);
    jitter_->setValue(config.intervalRandomRangeMs);
}

}  // namespace clicktrove
