#pragma once

#include "services/accent_theme_color.hpp"

#include <QWidget>
#include <functional>

class QLabel;

namespace clicktrove {

class AutoClickerViewModel;
class ThemedLabel;
class VaqGhostButton;

// The top card of the Dashboard: which preset the configuration came from (or none), whether it has been changed
// since, and the buttons that save it into that preset or as a new one.
class PresetHeaderCard final : public QWidget {
    Q_OBJECT
public:
    // `beginSaveAsPreset` opens the window's Save-as-Preset sheet.
    PresetHeaderCard(AutoClickerViewModel& viewModel, std::function<void()> beginSaveAsPreset,
                     QWidget* parent = nullptr);

    void setAccent(AccentThemeColor accent);

    QString titleText() const;
    QString subtitleText() const;
    bool isModifiedBadgeShown() const;
    ThemedLabel* titleLabel() const { return title_; }
    QLabel* modifiedBadge() const { return badge_; }
    // Shown only while a preset is active.
    VaqGhostButton* saveButton() const { return save_; }
    VaqGhostButton* saveAsButton() const { return saveAs_; }

private:
    void refresh();

    AutoClickerViewModel& viewModel_;
    std::function<void()> beginSaveAsPreset_;
    QWidget* tile_ = nullptr;
    ThemedLabel* title_ = nullptr;
    QLabel* badge_ = nullptr;
    ThemedLabel* subtitle_ = nullptr;
    VaqGhostButton* save_ = nullptr;
    VaqGhostButton* saveAs_ = nullptr;
};

}  // namespace clicktrove
