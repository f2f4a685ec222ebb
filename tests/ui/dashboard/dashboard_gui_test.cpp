// The Dashboard's cards over a view model on fakes: every edit is one store of the configuration (one settings
// save), refreshes never write back, and the run bar drives the view model.
#include "services/profile_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "ui/dashboard/action_parameters_card.hpp"
#include "ui/dashboard/click_interval_card.hpp"
#include "ui/dashboard/dashboard_texts.hpp"
#include "ui/dashboard/dashboard_view.hpp"
#include "ui/dashboard/drag_drop_card.hpp"
#include "ui/dashboard/point_row.hpp"
#include "ui/dashboard/position_option_button.hpp"
#include "ui/dashboard/preset_header_card.hpp"
#include "ui/dashboard/run_bar.hpp"
#include "ui/dashboard/run_status_color.hpp"
#include "ui/dashboard/schedule_card.hpp"
#include "ui/dashboard/statistic_badges.hpp"
#include "ui/dashboard/target_location_card.hpp"
#include "ui/design/glass_card.hpp"
#include "ui/design/live_text.hpp"
#include "ui/design/neon_pulse.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/design/vaq_stat_badge.hpp"
#include "ui/shell/floating_panel.hpp"
#include "ui/shell/main_view.hpp"
#include "ui/support/paint_count.hpp"
#include "ui/support/widget_input.hpp"
#include "ui/widgets/info_helper_button.hpp"
#include "ui/widgets/labelled_integer_field.hpp"
#include "ui/widgets/number_field.hpp"
#include "ui/widgets/slider_row.hpp"
#include "ui/widgets/switch_toggle.hpp"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QImage>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

class DashboardTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        window = std::make_unique<MainView>(*vm, ScreenFactory{});
        window->resize(1100, 900);
        window->show();
        dashboard = window->dashboard();
        ASSERT_NE(dashboard, nullptr);
    }

    // Runs `edit` and returns how many times the settings record was written meanwhile.
    template <class F>
    int writesDuring(F&& edit) {
        const int before = rig.settingsWrites();
        edit();
        return rig.settingsWrites() - before;
    }

    std::unique_ptr<MainView> window;
    DashboardView* dashboard = nullptr;
};

TEST_F(DashboardTest, EachIntervalFieldStoresItsPartOnceWhenCommitted) {
    using Part = std::int64_t ClickConfig::*;
    const Part parts[] = {&ClickConfig::intervalHours, &ClickConfig::intervalMinutes, &ClickConfig::intervalSeconds,
                          &ClickConfig::intervalMilliseconds, &ClickConfig::intervalMicroseconds};
    const auto& fields = dashboard->clickIntervalCard()->fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(i);
        const ClickConfig before = vm->config();
        const std::int64_t typed = 7 + static_cast<std::int64_t>(i);
        EXPECT_EQ(writesDuring([&] { typeAndCommit(*fields[i]->field(), QString::number(typed)); }), 1);
        ClickConfig expected = before;
        expected.*parts[i] = typed;
        EXPECT_EQ(vm->config(), expected) << "only that part changes";
        EXPECT_EQ(vm->settingsManager().lastConfig(), expected);
        EXPECT_EQ(fields[i]->field()->text(), QString::number(typed));
    }
}

