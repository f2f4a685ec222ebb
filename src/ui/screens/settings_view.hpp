#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QVBoxLayout;

namespace clicktrove {

class AccentSwatch;
class AudioManager;
class GlassCard;
class PermissionManager;
class PermissionRow;
class SettingsManager;
class ThemeChip;
class VaqSectionHeader;

// The Settings tab: general switches, theme and accent, the click sound and the state of the input permission.
// It keeps no state of its own: every control writes straight into SettingsManager (whose setters save and
// apply), and every change the managers publish, from here or elsewhere, is shown in place.
class SettingsView final : public QWidget {
    Q_OBJECT
public:
    SettingsView(SettingsManager& settingsManager, PermissionManager& permissionManager, QWidget* parent = nullptr);
    // With the audio service that plays the sound previews (the process-wide one above).
    SettingsView(SettingsManager& settingsManager, PermissionManager& permissionManager, AudioManager& audio,
                 QWidget* parent = nullptr);
    ~SettingsView() override;

    // The volume as a whole percentage, truncated ("50%", "99%" for 0.999, "100%").
    static QString percentageText(double volume);

    // Whether the program's tray icon is on show: without one the taskbar entry cannot be hidden, and the line
    // under its switch says so. Asked whenever the screen is shown or the switch changes; unset, the icon counts
    // as on show.
    void setTrayIconShown(std::function<bool()> shown);
    QString taskbarEntryNote() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildGeneralCard();
    QWidget* buildAppearanceCard();
    QWidget* buildAudioCard();
    QWidget* buildPermissionsCard();
    QWidget* toggleRow(const QString& icon, const QString& title, const QString& description, QCheckBox*& toggle,
                       QLabel** descriptionLabel = nullptr);

    void connectManagers();
    // Shows every manager value; widgets are set under signal blockers so that nothing is written back.
    void refresh();
    void refreshAppearance();
    void refreshAudioRows();
    void refreshPermission();
    void refreshTaskbarNote();
    void restyle();
    void soundNameDidChange(const std::string& name);

    SettingsManager& settings_;
    PermissionManager& permission_;
    AudioManager& audio_;

    QLabel* headerBadge_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
    QCheckBox* startMinimized_ = nullptr;
    QCheckBox* rememberLastConfig_ = nullptr;
    QCheckBox* showDockIcon_ = nullptr;
    QLabel* showDockIconNote_ = nullptr;
    std::function<bool()> trayIconShown_;
    QCheckBox* playSound_ = nullptr;
    std::vector<ThemeChip*> themeChips_;
    std::vector<AccentSwatch*> swatches_;
    std::vector<QWidget*> soundRows_;  // divider, sound row, divider, volume row
    QComboBox* soundPicker_ = nullptr;
    QSlider* volumeSlider_ = nullptr;
    QLabel* percentage_ = nullptr;
    GlassCard* permissionsCard_ = nullptr;
    VaqSectionHeader* permissionsHeader_ = nullptr;
    PermissionRow* permissionRow_ = nullptr;
    // The sound name last shown, so that only a real change plays its preview.
    std::string shownSoundName_;
};

}  // namespace clicktrove
