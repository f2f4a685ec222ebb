#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace clicktrove {

// The sidebar's tabs, in the order of its rows. The raw value is also the row's title.
enum class MainViewTab { dashboard, presets, recorder, history, settings, about };

inline constexpr std::array<MainViewTab, 6> kAllMainViewTabs{MainViewTab::dashboard, MainViewTab::presets,
                                                             MainViewTab::recorder,  MainViewTab::history,
                                                             MainViewTab::settings,  MainViewTab::about};

constexpr std::string_view rawValue(MainViewTab tab) {
    switch (tab) {
        case MainViewTab::dashboard:
            return "Dashboard";
        case MainViewTab::presets:
            return "Presets";
        case MainViewTab::recorder:
            return "Recorder";
        case MainViewTab::history:
            return "History";
        case MainViewTab::settings:
            return "Settings";
        case MainViewTab::about:
            return "About";
    }
    return {};
}

constexpr std::string_view title(MainViewTab tab) {
    return rawValue(tab);
}

// The symbol name of the row's icon (see the symbol icon table for what it is drawn with).
constexpr std::string_view icon(MainViewTab tab) {
    switch (tab) {
        case MainViewTab::dashboard:
            return "cursorarrow.click.badge.clock";
        case MainViewTab::presets:
            return "tray.2.fill";
        case MainViewTab::recorder:
            return "waveform";
        case MainViewTab::history:
            return "clock.arrow.circlepath";
        case MainViewTab::settings:
            return "gearshape.2.fill";
        case MainViewTab::about:
            return "person.crop.circle.fill";
    }
    return {};
}

// Part of the catalogue; no screen shows it.
constexpr std::string_view subtitle(MainViewTab tab) {
    switch (tab) {
        case MainViewTab::dashboard:
            return "Control & Config";
        case MainViewTab::presets:
            return "Saved Profiles";
        case MainViewTab::recorder:
            return "Macro Recorder";
        case MainViewTab::history:
            return "Session Logs";
        case MainViewTab::settings:
            return "Preferences";
        case MainViewTab::about:
            return "Developer Info";
    }
    return {};
}

// Exact, case-sensitive match against the six raw values; nothing for any other text.
constexpr std::optional<MainViewTab> mainViewTabFromRawValue(std::string_view text) {
    for (const auto tab : kAllMainViewTabs) {
        if (rawValue(tab) == text) return tab;
    }
    return std::nullopt;
}

}  // namespace clicktrove