TEST_F(DashboardTest, UnreadableOrNegativeIntervalTextKeepsTheValueAndStoresNothing) {
    NumberField& mins = *dashboard->clickIntervalCard()->fields()[1]->field();
    typeAndCommit(mins, "4");
    for (const char* text : {"abc", "", "-3", "1.5", "2e3"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(writesDuring([&] { typeAndCommit(mins, text); }), 0);
        EXPECT_EQ(vm->config().intervalMinutes, 4);
        EXPECT_EQ(mins.text(), "4") << "the stored value comes back";
    }
}

TEST_F(DashboardTest, RefreshesFromTheViewModelNeverWriteBack) {
    const int writes = writesDuring([&] {
        rig.advance(3s);  // chart timer publications
        ClickConfig other = vm->config();
        other.intervalMilliseconds = 250;
        other.clickType = ClickType::right;
        other.randomizeInterval = true;
        other.isDragEnabled = true;
        other.scheduledStartEnabled = true;
        vm->setConfig(other);  // the one store
    });
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(dashboard->clickIntervalCard()->fields()[3]->field()->text(), "250");
    EXPECT_EQ(dashboard->actionParametersCard()->clickTypeMenu()->currentText(), "Right Click");
    EXPECT_TRUE(dashboard->clickIntervalCard()->randomizeToggle()->isChecked());
}

TEST_F(DashboardTest, LeavingAFieldWithoutTypingStoresNothing) {
    dashboard->dragDropCard()->enableToggle()->click();
    NumberField& duration = *dashboard->dragDropCard()->durationField();
    EXPECT_EQ(duration.text(), "0.5") << "the default drag duration, with its fraction";
    EXPECT_EQ(writesDuring([&] { emit duration.editingFinished(); }), 0);
    EXPECT_DOUBLE_EQ(vm->config().dragDuration, 0.5);
    typeAndCommit(duration, "1.25");
    EXPECT_DOUBLE_EQ(vm->config().dragDuration, 1.25) << "fractions typed are kept";
}

TEST_F(DashboardTest, JitterRowFollowsTheToggleAndKeepsItsValue) {
    ClickIntervalCard& card = *dashboard->clickIntervalCard();
    EXPECT_TRUE(card.jitterRow()->isHidden());
    EXPECT_EQ(writesDuring([&] { card.randomizeToggle()->click(); }), 1);
    EXPECT_TRUE(vm->config().randomizeInterval);
    EXPECT_FALSE(card.jitterRow()->isHidden());
    EXPECT_EQ(card.jitterRow()->valueText(), "50 ms");
    for (const auto& [position, text] : {std::pair{5, "5 ms"}, std::pair{200, "200 ms"}, std::pair{80, "80 ms"}}) {
        EXPECT_EQ(writesDuring([&] { card.jitterRow()->slider()->setValue(position); }), 1);
        EXPECT_EQ(card.jitterRow()->valueText(), text);
    }
    card.randomizeToggle()->click();
    EXPECT_TRUE(card.jitterRow()->isHidden());
    EXPECT_DOUBLE_EQ(vm->config().intervalRandomRangeMs, 80.0) << "switching off leaves the range";

    vm->editConfig([](ClickConfig& c) {
        c.randomizeInterval = true;
        c.intervalRandomRangeMs = 500;  // imported, outside the slider's range
    });
    EXPECT_EQ(card.jitterRow()->valueText(), "500 ms");
    EXPECT_DOUBLE_EQ(vm->config().intervalRandomRangeMs, 500.0);
}

TEST_F(DashboardTest, ClickTypeMenuListsTheNineTypesAndStoresTheChoice) {
    QComboBox& menu = *dashboard->actionParametersCard()->clickTypeMenu();
    const QStringList expected{"Left Click",         "Right Click",      "Middle Click",
                               "Double Click",       "Hold Left Button", "Hold Right Button",
                               "Hold Middle Button", "Scroll Up",        "Scroll Down"};
    ASSERT_EQ(menu.count(), expected.size());
    for (int i = 0; i < menu.count(); ++i) EXPECT_EQ(menu.itemText(i), expected[i]);
    EXPECT_EQ(writesDuring([&] {
                  menu.setCurrentIndex(3);
                  emit menu.activated(3);
              }),
              1);
    EXPECT_EQ(vm->config().clickType, ClickType::doubleClick);
}

TEST_F(DashboardTest, MaxClicksFieldAndTheFourthTile) {
    NumberField& field = *dashboard->actionParametersCard()->maxClicksField();
    VaqStatBadge& fourth = *dashboard->statistics()->badges()[3];
    EXPECT_EQ(field.placeholderText(), "0 = Infinite");
    EXPECT_EQ(fourth.label(), "Mode");
    EXPECT_EQ(fourth.value(), "∞ Infinite");
    EXPECT_EQ(fourth.icon(), QString("infinity"));

    EXPECT_EQ(writesDuring([&] { typeAndCommit(field, "100"); }), 1);
    EXPECT_EQ(vm->config().maxClicks, 100);
    EXPECT_EQ(fourth.label(), "Remaining");
    EXPECT_EQ(fourth.value(), "0") << "remaining clicks before the first run";
    EXPECT_EQ(fourth.icon(), QString("target"));

    typeAndCommit(field, "0");
    EXPECT_EQ(fourth.label(), "Mode");
}

// The fourth tile describes the run whose figures it shows: a maximum set or cleared during a run is for the next
// one, and takes over once the run has ended.
TEST_F(DashboardTest, TheFourthTileKeepsToTheRunsOwnMaximumWhileItClicks) {
    VaqStatBadge& fourth = *dashboard->statistics()->badges()[3];
    const struct {
        const char* name;
        std::int64_t atStart;
        std::int64_t setDuringTheRun;
        const char* duringTheRun;
        const char* afterIt;
    } cases[] = {
        {"a maximum set during an unlimited run", 0, 100, "Mode", "Remaining"},
        {"the maximum cleared during a limited run", 100, 0, "Remaining", "Mode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vm->setConfig(quickConfig());
        vm->editConfig([&](ClickConfig& config) { config.maxClicks = c.atStart; });
        startAndPassCountdown();
        rig.advance(300ms + 200ms);
        vm->editConfig([&](ClickConfig& config) { config.maxClicks = c.setDuringTheRun; });
        rig.advance(200ms);
        EXPECT_EQ(fourth.label(), c.duringTheRun);
        if (c.atStart > 0) {
            EXPECT_EQ(fourth.value(), QString::number(c.atStart - vm->totalClicks()));
        }
        EXPECT_NE(fourth.value(), "0") << "clicking goes on";
        vm->stopClicking();
        rig.drain();
        EXPECT_EQ(fourth.label(), c.afterIt);
    }
}

TEST_F(DashboardTest, StatisticTilesShowTheRunTotals) {
    const auto& badges = dashboard->statistics()->badges();
    EXPECT_EQ(badges[0]->label(), "Elapsed Time");
    EXPECT_EQ(badges[1]->label(), "Total Clicks");
    EXPECT_EQ(badges[2]->label(), "Speed");
    EXPECT_EQ(badges[0]->value(), "00:00");
    EXPECT_EQ(badges[1]->value(), "0");
    EXPECT_EQ(badges[2]->value(), "0 CPS");
    vm->setConfig(quickConfig());
    startAndPassCountdown();
    rig.advance(1500ms);
    ASSERT_GT(vm->totalClicks(), 0);
    EXPECT_EQ(badges[0]->value(), elapsedText(vm->elapsedTime()));
    EXPECT_EQ(badges[1]->value(), QString::number(vm->totalClicks()));
    EXPECT_EQ(badges[2]->value(), QString::number(vm->cps()) + " CPS");
    EXPECT_NE(badges[2]->value(), "0 CPS");
}

TEST(RunStatusColor, ChosenByExactStatusText) {
    const struct {
        const char* status;
        AdaptiveColor color;
    } cases[] = {
        {"Running", ThemeColors::green()},
        {"Paused", ThemeColors::amber()},
        {"Emergency Stop", ThemeColors::red()},
        {"Stopped", ThemeColors::vaqTextSecondary()},
        {"Starting in 2s...", ThemeColors::vaqTextSecondary()},
        {"running", ThemeColors::vaqTextSecondary()},
        {"Running ", ThemeColors::vaqTextSecondary()},
    };
    for (const auto& c : cases) EXPECT_EQ(runStatusColor(c.status), c.color) << c.status;
}

TEST_F(DashboardTest, RunBarDrivesTheRunThroughItsStates) {
    RunBar& bar = *dashboard->runBar();
    const auto shown = [&] {
        QStringList names;
        for (QWidget* b : {static_cast<QWidget*>(bar.startButton()), static_cast<QWidget*>(bar.pauseButton()),
                           static_cast<QWidget*>(bar.resumeButton()), static_cast<QWidget*>(bar.stopButton())}) {
            if (!b->isHidden()) names << b->objectName();
        }
        return names;
    };
    vm->setConfig(quickConfig());
    EXPECT_EQ(bar.statusText(), "Stopped");
    EXPECT_EQ(shown(), QStringList{"StartButton"});
    EXPECT_FALSE(bar.pulse()->isActive());
    EXPECT_FALSE(dashboard->runBarCard()->accentGlow().has_value());

    bar.startButton()->click();
    EXPECT_EQ(bar.statusText(), "Starting in 2s...");
    EXPECT_EQ(bar.statusColor(), ThemeColors::vaqTextSecondary());
    EXPECT_EQ(shown(), (QStringList{"PauseButton", "StopButton"}));
    EXPECT_TRUE(bar.pulse()->isActive());

    rig.advance(2s);
    EXPECT_EQ(bar.statusText(), "Running");
    EXPECT_EQ(bar.statusColor(), AdaptiveColor(ThemeColors::green()));
    EXPECT_EQ(dashboard->runBarCard()->accentGlow(), AdaptiveColor(ThemeColors::green()));
    rig.advance(500ms);

    bar.pauseButton()->click();
    EXPECT_EQ(bar.statusText(), "Paused");
    EXPECT_EQ(shown(), (QStringList{"ResumeButton", "StopButton"}));
    EXPECT_EQ(dashboard->runBarCard()->accentGlow(), AdaptiveColor(ThemeColors::amber()));

    bar.resumeButton()->click();
    EXPECT_EQ(bar.statusText(), "Running");
    EXPECT_EQ(shown(), (QStringList{"PauseButton", "StopButton"}));

    bar.stopButton()->click();
    rig.advance(100ms);
    EXPECT_EQ(bar.statusText(), "Stopped");
    EXPECT_EQ(shown(), QStringList{"StartButton"});
    EXPECT_FALSE(bar.pulse()->isActive());
    EXPECT_FALSE(dashboard->runBarCard()->accentGlow().has_value());
    EXPECT_FALSE(rig.presses().empty()) << "the run clicked";
}

TEST_F(DashboardTest, EmergencyStopShowsRedUntilTheEngineReports) {
    RunBar& bar = *dashboard->runBar();
    vm->emergencyStop();
    EXPECT_EQ(bar.statusText(), "Emergency Stop");
    EXPECT_EQ(bar.statusColor(), AdaptiveColor(ThemeColors::red()));
    EXPECT_FALSE(bar.startButton()->isHidden());
}

TEST_F(DashboardTest, PresetHeaderFollowsThePresetAndItsModifications) {
    PresetHeaderCard& header = *dashboard->presetHeader();
    const auto check = [&](const char* title, const char* subtitle, bool badge, bool saveShown, bool saveEnabled,
                           const char* saveAs) {
        EXPECT_EQ(header.titleText(), title);
        EXPECT_EQ(header.subtitleText(), subtitle);
        EXPECT_EQ(header.isModifiedBadgeShown(), badge);
        EXPECT_EQ(dashboard->presetHeaderCard()->accentGlow().has_value(), badge) << "amber glow with the badge";
        EXPECT_EQ(!header.saveButton()->isHidden(), saveShown);
        if (saveShown) {
            EXPECT_EQ(header.saveButton()->isEnabled(), saveEnabled);
        }
        EXPECT_EQ(header.saveAsButton()->label(), saveAs);
    };
    {
        SCOPED_TRACE("ad hoc, edited");
        typeAndCommit(*dashboard->clickIntervalCard()->fields()[1]->field(), "1");
        check("Custom Configuration", "Unsaved ad-hoc settings", false, false, false, "Save Preset");
    }
    const ClickPreset preset = vm->profileManager().presets()[1];
    vm->loadPreset(preset);
    {
        SCOPED_TRACE("preset, unchanged");
        check(preset.name.c_str(), "Preset Profile Active", false, true, false, "Save As…");
    }
    NumberField& mins = *dashboard->clickIntervalCard()->fields()[1]->field();
    const QString loaded = mins.text();
    typeAndCommit(mins, QString::number(preset.config.intervalMinutes + 1));
    {
        SCOPED_TRACE("preset, modified");
        check(preset.name.c_str(), "Preset Profile Active", true, true, true, "Save As…");
        EXPECT_EQ(dashboard->presetHeaderCard()->accentGlow(), AdaptiveColor(ThemeColors::amber()));
    }
    typeAndCommit(mins, loaded);
    {
        SCOPED_TRACE("edited back");
        check(preset.name.c_str(), "Preset Profile Active", false, true, false, "Save As…");
    }
    typeAndCommit(mins, QString::number(preset.config.intervalMinutes + 2));
    header.saveButton()->click();
    {
        SCOPED_TRACE("saved");
        check(preset.name.c_str(), "Preset Profile Active", false, true, false, "Save As…");
        EXPECT_EQ(vm->profileManager().presets()[1].config.intervalMinutes, preset.config.intervalMinutes + 2);
    }
}

TEST_F(DashboardTest, CardColumnWidensTheWindowInsteadOfCuttingOffAWiderHeader) {
    // The card column scrolls only vertically: whatever its cards need must fit across its viewport.
    QWidget* content = dashboard->presetHeaderCard()->parentWidget();
    QWidget* viewport = content->parentWidget();
    const auto fits = [&] {
        // Each level of the layout posts its request to the next one up.
        for (int level = 0; level < 12; ++level) QCoreApplication::sendPostedEvents();
        return content->width() <= viewport->width() && window->width() >= window->minimumWidth();
    };
    window->resize(MainView::kMinimumWidth, MainView::kMinimumHeight);
    EXPECT_TRUE(fits()) << "ad hoc";
    vm->saveAsNewPreset("Evening raid with the long rotation");
    EXPECT_TRUE(fits()) << "long preset name";
    typeAndCommit(*dashboard->clickIntervalCard()->fields()[1]->field(), "9");
    ASSERT_TRUE(dashboard->presetHeader()->isModifiedBadgeShown());
    EXPECT_TRUE(fits()) << "name with the MODIFIED badge";
    EXPECT_GT(window->minimumWidth(), MainView::kMinimumWidth);

    // A very long name gives way instead of pushing the window past any screen.
    const int usual = window->minimumWidth();
    vm->saveAsNewPreset(std::string(300, 'W'));
    EXPECT_TRUE(fits()) << "very long preset name";
    EXPECT_LE(window->minimumWidth(), usual + 200);
}

TEST_F(DashboardTest, TargetModeOptionsAndTheExecutionPathBlock) {
    TargetLocationCard& card = *dashboard->targetLocationCard();
    EXPECT_TRUE(card.currentPositionOption()->isSelected());
    EXPECT_TRUE(card.executionPath()->isHidden());

    EXPECT_EQ(writesDuring([&] { card.fixedPositionOption()->click(); }), 1);
    EXPECT_EQ(vm->config().positionMode, ClickPositionMode::fixed);
    EXPECT_FALSE(card.executionPath()->isHidden());
    EXPECT_FALSE(card.recordButton()->isHidden());
    EXPECT_TRUE(card.clearAllButton()->isHidden());
    EXPECT_TRUE(card.orderChoice()->isHidden());
    EXPECT_TRUE(card.chipTexts().isEmpty());
    EXPECT_EQ(writesDuring([&] { card.fixedPositionOption()->click(); }), 1) << "the selected option stores again";

    // One capture: five seconds of countdown, then the cursor's point.
    rig.mouse.setCursor(platform::GlobalPoint{512.7, 384.2});
    card.recordButton()->click();
    EXPECT_FALSE(card.countdownRow()->isHidden());
    EXPECT_TRUE(card.recordButton()->isVisibleTo(&card) == false);
    for (int left = 5; left >= 1; --left) {
        EXPECT_EQ(card.countdownText(), QString("Move cursor! Capturing in: %1s").arg(left));
        rig.advance(1s);
    }
    EXPECT_TRUE(card.countdownRow()->isHidden());
    EXPECT_EQ(card.chipTexts(), QStringList{"1: (512,384)"});
    EXPECT_FALSE(card.clearAllButton()->isHidden());
    EXPECT_FALSE(card.orderChoice()->isHidden());

    // A second capture of the same point, switching to the cursor mode during its countdown.
    card.recordButton()->click();
    card.currentPositionOption()->click();
    EXPECT_TRUE(card.executionPath()->isHidden());
    rig.advance(5s);
    card.fixedPositionOption()->click();
    EXPECT_EQ(card.chipTexts(), (QStringList{"1: (512,384)", "2: (512,384)"}));

    EXPECT_EQ(writesDuring([&] { card.randomOption()->click(); }), 1);
    EXPECT_EQ(vm->config().coordinatesOrder, CoordinatesOrder::random);

    EXPECT_EQ(writesDuring([&] { card.clearAllButton()->click(); }), 1);
    EXPECT_TRUE(vm->config().fixedCoordinates.empty());
    EXPECT_TRUE(card.chipTexts().isEmpty());
    EXPECT_TRUE(card.orderChoice()->isHidden());
    EXPECT_TRUE(card.clearAllButton()->isHidden());
    EXPECT_EQ(vm->config().coordinatesOrder, CoordinatesOrder::random) << "the order stays";
}

TEST_F(DashboardTest, RadiusRowFollowsItsToggle) {
    TargetLocationCard& card = *dashboard->targetLocationCard();
    EXPECT_TRUE(card.radiusRow()->isHidden());
    card.radiusToggle()->click();
    EXPECT_TRUE(vm->config().randomizeRadius);
    EXPECT_FALSE(card.radiusRow()->isHidden());
    card.radiusRow()->slider()->setValue(2);
    EXPECT_EQ(card.radiusRow()->valueText(), "2 px");
    card.radiusRow()->slider()->setValue(50);
    EXPECT_EQ(card.radiusRow()->valueText(), "50 px");
    EXPECT_DOUBLE_EQ(vm->config().randomRadius, 50.0);
}

TEST_F(DashboardTest, DragPointsStoreOneCoordinateEach) {
    DragDropCard& card = *dashboard->dragDropCard();
    EXPECT_TRUE(card.details()->isHidden());
    card.enableToggle()->click();
    EXPECT_FALSE(card.details()->isHidden());
    const ScreenPoint endBefore = vm->config().dragEndPoint;
    EXPECT_EQ(writesDuring([&] { typeAndCommit(*card.startRow()->xField(), "500"); }), 1);
    EXPECT_DOUBLE_EQ(vm->config().dragStartPoint.x, 500.0);
    EXPECT_DOUBLE_EQ(vm->config().dragStartPoint.y, 0.0);
    typeAndCommit(*card.startRow()->yField(), "-20");
    EXPECT_DOUBLE_EQ(vm->config().dragStartPoint.y, -20.0) << "monitors above the primary one";
    EXPECT_EQ(writesDuring([&] { typeAndCommit(*card.endRow()->xField(), "letters"); }), 0);
    EXPECT_EQ(vm->config().dragEndPoint, endBefore);
    card.enableToggle()->click();
    EXPECT_TRUE(card.details()->isHidden());
    EXPECT_DOUBLE_EQ(vm->config().dragStartPoint.x, 500.0) << "switching off keeps the points";
}

TEST_F(DashboardTest, SchedulePickersFollowTheirSwitchesAndStoreTheInstant) {
    ScheduleCard& card = *dashboard->scheduleCard();
    EXPECT_FALSE(card.startPicker()->isVisibleTo(&card));
    EXPECT_FALSE(card.stopPicker()->isVisibleTo(&card));
    card.startToggle()->click();
    EXPECT_TRUE(vm->config().scheduledStartEnabled);
    EXPECT_TRUE(card.startPicker()->isVisibleTo(&card));
    EXPECT_FALSE(card.stopPicker()->isVisibleTo(&card));

    const QDateTime later = card.startPicker()->dateTime().addSecs(3600);
    EXPECT_EQ(writesDuring([&] { card.startPicker()->setDateTime(later); }), 1);
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 vm->config().scheduledStartTime.time_since_epoch())
                                                 .count()),
              later);
}

