#pragma once

#include "engine/click_preset.hpp"
#include "services/accent_theme_color.hpp"
#include "ui/design/shadow_underlay.hpp"

#include <QPointer>
#include <QWidget>

class QAction;
class QLabel;
class QToolButton;

namespace clicktrove {

class ThemedLabel;
class VaqGhostButton;

// One preset of the Presets screen: the favourite star, a tile, the name (with "ACTIVE" on the active row), the
// click type and interval, a Load button, and a context menu to favour, rename, duplicate or delete it. It only
// reports what the user asked for; the screen carries it out.
class PresetRow final : public QWidget {
    Q_OBJECT
public:
    PresetRow(ClickPreset preset, bool active, AccentThemeColor accent, QWidget* parent = nullptr);

    const ClickPreset& preset() const { return preset_; }
    bool isActive() const { return active_; }

    QToolButton* favoriteButton() const { return favorite_; }
    VaqGhostButton* loadButton() const { return load_; }
    ThemedLabel* nameLabel() const { return name_; }
    QLabel* detailLabel() const { return detail_; }
    // The context menu's entries, in order: favourite, rename, duplicate, a separator, delete.
    QList<QAction*> menuActions() const { return actions(); }

signals:
    void favoriteClicked();
    void loadClicked();
    void favoriteFromMenu();
    void renameRequested();
    void duplicateRequested();
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void restyle();

    ClickPreset preset_;
    bool active_;
    AccentThemeColor accent_;
    QToolButton* favorite_ = nullptr;
    QLabel* tile_ = nullptr;
    ThemedLabel* name_ = nullptr;
    QLabel* badge_ = nullptr;
    QLabel* detail_ = nullptr;
    VaqGhostButton* load_ = nullptr;
    // A sibling, so its parent may delete it first.
    QPointer<ShadowUnderlay> shadow_;
};

}  // namespace clicktrove
