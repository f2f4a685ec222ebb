#include "ui/screens/presets_view.hpp"

#include "services/profile_manager.hpp"
#include "services/settings_manager.hpp"
#include "services/storage_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/screens/empty_state_view.hpp"
#include "ui/screens/header_panel.hpp"
#include "ui/screens/preset_row.hpp"
#include "ui/screens/rename_preset_dialog.hpp"
#include "ui/screens/view_style.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

// Spaces and tabs only: a name may keep its line breaks.
QString trimSpacesAndTabs(const QString& text) {
    auto blank = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

void detachChildren(QVBoxLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            // A row may be the sender of the signal that led here: let it finish before it goes.
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
}

}  // namespace

PresetsView::PresetsView(AutoClickerViewModel& viewModel, QWidget* parent)
    : PresetsView(viewModel, StorageManager::shared(), parent) {}

PresetsView::PresetsView(AutoClickerViewModel& viewModel, StorageManager& storage, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), storage_(storage) {
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(buildHeader());

    content_ = new QStackedWidget;
    emptyState_ =
        new EmptyStateView({QStringLiteral("tray.2"), 36, ThemeColors::purple(), 0.12, 0.5}, tr("No Presets Yet"),
                           tr("Configure the dashboard and save your first preset above."));
    content_->addWidget(emptyState_);

    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    list_ = new QWidget;
    listLayout_ = new QVBoxLayout(list_);
    listLayout_->setContentsMargins(16, 16, 16, 16);
    listLayout_->setSpacing(10);
    scroll->setWidget(list_);
    view_style::makeTransparent(scroll);
    content_->addWidget(scroll);
    stack->addWidget(content_, 1);

    connect(&viewModel_.profileManager(), &ProfileManager::presetsChanged, this, &PresetsView::rebuildList);
    connect(&viewModel_, &AutoClickerViewModel::activePresetIdChanged, this, &PresetsView::rebuildList);
    connect(&viewModel_.settingsManager(), &SettingsManager::accentColorChanged, this, [this] {
        restyle();
        rebuildList();
    });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, &PresetsView::restyle);

    rebuildList();
    restyle();
}

PresetsView::~PresetsView() = default;

QString PresetsView::intervalText(const ClickConfig& config) {
    QString text;
    const std::pair<std::int64_t, const char*> parts[] = {
        {config.intervalHours, "h "},
        {config.intervalMinutes, "m "},
        {config.intervalSeconds, "s "},
        {config.intervalMilliseconds, "ms "},
    };
    for (const auto& [value, unit] : parts) {
        if (value > 0) text += QString::number(value) + QLatin1String(unit);
    }
    text = trimSpacesAndTabs(text);
    return text.isEmpty() ? QStringLiteral("Instant") : text;
}

QString PresetsView::countLine(std::size_t presets) {
    return QString::number(static_cast<qulonglong>(presets)) + QStringLiteral(" saved profiles");
}

QWidget* PresetsView::buildHeader() {
    auto* header = new HeaderPanel;
    auto* stack = new QVBoxLayout(header);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(12);

    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(12);
    const auto titleBlock = view_style::addTitleBlock(titleRow, tr("Presets"), QFont::Medium);
    badge_ = titleBlock.badge;
    count_ = titleBlock.count;
    import_ = new VaqGhostButton(tr("Import"), QStringLiteral("arrow.down.doc"), ThemeColors::indigo(),
                                 [this] { importConfiguration(); });
    import_->setObjectName(QStringLiteral("importButton"));
    export_ = new VaqGhostButton(tr("Export"), QStringLiteral("arrow.up.doc"), ThemeColors::indigo(),
                                 [this] { exportConfiguration(); });
    export_->setObjectName(QStringLiteral("exportButton"));
    titleRow->addWidget(import_);
    titleRow->addWidget(export_);
    stack->addLayout(titleRow);

    auto* newRow = new QHBoxLayout;
    newRow->setSpacing(8);
    newPresetName_ = new QLineEdit;
    newPresetName_->setObjectName(QStringLiteral("newPresetName"));
    newPresetName_->setPlaceholderText(QStringLiteral("New preset name\u2026"));
    VaqTextFieldStyle::apply(newPresetName_);
    connect(newPresetName_, &QLineEdit::textChanged, this, &PresetsView::updateAddButton);
    newRow->addWidget(newPresetName_, 1);
    addCurrent_ = new VaqPrimaryButton(tr("Add Current"), QStringLiteral("plus"),
                                       ThemeGradient::accent(viewModel_.settingsManager().accentColor()),
                                       [this] { addCurrentPreset(); });
    addCurrent_->setObjectName(QStringLiteral("addCurrentButton"));
    addCurrent_->setFixedWidth(130);
    newRow->addWidget(addCurrent_);
    stack->addLayout(newRow);
    updateAddButton();
    return header;
}