TEST_F(DashboardTest, FloatingWindowButtonFollowsThePanel) {
    VaqGhostButton& button = *dashboard->floatingPanelButton();
    EXPECT_EQ(button.label(), "Open Floating Window");
    button.click();
    ASSERT_NE(window->floatingPanel(), nullptr);
    EXPECT_EQ(button.label(), "Close Floating Window");
    button.click();
    EXPECT_EQ(window->floatingPanel(), nullptr);
    EXPECT_EQ(button.label(), "Open Floating Window");

    button.click();
    window->floatingPanel()->close();  // its own close box
    EXPECT_EQ(window->floatingPanel(), nullptr);
    EXPECT_EQ(button.label(), "Open Floating Window");
}

}  // namespace
}  // namespace clicktrove::testing

namespace clicktrove::testing {
namespace {

TEST_F(DashboardTest, EachInfoButtonKeepsItsOwnPopover) {
    const auto buttons = dashboard->findChildren<InfoHelperButton*>();
    ASSERT_EQ(buttons.size(), 2) << "Human Randomisation and Random Target Jitter";
    InfoHelperButton& first = *buttons[0];
    InfoHelperButton& second = *buttons[1];
    EXPECT_EQ(first.helpText(), "Adds random jitter to intervals to mimic human speed and bypass anti-bot detection.");
    EXPECT_FALSE(first.isPresented());

    first.click();
    EXPECT_TRUE(first.isPresented());
    EXPECT_FALSE(second.isPresented());
    ASSERT_NE(first.popover(), nullptr);
    EXPECT_EQ(first.popover()->width(), InfoHelperButton::kPopoverWidth);

    first.click();
    EXPECT_FALSE(first.isPresented());
    second.click();
    EXPECT_TRUE(second.isPresented());
    second.popover()->close();  // a click elsewhere
    EXPECT_FALSE(second.isPresented());
}

TEST_F(DashboardTest, NothingOnTheDashboardRendersThroughAGraphicsEffect) {
    // An effect renders its widget's whole subtree off-screen at every update of any child, and during a run the
    // tiles, the chart and the pulsing dot update all the time.
    const auto effects = [&] {
        QStringList found;
        for (const QWidget* widget : dashboard->findChildren<QWidget*>()) {
            if (widget->graphicsEffect() != nullptr) found << widget->metaObject()->className();
        }
        return found;
    };
    EXPECT_EQ(effects(), QStringList());
    vm->setConfig(quickConfig());
    startAndPassCountdown();
    rig.advance(300ms);
    ASSERT_TRUE(dashboard->runBar()->pulse()->isAnimating());
    EXPECT_EQ(effects(), QStringList());
    // The cards still have their shadows, drawn beneath them.
    const ShadowUnderlay& runBarShadow = *dashboard->runBarCard()->shadowUnderlay();
    EXPECT_TRUE(runBarShadow.isVisible());
    EXPECT_EQ(runBarShadow.shadow().color.rgb(), ThemeColors::green().rgb()) << "the card glows in the status colour";
    EXPECT_GT(runBarShadow.shadow().color.alpha(), 0);
}

TEST_F(DashboardTest, RunBarPulseBreathesOnlyWhileARunIsOnScreen) {
    NeonPulse& pulse = *dashboard->runBar()->pulse();
    const auto clockRuns = [&] {
        return pulse.findChild<QTimer*>()->isActive();
    };
    EXPECT_FALSE(clockRuns());
    EXPECT_EQ(pulse.underlay()->shadow().color.alpha(), 0) << "no glow while idle";
    vm->setConfig(quickConfig());
    startAndPassCountdown();
    EXPECT_TRUE(clockRuns());
    EXPECT_GT(pulse.underlay()->shadow().color.alpha(), 0);
    EXPECT_EQ(pulse.underlay()->shadow().color.rgb(), ThemeColors::green().rgb());

    window->hide();
    EXPECT_FALSE(clockRuns()) << "nothing breathes in a hidden window";
    window->show();
    EXPECT_TRUE(clockRuns());

    vm->stopClicking();
    rig.advance(100ms);
    EXPECT_FALSE(clockRuns());
    EXPECT_EQ(pulse.underlay()->shadow().color.alpha(), 0);
}

TEST_F(DashboardTest, ARunRepaintsOnlyTheFiguresThatChanged) {
    vm->setConfig(quickConfig());
    startAndPassCountdown();
    rig.advance(1500ms);
    paintPending();
    const auto& badges = dashboard->statistics()->badges();
    std::vector<std::unique_ptr<PaintCount>> paints;
    QStringList before;
    for (VaqStatBadge* badge : badges) {
        paints.push_back(std::make_unique<PaintCount>(badge->valueLabel()));
        before << badge->value();
    }
    for (int step = 0; step < 12; ++step) {
        SCOPED_TRACE(step);
        for (auto& p : paints) p->take();
        rig.advance(100ms);
        paintPending();
        std::vector<int> painted;
        for (auto& p : paints) painted.push_back(p->take());
        for (std::size_t i = 0; i < badges.size(); ++i) {
            const bool changed = badges[i]->value() != before[static_cast<int>(i)];
            EXPECT_EQ(painted[i] > 0, changed) << badges[i]->label().toStdString();
            before[static_cast<int>(i)] = badges[i]->value();
        }
        EXPECT_EQ(painted[3], 0) << "the unlimited mode's tile never changes";
    }
    EXPECT_EQ(badges[1]->value(), QString::number(vm->totalClicks()));
}

TEST_F(DashboardTest, WhatARunLeavesOnScreenIsWhatAFullRepaintDraws) {
    // The tiles, the cards under them and the shadows repaint only the strips that changed, with shortcuts for
    // the straight parts of their outlines; the screen must still end up as if everything had been drawn anew.
    vm->setConfig(quickConfig());
    startAndPassCountdown();
    for (int step = 0; step < 30; ++step) {
        rig.advance(100ms);
        paintPending();
    }
    // The pulse breathes in real time; held still, both pictures see the same glow.
    dashboard->runBar()->pulse()->findChild<QTimer*>()->stop();
    paintPending();
    const QImage onScreen =
        window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage drawnAnew = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(onScreen.size(), drawnAnew.size());
    int differing = 0;
    for (int y = 0; y < onScreen.height(); ++y) {
        for (int x = 0; x < onScreen.width(); ++x) differing += onScreen.pixel(x, y) != drawnAnew.pixel(x, y);
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace clicktrove::testing
