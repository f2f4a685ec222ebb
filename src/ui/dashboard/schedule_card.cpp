#include "ui/dashboard/schedule_card.hpp"

#include "session/auto_clicker_view_model.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_section_header.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/widgets/switch_toggle.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <chrono>

namespace clicktrove {

namespace {

QDateTime toDateTime(Date date) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms);
}

Date toDate(const QDateTime& dateTime) {
    return Date(std::chrono::duration_cast<Date::duration>(std::chrono::milliseconds(dateTime.toMSecsSinceEpoch())));
}

QWidget* switchRow(QWidget* parent, SwitchToggle*& toggle, const QString& text, qreal opacity) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    toggle = new SwitchToggle(row);
    toggle->setAccessibleName(text);
    layout->addWidget(toggle);
    layout->addWidget(
        new ThemedLabel(text, designFont(12, QFont::Medium), ThemeColors::vaqTextPrimary().withOpacity(opacity), row));
    toggle->setDimming(opacity);
    layout->addStretch();
    return row;
}

QDateTimeEdit* picker(QWidget* parent, const QString& title) {
    auto* edit = new QDateTimeEdit(parent);
    edit->setObjectName(title);
    edit->setAccessibleName(title);
    edit->setCalendarPopup(true);
    // Date, hour and minute only.
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd  HH:mm"));
    edit->setFont(designFont(12));
    return edit;
}

QWidget* pickerRow(QWidget* parent, const QString& title, QDateTimeEdit* edit) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new ThemedLabel(title, designFont(12), ThemeColors::vaqTextPrimary(), row));
    edit->setParent(row);
    layout->addWidget(edit);
    layout->addStretch();
    return row;
}

}  // namespace

ScheduleCard::ScheduleCard(AutoClickerViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    setObjectName("ScheduleCard");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    auto* headerRow = new QHBoxLayout();
    headerRow->addWidget(
        new VaqSectionHeader("calendar.badge.clock", tr("Scheduled Start / Stop"), ThemeColors::indigo(),
                             tr("Automatically starts or stops the click engine at a scheduled date and time."), this));
    headerRow->addStretch();
    column->addLayout(headerRow);

    // The start row is drawn at 60 %, the stop row at full strength.
    startRow_ = switchRow(this, startToggle_, tr("Schedule Start"), 0.6);
    startToggle_->setObjectName("ScheduleStartToggle");
    column->addWidget(startRow_);
    startPicker_ = picker(this, tr("Start Time"));
    auto* startPickerRow = pickerRow(this, tr("Start Time"), startPicker_);
    column->addWidget(startPickerRow);

    auto* stopRow = switchRow(this, stopToggle_, tr("Schedule Stop"), 1.0);
    stopToggle_->setObjectName("ScheduleStopToggle");
    column->addWidget(stopRow);
    stopPicker_ = picker(this, tr("Stop Time"));
    auto* stopPickerRow = pickerRow(this, tr("Stop Time"), stopPicker_);
    column->addWidget(stopPickerRow);

    connect(startToggle_, &SwitchToggle::toggled, this,
            [this](bool on) { viewModel_.editConfig([on](ClickConfig& c) { c.scheduledStartEnabled = on; }); });
    connect(stopToggle_, &SwitchToggle::toggled, this,
            [this](bool on) { viewModel_.editConfig([on](ClickConfig& c) { c.scheduledStopEnabled = on; }); });
    connect(startPicker_, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& t) {
        viewModel_.editConfig([d = toDate(t)](ClickConfig& c) { c.scheduledStartTime = d; });
    });
    connect(stopPicker_, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& t) {
        viewModel_.editConfig([d = toDate(t)](ClickConfig& c) { c.scheduledStopTime = d; });
    });
    connect(&viewModel_, &AutoClickerViewModel::configChanged, this, &ScheduleCard::refresh);
    refresh();
}

void ScheduleCard::refresh() {
    const ClickConfig& config = viewModel_.config();
    const QSignalBlocker a(startToggle_);
    const QSignalBlocker b(stopToggle_);
    const QSignalBlocker c(startPicker_);
    const QSignalBlocker d(stopPicker_);
    startToggle_->setChecked(config.scheduledStartEnabled);
    stopToggle_->setChecked(config.scheduledStopEnabled);
    if (toDate(startPicker_->dateTime()) != config.scheduledStartTime) {
        startPicker_->setDateTime(toDateTime(config.scheduledStartTime));
    }
    if (toDate(stopPicker_->dateTime()) != config.scheduledStopTime) {
        stopPicker_->setDateTime(toDateTime(config.scheduledStopTime));
    }
    startPicker_->parentWidget()->setVisible(config.scheduledStartEnabled);
    stopPicker_->parentWidget()->setVisible(config.scheduledStopEnabled);
}

}  // namespace clicktrove
