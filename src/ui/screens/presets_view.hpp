#pragma once

#include "engine/click_config.hpp"
#include "engine/click_preset.hpp"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <optional>

class QLabel;
class QLineEdit;
class QStackedWidget;
class QVBoxLayout;

namespace clicktrove {

class AutoClickerViewModel;
class EmptyStateView;
class PresetRow;
class RenamePresetDialog;
class StorageManager;
class VaqGhostButton;
class VaqPrimaryButton;

// The Presets tab: saves the current configuration as a named preset, lists the presets (favourites first) to
// load, favour, rename, duplicate or delete, and imports or exports the current configuration as a file. Beyond
// the new-name field and the rename sheet it keeps nothing: the list is the view model's preset manager's.
class PresetsView final : public QWidget {
    Q_OBJECT
public:
    explicit PresetsView(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);
    // With the storage whose dialogs import and export the configuration (the process-wide one above).
    PresetsView(AutoClickerViewModel& viewModel, StorageManager& storage, QWidget* parent = nullptr);
    ~PresetsView() override;

    // "1h 30s 250ms": the non-zero parts from hours to milliseconds, or "Instant" when there are none.
    static QString intervalText(const ClickConfig& config);
    static QString countLine(std::size_t presets);

    QLineEdit* newPresetField() const { return newPresetName_; }
    VaqPrimaryButton* addCurrentButton() const { return addCurrent_; }
    VaqGhostButton* importButton() const { return import_; }
    VaqGhostButton* exportButton() const { return export_; }
    QLabel* countLabel() const { return count_; }
    // The rows in the order shown (favourites first), and the section titles shown.
    QList<PresetRow*> rows() const;
    QStringList sectionTitles() const;
    bool isShowingEmptyState() const;
    // The rename sheet while it is shown, else nullptr.
    RenamePresetDialog* renameDialog() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildHeader();
    void rebuildList();
    QWidget* sectionHeader(const QString& symbol, const QColor& colour, const QString& title);
    PresetRow* makeRow(const ClickPreset& preset, bool active);
    void restyle();
    void updateAddButton();
    // After a change of the list: the notice of success (none when empty), or notSaved as a failure when the
    // presets file did not take the change.
    void tellSaved(const QString& done, const QString& notSaved);
    static QString favoriteNotSaved(const QString& name);

    void importConfiguration();
    void exportConfiguration();
    void addCurrentPreset();
    void beginRename(const ClickPreset& preset);
    void cancelRename();
    void saveRename();
    void closeRenameSheet();

    AutoClickerViewModel& viewModel_;
    StorageManager& storage_;

    bool showingRenameAlert_ = false;
    std::optional<ClickPreset> presetToRename_;
    QString renameText_;
    QPointer<RenamePresetDialog> renameDialog_;

    QLabel* badge_ = nullptr;
    QLabel* count_ = nullptr;
    VaqGhostButton* import_ = nullptr;
    VaqGhostButton* export_ = nullptr;
    QLineEdit* newPresetName_ = nullptr;
    VaqPrimaryButton* addCurrent_ = nullptr;
    QStackedWidget* content_ = nullptr;
    EmptyStateView* emptyState_ = nullptr;
    QWidget* list_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
};

}  // namespace clicktrove