QWidget* PresetsView::sectionHeader(const QString& symbol, const QColor& colour, const QString& title) {
    auto* header = new QWidget;
    header->setObjectName(QStringLiteral("sectionHeader"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(4, 4, 4, 0);
    row->setSpacing(6);
    auto* icon = new QLabel;
    icon->setPixmap(view_style::symbol(symbol, colour, 11, QFont::DemiBold));
    row->addWidget(icon);
    auto* text = view_style::label(title, 11, QFont::Bold, "secondary");
    text->setObjectName(QStringLiteral("sectionTitle"));
    row->addWidget(text);
    row->addStretch(1);
    return header;
}

PresetRow* PresetsView::makeRow(const ClickPreset& preset, bool active) {
    auto* row = new PresetRow(preset, active, viewModel_.settingsManager().accentColor());
    ProfileManager& profiles = viewModel_.profileManager();
    const QString name = QString::fromStdString(preset.name);
    connect(row, &PresetRow::favoriteClicked, this, [this, &profiles, preset, name] {
        profiles.toggleFavorite(preset.id);
        tellSaved({}, favoriteNotSaved(name));
    });
    connect(row, &PresetRow::loadClicked, this, [this, preset] { viewModel_.loadPreset(preset); });
    connect(row, &PresetRow::favoriteFromMenu, this, [this, &profiles, preset, name] {
        const bool wasFavorite = preset.isFavorite;
        profiles.toggleFavorite(preset.id);
        tellSaved(wasFavorite ? tr("Removed from Favorites") : tr("Added to Favorites"), favoriteNotSaved(name));
    });
    connect(row, &PresetRow::renameRequested, this, [this, preset] { beginRename(preset); });
    connect(row, &PresetRow::duplicateRequested, this, [this, &profiles, preset, name] {
        profiles.duplicatePreset(preset);
        tellSaved(QStringLiteral("Duplicated '") + name + QStringLiteral("'"),
                  QStringLiteral("Failed to save preset '") + name + QStringLiteral(" Copy'"));
    });
    connect(row, &PresetRow::deleteRequested, this, [this, &profiles, preset, name] {
        profiles.deletePreset(preset.id);
        tellSaved(QStringLiteral("Deleted '") + name + QStringLiteral("'"),
                  QStringLiteral("Failed to save the deletion of '") + name +
                      QStringLiteral("': it comes back at the next start"));
    });
    return row;
}

QString PresetsView::favoriteNotSaved(const QString& name) {
    return QStringLiteral("Failed to save the favorite mark of '") + name + QStringLiteral("'");
}

void PresetsView::tellSaved(const QString& done, const QString& notSaved) {
    // The list in memory shows the change either way; only the notice can tell that the file did not take it.
    if (!viewModel_.profileManager().lastSaveSucceeded()) {
        viewModel_.showFailureToast(notSaved);
    } else if (!done.isEmpty()) {
        viewModel_.showToast(done);
    }
}

void PresetsView::rebuildList() {
    const auto& presets = viewModel_.profileManager().presets();
    const auto& activeId = viewModel_.activePresetId();
    count_->setText(countLine(presets.size()));
    detachChildren(listLayout_);
    if (presets.empty()) {
        content_->setCurrentWidget(emptyState_);
        return;
    }
    content_->setCurrentIndex(1);
    bool anyFavorite = false;
    bool anyOther = false;
    for (const auto& p : presets) (p.isFavorite ? anyFavorite : anyOther) = true;
    if (anyFavorite) {
        listLayout_->addWidget(sectionHeader(QStringLiteral("star.fill"), ThemeColors::amber(), tr("Favorites")));
        for (const auto& p : presets) {
            if (p.isFavorite) listLayout_->addWidget(makeRow(p, activeId && *activeId == p.id));
        }
    }
    if (anyOther) {
        listLayout_->addWidget(sectionHeader(QStringLiteral("tray.2"), ThemeColors::purple(), tr("All Profiles")));
        for (const auto& p : presets) {
            if (!p.isFavorite) listLayout_->addWidget(makeRow(p, activeId && *activeId == p.id));
        }
    }
    listLayout_->addStretch(1);
    view_style::restyle(list_);
}

QList<PresetRow*> PresetsView::rows() const {
    QList<PresetRow*> out;
    for (int i = 0; i < listLayout_->count(); ++i) {
        if (auto* row = qobject_cast<PresetRow*>(listLayout_->itemAt(i)->widget())) out.push_back(row);
    }
    return out;
}

QStringList PresetsView::sectionTitles() const {
    QStringList out;
    for (auto* label : list_->findChildren<QLabel*>(QStringLiteral("sectionTitle"))) out.push_back(label->text());
    return out;
}

bool PresetsView::isShowingEmptyState() const {
    return content_->currentWidget() == emptyState_;
}

RenamePresetDialog* PresetsView::renameDialog() const {
    return showingRenameAlert_ ? renameDialog_.data() : nullptr;
}

void PresetsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    view_style::paintBackground(painter, rect());
}

void PresetsView::restyle() {
    const AccentThemeColor accent = viewModel_.settingsManager().accentColor();
    badge_->setPixmap(view_style::badge(ThemeGradient::accent(accent), QStringLiteral("tray.2.fill"), 36, 15));
    addCurrent_->setGradient(ThemeGradient::accent(accent));
    view_style::restyle(this);
    update();
}

void PresetsView::updateAddButton() {
    addCurrent_->setEnabled(!newPresetName_->text().trimmed().isEmpty());
}

void PresetsView::importConfiguration() {
    QPointer<AutoClickerViewModel> viewModel(&viewModel_);
    storage_.importConfig(
        [viewModel](std::optional<ClickConfig> config) {
            if (config && viewModel) viewModel->setConfig(*config);
        },
        viewModel_.fileProblemReport(FileNoticeSubject::configImport));
}

void PresetsView::exportConfiguration() {
    storage_.exportConfig(viewModel_.config(), viewModel_.fileProblemReport(FileNoticeSubject::configExport));
}

void PresetsView::addCurrentPreset() {
    const QString name = newPresetName_->text().trimmed();
    if (name.isEmpty()) return;
    viewModel_.profileManager().addPreset(name.toStdString(), viewModel_.config());
    tellSaved(QStringLiteral("Preset '") + name + QStringLiteral("' created"),
              QStringLiteral("Failed to save preset '") + name + QStringLiteral("'"));
    newPresetName_->clear();
}

void PresetsView::beginRename(const ClickPreset& preset) {
    presetToRename_ = preset;
    renameText_ = QString::fromStdString(preset.name);
    showingRenameAlert_ = true;
    if (renameDialog_) renameDialog_->deleteLater();
    renameDialog_ = new RenamePresetDialog(renameText_, viewModel_.settingsManager().accentColor(), this);
    renameDialog_->setWindowModality(Qt::WindowModal);
    connect(renameDialog_->nameField(), &QLineEdit::textChanged, this, [this](const QString& t) { renameText_ = t; });
    connect(renameDialog_, &RenamePresetDialog::cancelClicked, this, &PresetsView::cancelRename);
    connect(renameDialog_, &RenamePresetDialog::saveClicked, this, &PresetsView::saveRename);
    // Dismissed by the window system (Escape, the close button): the sheet is gone, nothing else happens.
    connect(renameDialog_, &QDialog::rejected, this, [this] { showingRenameAlert_ = false; });
    renameDialog_->open();
}

void PresetsView::cancelRename() {
    presetToRename_.reset();
    closeRenameSheet();
}

void PresetsView::saveRename() {
    if (presetToRename_ && !trimSpacesAndTabs(renameText_).isEmpty()) {
        viewModel_.profileManager().renamePreset(presetToRename_->id, renameText_.toStdString());
        tellSaved(QStringLiteral("Renamed to '") + renameText_ + QStringLiteral("'"),
                  QStringLiteral("Failed to save the new name '") + renameText_ + QStringLiteral("'"));
    }
    presetToRename_.reset();
    closeRenameSheet();
}

void PresetsView::closeRenameSheet() {
    showingRenameAlert_ = false;
    if (renameDialog_) {
        renameDialog_->disconnect(this);
        renameDialog_->hide();
        renameDialog_->deleteLater();
    }
}

}  // namespace clicktrove
