#include "ui/dashboard/drag_drop_card.hpp"

#include "session/auto_clicker_view_model.hpp"
#include "ui/dashboard/point_row.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_section_header.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/widgets/number_field.hpp"
#include "ui/widgets/switch_toggle.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace clicktrove {

DragDropCard::DragDropCard(AutoClickerViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    setObjectName("DragDropCard");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    auto* headerRow = new QHBoxLayout();
    headerRow->addWidget(new VaqSectionHeader(
        "hand.draw.fill", tr("Drag & Drop Simulation"), ThemeColors::amber(),
        tr("Simulates holding the mouse at a start pixel, dragging it, and releasing at the end pixel over a set "
           "duration."),
        this));
    headerRow->addStretch();
    column->addLayout(headerRow);

    auto* enableRow = new QHBoxLayout();
    enableRow->setSpacing(8);
    enable_ = new SwitchToggle(this);
    enable_->setObjectName("EnableDragToggle");
    enable_->setAccessibleName(tr("Enable Drag & Drop"));
    enableRow->addWidget(enable_);
    enableRow->addWidget(
        new ThemedLabel(tr("Enable Drag & Drop"), designFont(12, QFont::Medium), ThemeColors::vaqTextPrimary(), this));
    enableRow->addStretch();
    column->addLayout(enableRow);
    connect(enable_, &SwitchToggle::toggled, this,
            [this](bool on) { viewModel_.editConfig([on](ClickConfig& config) { config.isDragEnabled = on; }); });

    details_ = new QWidget(this);
    auto* details = new QVBoxLayout(details_);
    details->setContentsMargins(0, 0, 0, 0);
    details->setSpacing(8);
    start_ = new PointRow(tr("Start"), details_);
    end_ = new PointRow(tr("End"), details_);
    details->addWidget(start_);
    details->addWidget(end_);
    connect(start_, &PointRow::xCommitted, this,
            [this](double v) { viewModel_.editConfig([v](ClickConfig& c) { c.dragStartPoint.x = v; }); });
    connect(start_, &PointRow::yCommitted, this,
            [this](double v) { viewModel_.editConfig([v](ClickConfig& c) { c.dragStartPoint.y = v; }); });
    connect(end_, &PointRow::xCommitted, this,
            [this](double v) { viewModel_.editConfig([v](ClickConfig& c) { c.dragEndPoint.x = v; }); });
    connect(end_, &PointRow::yCommitted, this,
            [this](double v) { viewModel_.editConfig([v](ClickConfig& c) { c.dragEndPoint.y = v; }); });

    auto* durationRow = new QHBoxLayout();
    durationRow->addWidget(
        new ThemedLabel(tr("Duration"), designFont(11, QFont::Medium), ThemeColors::vaqTextSecondary(), details_));
    durationRow->addStretch();
    // A negative duration has no meaning for a drag; it is refused.
    duration_ = new NumberField(NumberField::Kind::decimal, false, details_);
    duration_->setObjectName("DurationField");
    duration_->setPlaceholderText(tr("seconds"));
    duration_->setAccessibleName(tr("Duration"));
    VaqTextFieldStyle::apply(duration_);
    duration_->setFixedWidth(80);
    durationRow->addWidget(duration_);
    details->addLayout(durationRow);
    connect(duration_, &NumberField::decimalCommitted, this,
            [this](double v) { viewModel_.editConfig([v](ClickConfig& c) { c.dragDuration = v; }); });
    column->addWidget(details_);

    connect(&viewModel_, &AutoClickerViewModel::configChanged, this, &DragDropCard::refresh);
    refresh();
}

void DragDropCard::refresh() {
    const ClickConfig& config = viewModel_.config();
    {
        const QSignalBlocker blocker(enable_);
        enable_->setChecked(config.isDragEnabled);
    }
    details_->setVisible(config.isDragEnabled);
    start_->setPoint(config.dragStartPoint);
    end_->setPoint(config.dragEndPoint);
    duration_->setDecimalValue(config.dragDuration);
}

}  // namespace clicktrove
