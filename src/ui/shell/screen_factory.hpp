#pragma once

#include <QColor>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace clicktrove {

class AutoClickerViewModel;
class PermissionManager;
class SettingsManager;

// How the main window builds the screens it does not draw itself. Each member returns a new widget given to
// `parent`; the window creates a tab's screen each time the tab is shown and deletes it when it goes. The
// application fills it with the real screens; placeholders() stands in for any that are missing.
struct ScreenFactory {
    std::function<QWidget*(AutoClickerViewModel&, QWidget* parent)> presets;
    std::function<QWidget*(AutoClickerViewModel&, QWidget* parent)> recorder;
    std::function<QWidget*(AutoClickerViewModel&, QWidget* parent)> history;
    std::function<QWidget*(SettingsManager&, PermissionManager&, QWidget* parent)> settings;
    std::function<QWidget*(QWidget* parent)> about;
    // Fills the detail area while input cannot be posted.
    std::function<QWidget*(PermissionManager&, QWidget* parent)> permissionOverlay;
    // The live chart card: 30 samples, oldest first, the current rate (the Speed tile's) and the accent colour.
    std::function<QWidget*(const std::vector<double>& history, std::int64_t cps, const QColor& accentColor,
                           QWidget* parent)>
        liveChart;
    // Hands new values to a chart made by liveChart; when empty, the Dashboard makes a new chart instead.
    std::function<void(QWidget* chart, const std::vector<double>& history, std::int64_t cps, const QColor& accentColor)>
        updateLiveChart;

    // The program's own screens (the screens library), with the process-wide storage and audio services.
    static ScreenFactory standard();
    // Every member set to a plain stand-in that names its screen.
    static ScreenFactory placeholders();
    // This factory with each empty member taken from placeholders().
    ScreenFactory completed() const;
};

}  // namespace clicktrove
