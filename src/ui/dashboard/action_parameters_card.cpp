#include "ui/dashboard/action_parameters_card.hpp"

#include "engine/click_type.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_section_header.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/widgets/number_field.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

QHBoxLayout* labelledRow(QWidget* parent, const QString& label, QWidget* control) {
    auto* row = new QHBoxLayout();
    row->setSpacing(10);
    row->addWidget(new ThemedLabel(label, designFont(12, QFont::Medium), ThemeColors::vaqTextSecondary(), parent));
    row->addStretch();
    row->addWidget(control);
    return row;
}

}  // namespace

ActionParametersCard::ActionParametersCard(AutoClickerViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    setObjectName("ActionParametersCard");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    auto* headerRow = new QHBoxLayout();
    headerRow->addWidget(new VaqSectionHeader("slider.horizontal.3", tr("Action Parameters"), ThemeColors::purple(),
                                              tr("Configure what type of mouse event to simulate and how many times."),
                                              this));
    headerRow->addStretch();
    column->addLayout(headerRow);

    clickType_ = new QComboBox(this);
    clickType_->setObjectName("ClickTypeMenu");
    clickType_->setAccessibleName(tr("Click Type"));
    clickType_->setFixedWidth(160);
    for (const auto type : kAllClickTypes) {
        const auto text = displayText(type);
        clickType_->addItem(QString::fromUtf8(text.data(), static_cast<int>(text.size())), static_cast<int>(type));
    }
    column->addLayout(labelledRow(this, tr("Click Type"), clickType_));
    connect(clickType_, &QComboBox::activated, this, [this](int index) {
        const auto type = static_cast<ClickType>(clickType_->itemData(index).toInt());
        viewModel_.editConfig([type](ClickConfig& config) { config.clickType = type; });
    });

    // 0 means no limit; a negative count would mean the same, so it is refused rather than shown.
    maxClicks_ = new NumberField(NumberField::Kind::integer, false, this);
    maxClicks_->setObjectName("MaxClicksField");
    maxClicks_->setAccessibleName(tr("Max Clicks"));
    maxClicks_->setPlaceholderText(tr("0 = Infinite"));
    VaqTextFieldStyle::apply(maxClicks_);
    maxClicks_->setFixedWidth(110);
    column->addLayout(labelledRow(this, tr("Max Clicks"), maxClicks_));
    connect(maxClicks_, &NumberField::integerCommitted, this, [this](std::int64_t value) {
        viewModel_.editConfig([value](ClickConfig& config) { config.maxClicks = value; });
    });

    connect(&viewModel_, &AutoClickerViewModel::configChanged, this, &ActionParametersCard::refresh);
    refresh();
}

void ActionParametersCard::refresh() {
    const ClickConfig& config = viewModel_.config();
    {
        const QSignalBlocker blocker(clickType_);
        clickType_->setCurrentIndex(clickType_->findData(static_cast<int>(config.clickType)));
    }
    maxClicks_->setIntegerValue(config.maxClicks);
}

}  // namespace clicktrove
