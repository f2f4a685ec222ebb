#include "ui/dashboard/preset_header_card.hpp"

#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace clicktrove {

namespace {

constexpr int kTitleMinimumWidth = 120;

}  // namespace

namespace {

// The 36-point tile: the accent gradient with the preset symbol while a preset is active, else the raised
// surface with the sliders symbol.
class PresetTile final : public QWidget {
public:
    explicit PresetTile(QWidget* parent) : QWidget(parent) {
        setFixedSize(36, 36);
        connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
    }

    void set(bool presetActive, AccentThemeColor accent) {
        if (presetActive == active_ && accent == accent_) return;
        active_ = presetActive;
        accent_ = accent;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(rect());
        const QPainterPath shape = continuousRoundedRect(r, 10);
        const QFont symbolFont = designFont(15, QFont::DemiBold);
        if (active_) {
            p.fillPath(shape, ThemeGradient::accent(accent_).toLinearGradient(r, layoutDirection()));
            SymbolIcons::paint(p, r, "slider.horizontal.2.square", Qt::white, symbolFont);
        } else {
            p.fillPath(shape, ThemeColors::surfaceRaised());
            SymbolIcons::paint(p, r, "slider.horizontal.3", ThemeColors::textSecondary(), symbolFont);
        }
    }

private:
    bool active_ = false;
    AccentThemeColor accent_ = AccentThemeColor::blue;
};

}  // namespace

PresetHeaderCard::PresetHeaderCard(AutoClickerViewModel& viewModel, std::function<void()> beginSaveAsPreset,
                                   QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), beginSaveAsPreset_(std::move(beginSaveAsPreset)) {
    setObjectName("PresetHeader");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);

    tile_ = new PresetTile(this);
    row->addWidget(tile_, 0, Qt::AlignVCenter);

    auto* titles = new QVBoxLayout();
    titles->setSpacing(2);
    auto* firstLine = new QHBoxLayout();
    firstLine->setSpacing(6);
    title_ = new ThemedLabel(QString(), designFont(13, QFont::Bold, FontDesign::rounded), ThemeColors::vaqTextPrimary(),
                             this);
    title_->setObjectName("PresetTitle");
    title_->setElideMode(Qt::ElideRight);
    // Never wider than its text, so the badge keeps its 6 points whatever room the row has.
    title_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    firstLine->addWidget(title_);
    badge_ = new QLabel(tr("MODIFIED"), this);
    badge_->setObjectName("ModifiedBadge");
    QFont badgeFont = designFont(8, QFont::ExtraBold);
    badgeFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    badge_->setFont(badgeFont);
    const QColor amber = ThemeColors::amber();
    badge_->setStyleSheet(QStringLiteral("QLabel { color: %1; background: rgba(%2, %3, %4, 0.2); border-radius: 4px;"
                                         " padding: 2px 5px; }")
                              .arg(amber.name())
                              .arg(amber.red())
                              .arg(amber.green())
                              .arg(amber.blue()));
    firstLine->addWidget(badge_);
    firstLine->addStretch();
    titles->addLayout(firstLine);
    subtitle_ = new ThemedLabel(QString(), designFont(10, QFont::Medium), ThemeColors::vaqTextSecondary(), this);
    subtitle_->setObjectName("PresetSubtitle");
    titles->addWidget(subtitle_);
    row->addLayout(titles);
    row->addStretch(1);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    save_ = new VaqGhostButton(
        tr("Save"), "square.and.arrow.down", ThemeColors::green(), [this] { viewModel_.saveChangesToActivePreset(); },
        this);
    save_->setObjectName("SaveButton");
    saveAs_ = new VaqGhostButton(
        QString(), "plus.circle", ThemeColors::purple(), [this] { beginSaveAsPreset_(); }, this);
    saveAs_->setObjectName("SaveAsButton");
    buttons->addWidget(save_);
    buttons->addWidget(saveAs_);
    row->addLayout(buttons);

    connect(&viewModel_, &AutoClickerViewModel::activePresetNameChanged, this, &PresetHeaderCard::refresh);
    connect(&viewModel_, &AutoClickerViewModel::isConfigModifiedChanged, this, &PresetHeaderCard::refresh);
    refresh();
}

void PresetHeaderCard::setAccent(AccentThemeColor accent) {
    static_cast<PresetTile*>(tile_)->set(viewModel_.activePresetName().has_value(), accent);
}

QString PresetHeaderCard::titleText() const {
    return title_->text();
}

QString PresetHeaderCard::subtitleText() const {
    return subtitle_->text();
}

bool PresetHeaderCard::isModifiedBadgeShown() const {
    return !badge_->isHidden();
}

void PresetHeaderCard::refresh() {
    const bool active = viewModel_.activePresetName().has_value();
    const bool modified = viewModel_.isConfigModified();
    setAccent(viewModel_.settingsManager().accentColor());
    title_->setText(active ? QString::fromStdString(*viewModel_.activePresetName()) : tr("Custom Configuration"));
    // A long preset name gives way (cut with an ellipsis, whole in the tooltip) rather than widening the column,
    // and the window, past the screen; a short one keeps its full width. Measured from the text itself: a label's
    // size hint grows to its minimum width, so an earlier, longer name's minimum would otherwise stay and hold the
    // badge off a short name.
    const QMargins margins = title_->contentsMargins();
    const int textWidth = title_->fontMetrics().horizontalAdvance(title_->text()) + margins.left() + margins.right();
    title_->setMinimumWidth(std::min(textWidth, kTitleMinimumWidth));
    subtitle_->setText(active ? tr("Preset Profile Active") : tr("Unsaved ad-hoc settings"));
    badge_->setVisible(modified);
    save_->setVisible(active);
    save_->setEnabled(modified);
    // Disabled, the button is drawn at 40 %: the component's own 50 % times this.
    save_->setDimming(modified ? 1.0 : 0.8);
    saveAs_->setLabel(active ? tr("Save As…") : tr("Save Preset"));
}

}  // namespace clicktrove
