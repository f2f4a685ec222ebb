// The sidebar's tab catalogue.
#include "ui/shell/main_view_tab.hpp"

#include <gtest/gtest.h>
#include <iterator>

namespace clicktrove {
namespace {

TEST(MainViewTab, CatalogueInSidebarOrder) {
    const struct {
        MainViewTab tab;
        const char* title;
        const char* icon;
        const char* subtitle;
    } expected[] = {
        {MainViewTab::dashboard, "Dashboard", "cursorarrow.click.badge.clock", "Control & Config"},
        {MainViewTab::presets, "Presets", "tray.2.fill", "Saved Profiles"},
        {MainViewTab::recorder, "Recorder", "waveform", "Macro Recorder"},
        {MainViewTab::history, "History", "clock.arrow.circlepath", "Session Logs"},
        {MainViewTab::settings, "Settings", "gearshape.2.fill", "Preferences"},
        {MainViewTab::about, "About", "person.crop.circle.fill", "Developer Info"},
    };
    ASSERT_EQ(kAllMainViewTabs.size(), std::size(expected));
    for (std::size_t i = 0; i < kAllMainViewTabs.size(); ++i) {
        const auto tab = kAllMainViewTabs[i];
        EXPECT_EQ(tab, expected[i].tab);
        EXPECT_EQ(title(tab), expected[i].title);
        EXPECT_EQ(rawValue(tab), expected[i].title);
        EXPECT_EQ(icon(tab), expected[i].icon);
        EXPECT_EQ(subtitle(tab), expected[i].subtitle);
        EXPECT_EQ(mainViewTabFromRawValue(expected[i].title), tab);
    }
    for (const char* other : {"dashboard", "Dashboard ", "", "Recording"}) {
        EXPECT_FALSE(mainViewTabFromRawValue(other).has_value()) << other;
    }
}

}  // namespace
}  // namespace clicktrove
