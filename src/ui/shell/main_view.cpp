#include "ui/shell/main_view.hpp"

#include "engine/permission_manager.hpp"
#include "services/accent_colors.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/notification_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/dashboard/dashboard_view.hpp"
#include "ui/dashboard/save_as_preset_sheet.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/screens/settings_view.hpp"
#include "ui/screens/view_style.hpp"
#include "ui/shell/floating_panel.hpp"
#include "ui/shell/floating_panel_toggle.hpp"
#include "ui/shell/screen_stage.hpp"
#include "ui/shell/sidebar_view.hpp"
#include "ui/shell/toast_view.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <utility>

namespace clicktrove {

MainView::MainView(AutoClickerViewModel& viewModel, ScreenFactory screens, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), screens_(screens.completed()) {
    setObjectName("MainView");
    setWindowTitle(QStringLiteral("Clicktrove"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    sidebar_ = new SidebarView(viewModel_, this);
    row->addWidget(sidebar_);
    detail_ = new ScreenStage(this);
    row->addWidget(detail_, 1);

    toast_ = new ToastView(this);
    toast_->hide();

    // Centred on the screen this window is on; kept by the window, not the Dashboard, so a tab switch keeps it.
    floatingPanel_ = new FloatingPanelToggle(viewModel_, this, this);
    connect(floatingPanel_, &FloatingPanelToggle::isOpenChanged, this, &MainView::floatingPanelChanged);

    connect(sidebar_, &SidebarView::tabClicked, this, &MainView::selectTab);
    connect(&viewModel_, &AutoClickerViewModel::changed, this, &MainView::refresh);
    connect(&viewModel_, &AutoClickerViewModel::toastMessageChanged, this, &MainView::refreshToast);
    // The toast lives in this window: a start refused from the tray, a shortcut or the floating panel while the
    // window is hidden or minimised would otherwise say nothing at all.
    connect(&viewModel_, &AutoClickerViewModel::startRefused, this, [this](const QString& notice) {
        if (!isVisible() || isMinimized()) viewModel_.notificationManager().sendNotice(notice.toStdString());
    });
    // A new accent shows at once, not only at the view model's next publication.
    connect(&viewModel_.settingsManager(), &SettingsManager::accentColorChanged, this, &MainView::refreshAccent);
    connect(&viewModel_.permissionManager(), &PermissionManager::hasAccessibilityPermissionChanged, this,
            &MainView::refreshContent);

    // The window asks for the theme's colour scheme; "System" follows the desktop.
    ThemeAppearance::instance().follow(viewModel_.settingsManager());
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));

    sidebar_->setSelectedTab(selectedTab_);
    refreshAccent();
    refreshContent();
    refreshToast();
}

// The floating panel goes with its toggle, a child of this window.
MainView::~MainView() = default;

DashboardView* MainView::dashboard() const {
    return shownKey_ == static_cast<int>(Tab::dashboard) ? static_cast<DashboardView*>(content_) : nullptr;
}

bool MainView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // The fixed floor alone would let the window stay narrower than a screen whose content has grown (a wider
    // header, a longer preset name) and cut that content off; the floor follows what the content needs.
    if (event->type() == QEvent::LayoutRequest && layout() != nullptr) {
        const QSize needed = layout()->totalMinimumSize().expandedTo(QSize(kMinimumWidth, kMinimumHeight));
        if (minimumSize() != needed) setMinimumSize(needed);
    }
    return handled;
}

void MainView::selectTab(Tab tab) {
    if (tab == selectedTab_) return;
    selectedTab_ = tab;
    sidebar_->setSelectedTab(tab);
    emit selectedTabChanged(tab);
    refreshContent();
}

void MainView::refresh() {
    // The view model publishes at least once a second; each step below only acts on a change.
    refreshAccent();
    refreshContent();
}

void MainView::refreshAccent() {
    const auto& settings = viewModel_.settingsManager();
    sidebar_->setAccent(settings.accentColor());
    toast_->setAccent(settings.accentColor());
    // The window-wide accent tint: switches, check boxes and sliders fill with the highlight colour.
    const QColor accent = accentColor(settings.accentColor(), ThemeAppearance::instance().isDark());
    if (palette().color(QPalette::Highlight) != accent) {
        QPalette tinted = palette();
        tinted.setColor(QPalette::Highlight, accent);
        setPalette(tinted);
    }
}

void MainView::refreshContent() {
    const int key =
        viewModel_.permissionManager().hasAccessibilityPermission() ? static_cast<int>(selectedTab_) : kPermissionKey;
    if (shownKey_ == key) return;
    content_ = makeContent(key);
    shownKey_ = key;
    // The first screen is simply there; every later one comes in with the transition.
    detail_->present(content_, isVisible());
    if (toast_->isShowingMessage()) toast_->placeIn(rect(), toastKeepClear());
    toast_->raise();
}

