#include "ui/shell/screen_factory.hpp"

#include "ui/screens/about_view.hpp"
#include "ui/screens/history_view.hpp"
#include "ui/screens/live_cps_chart_view.hpp"
#include "ui/screens/permission_overlay_view.hpp"
#include "ui/screens/presets_view.hpp"
#include "ui/screens/recording_view.hpp"
#include "ui/screens/settings_view.hpp"
#include "ui/shell/placeholder_screen.hpp"
#include "ui/widgets/value_text.hpp"

#include <QLabel>
#include <QWidget>

namespace clicktrove {

namespace {

QString newestSampleText(const std::vector<double>& history) {
    return QStringLiteral("Live Click Activity: %1 CPS")
        .arg(history.empty() ? QStringLiteral("0") : truncatedIntegerText(history.back()));
}

}  // namespace

ScreenFactory ScreenFactory::standard() {
    ScreenFactory f;
    f.presets = [](AutoClickerViewModel& vm, QWidget* parent) { return new PresetsView(vm, parent); };
    f.recorder = [](AutoClickerViewModel& vm, QWidget* parent) { return new RecordingView(vm, parent); };
    f.history = [](AutoClickerViewModel& vm, QWidget* parent) { return new HistoryView(vm, parent); };
    f.settings = [](SettingsManager& settings, PermissionManager& permission, QWidget* parent) {
        return new SettingsView(settings, permission, parent);
    };
    f.about = [](QWidget* parent) { return new AboutView(parent); };
    f.permissionOverlay = [](PermissionManager& permission, QWidget* parent) {
        return new PermissionOverlayView(permission, parent);
    };
    f.liveChart = [](const std::vector<double>& history, std::int64_t cps, const QColor& accent, QWidget* parent) {
        auto* chart = new LiveCPSChartView(parent);
        chart->setHistory(history);
        chart->setCurrentCps(cps);
        chart->setAccentColor(accent);
        return chart;
    };
    f.updateLiveChart = [](QWidget* chart, const std::vector<double>& history, std::int64_t cps, const QColor& accent) {
        if (auto* live = qobject_cast<LiveCPSChartView*>(chart)) {
            live->setHistory(history);
            live->setCurrentCps(cps);
            live->setAccentColor(accent);
        }
    };
    return f;
}

ScreenFactory ScreenFactory::placeholders() {
    ScreenFactory f;
    f.presets = [](AutoClickerViewModel&, QWidget* parent) { return new PlaceholderScreen("Presets", parent); };
    f.recorder = [](AutoClickerViewModel&, QWidget* parent) { return new PlaceholderScreen("Recorder", parent); };
    f.history = [](AutoClickerViewModel&, QWidget* parent) { return new PlaceholderScreen("History", parent); };
    f.settings = [](SettingsManager&, PermissionManager&, QWidget* parent) {
        return new PlaceholderScreen("Settings", parent);
    };
    f.about = [](QWidget* parent) { return new PlaceholderScreen("About", parent); };
    f.permissionOverlay = [](PermissionManager&, QWidget* parent) {
        auto* screen = new PlaceholderScreen("Input Access Required", parent);
        screen->setDetail("Clicktrove cannot post mouse input on this display.");
        return screen;
    };
    f.liveChart = [](const std::vector<double>& history, std::int64_t, const QColor&, QWidget* parent) {
        auto* chart = new PlaceholderScreen("Live Click Activity", parent);
        chart->setMinimumHeight(148);
        chart->setDetail(newestSampleText(history));
        return chart;
    };
    f.updateLiveChart = [](QWidget* chart, const std::vector<double>& history, std::int64_t, const QColor&) {
        if (auto* placeholder = qobject_cast<PlaceholderScreen*>(chart))
            placeholder->setDetail(newestSampleText(history));
    };
    return f;
}

ScreenFactory ScreenFactory::completed() const {
    ScreenFactory f = *this;
    const ScreenFactory p = placeholders();
    if (!f.presets) f.presets = p.presets;
    if (!f.recorder) f.recorder = p.recorder;
    if (!f.history) f.history = p.history;
    if (!f.settings) f.settings = p.settings;
    if (!f.about) f.about = p.about;
    if (!f.permissionOverlay) f.permissionOverlay = p.permissionOverlay;
    if (!f.liveChart) {
        f.liveChart = p.liveChart;
        f.updateLiveChart = p.updateLiveChart;
    }
    return f;
}

}  // namespace clicktrove
