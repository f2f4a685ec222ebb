#pragma once

#include "ui/shell/main_view_tab.hpp"
#include "ui/shell/screen_factory.hpp"

#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

namespace clicktrove {

class AutoClickerViewModel;
class DashboardView;
class FloatingPanel;
class FloatingPanelToggle;
class SaveAsPresetSheet;
class ScreenStage;
class SidebarView;
class ToastView;

// The content of the main window: the sidebar with its six tabs, the selected tab's screen (or the permission
// screen while input cannot be posted), the notice toast over both, and the Save-as-Preset sheet. It keeps only
// the window's own state (selected tab, the floating panel it opened, the sheet and its text); everything it shows
// comes from the view model, which it observes through its signals.
class MainView final : public QWidget {
    Q_OBJECT
public:
    using Tab = MainViewTab;

    static constexpr int kMinimumWidth = 820;
    static constexpr int kMinimumHeight = 560;
    // The size the window opens at the first time, where the screen allows: wide enough for the Dashboard's setting
    // cards to stand in two columns, so that all of them and the run column fit a 1366 x 768 screen at once.
    static constexpr QSize kPreferredSize{1340, 680};

    MainView(AutoClickerViewModel& viewModel, ScreenFactory screens, QWidget* parent = nullptr);
    ~MainView() override;

    AutoClickerViewModel& viewModel() const { return viewModel_; }
    const ScreenFactory& screens() const { return screens_; }

    Tab selectedTab() const { return selectedTab_; }
    // What a sidebar row does; choosing the shown tab again changes nothing.
    void selectTab(Tab tab);
    // The widget the detail area shows now: the tab's screen, or the permission screen.
    QWidget* content() const { return content_; }
    // The detail area, which moves one screen in for the other.
    ScreenStage* detailArea() const { return detail_; }
    bool isShowingPermissionScreen() const { return shownKey_ == kPermissionKey; }
    // The Dashboard while it is the shown content, else null.
    DashboardView* dashboard() const;
    SidebarView* sidebar() const { return sidebar_; }
    ToastView* toast() const { return toast_; }

    // --- floating panel ---
    // The open mini panel, or null.
    FloatingPanel* floatingPanel() const;
    // Opens a new panel, or closes and forgets the open one.
    void toggleFloatingPanel();

    // --- Save-as-Preset sheet ---
    bool showingSaveAsSheet() const { return showingSaveAsSheet_; }
    const QString& saveAsPresetName() const { return saveAsPresetName_; }
    void setSaveAsPresetName(const QString& name);
    SaveAsPresetSheet* saveAsSheet() const { return sheet_; }
    // The header's save-as action: the name of the active preset (or nothing) in the field, then the sheet.
    void beginSaveAsPreset();
    void cancelSaveAsPreset();
    // Saves under the trimmed name unless it is empty, then closes the sheet and clears the field.
    void confirmSaveAsPreset();
    // The name as Save would use it: without leading and trailing white space and line breaks.
    QString trimmedSaveAsPresetName() const;

signals:
    void selectedTabChanged(MainViewTab tab);
    void floatingPanelChanged();
    void showingSaveAsSheetChanged(bool showing);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kPermissionKey = -1;

    void refresh();
    void refreshContent();
    void refreshToast();
    // What of the shown screen the toast must not cover (its title), in this widget's coordinates.
    QRect toastKeepClear() const;
    void refreshAccent();
    QWidget* makeContent(int key);
    QWidget* makeDashboard();
    void setShowingSaveAsSheet(bool showing);

    AutoClickerViewModel& viewModel_;
    ScreenFactory screens_;
    Tab selectedTab_ = Tab::dashboard;
    FloatingPanelToggle* floatingPanel_ = nullptr;
    bool showingSaveAsSheet_ = false;
    QString saveAsPresetName_;

    SidebarView* sidebar_ = nullptr;
    ScreenStage* detail_ = nullptr;
    QWidget* content_ = nullptr;
    std::optional<int> shownKey_;
    ToastView* toast_ = nullptr;
    SaveAsPresetSheet* sheet_ = nullptr;
};

}  // namespace clicktrove