QWidget* MainView::makeDashboard() {
    DashboardHost host;
    host.viewModel = &viewModel_;
    host.isFloatingPanelOpen = [this] { return floatingPanel() != nullptr; };
    host.toggleFloatingPanel = [this] { toggleFloatingPanel(); };
    host.beginSaveAsPreset = [this] { beginSaveAsPreset(); };
    host.liveChart = screens_.liveChart;
    host.updateLiveChart = screens_.updateLiveChart;
    auto* dashboard = new DashboardView(std::move(host), detail_);
    connect(this, &MainView::floatingPanelChanged, dashboard, &DashboardView::refreshFloatingPanelButton);
    return dashboard;
}

QWidget* MainView::makeContent(int key) {
    if (key == kPermissionKey) return screens_.permissionOverlay(viewModel_.permissionManager(), detail_);
    switch (static_cast<Tab>(key)) {
        case Tab::dashboard:
            return makeDashboard();
        case Tab::presets:
            return screens_.presets(viewModel_, detail_);
        case Tab::recorder:
            return screens_.recorder(viewModel_, detail_);
        case Tab::history:
            return screens_.history(viewModel_, detail_);
        case Tab::settings: {
            QWidget* screen = screens_.settings(viewModel_.settingsManager(), viewModel_.permissionManager(), detail_);
            if (auto* settings = qobject_cast<SettingsView*>(screen)) {
                settings->setTrayIconShown([&viewModel = viewModel_] {
                    const MenuBarManager* tray = viewModel.menuBarManager();
                    return tray != nullptr && tray->isShownInTray();
                });
            }
            return screen;
        }
        case Tab::about:
            return screens_.about(detail_);
    }
    return new QWidget(detail_);
}

QRect MainView::toastKeepClear() const {
    QRect clear;
    if (content_ == nullptr) return clear;
    if (content_->layout() != nullptr) content_->layout()->activate();
    // Where the screen stands once in place, whatever its transition is doing now.
    const QPoint origin = detail_->mapTo(this, QPoint(0, 0));
    for (const QWidget* widget : content_->findChildren<QWidget*>()) {
        if (widget->isHidden() || !view_style::keepsClearOfToast(widget)) continue;
        clear |= QRect(origin + widget->mapTo(content_, QPoint(0, 0)), widget->size());
    }
    return clear;
}

void MainView::refreshToast() {
    toast_->setMessage(viewModel_.toastMessage(), viewModel_.toastIsFailure());
    toast_->placeIn(rect(), toastKeepClear());
    toast_->raise();
}

void MainView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    toast_->placeIn(rect(), toastKeepClear());
}

void MainView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ThemeGradient::vaqBackground().toLinearGradient(rect()));
}

// --- floating panel ---

FloatingPanel* MainView::floatingPanel() const {
    return floatingPanel_->floatingPanel();
}

void MainView::toggleFloatingPanel() {
    floatingPanel_->toggle();
}

// --- Save-as-Preset sheet ---

void MainView::setSaveAsPresetName(const QString& name) {
    saveAsPresetName_ = name;
    if (sheet_) sheet_->setName(name);
}

QString MainView::trimmedSaveAsPresetName() const {
    // QString::trimmed drops the Unicode white space and line breaks at both ends.
    return saveAsPresetName_.trimmed();
}

void MainView::beginSaveAsPreset() {
    setSaveAsPresetName(viewModel_.activePresetNameText());
    setShowingSaveAsSheet(true);
}

void MainView::cancelSaveAsPreset() {
    setShowingSaveAsSheet(false);
    setSaveAsPresetName(QString());
}

void MainView::confirmSaveAsPreset() {
    const QString name = trimmedSaveAsPresetName();
    if (!name.isEmpty()) viewModel_.saveAsNewPreset(name.toStdString());
    setShowingSaveAsSheet(false);
    setSaveAsPresetName(QString());
}

void MainView::setShowingSaveAsSheet(bool showing) {
    if (showing == showingSaveAsSheet_) return;
    showingSaveAsSheet_ = showing;
    if (showing) {
        sheet_ = new SaveAsPresetSheet(viewModel_.settingsManager().accentColor(), this);
        sheet_->setName(saveAsPresetName_);
        connect(sheet_, &SaveAsPresetSheet::nameEdited, this,
                [this](const QString& name) { saveAsPresetName_ = name; });
        connect(sheet_, &SaveAsPresetSheet::cancelClicked, this, &MainView::cancelSaveAsPreset);
        connect(sheet_, &SaveAsPresetSheet::saveClicked, this, &MainView::confirmSaveAsPreset);
        // Closed any other way (Escape, the window manager): the text stays for the next opening.
        connect(sheet_, &QDialog::finished, this, [this] { setShowingSaveAsSheet(false); });
        sheet_->open();
    } else if (sheet_) {
        SaveAsPresetSheet* sheet = sheet_;
        sheet_ = nullptr;
        sheet->disconnect(this);
        sheet->close();
        sheet->deleteLater();
    }
    emit showingSaveAsSheetChanged(showing);
}

}  // namespace clicktrove
