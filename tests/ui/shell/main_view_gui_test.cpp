// The main window over a view model on fakes: the sidebar's tabs, the screens it builds and with what, the
// permission screen in place of every tab, the toast and the Save-as-Preset sheet.
#include "engine/permission_manager.hpp"
#include "services/profile_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/run_controller.hpp"
#include "session/view_model_rig.hpp"
#include "ui/dashboard/dashboard_view.hpp"
#include "ui/dashboard/preset_header_card.hpp"
#include "ui/dashboard/save_as_preset_sheet.hpp"
#include "ui/dashboard/statistic_badges.hpp"
#include "ui/design/live_text.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/design/vaq_stat_badge.hpp"
#include "ui/screens/live_cps_chart_view.hpp"
#include "ui/screens/permission_overlay_view.hpp"
#include "ui/screens/settings_view.hpp"
#include "ui/shell/floating_panel.hpp"
#include "ui/shell/main_view.hpp"
#include "ui/shell/screen_stage.hpp"
#include "ui/shell/sidebar_tab_row.hpp"
#include "ui/shell/sidebar_view.hpp"
#include "ui/shell/toast_view.hpp"
#include "ui/support/pinned_look.hpp"
#include "ui/support/widget_input.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QVariantAnimation>
#include <map>
#include <string>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

// A factory whose screens are plain widgets named after the screen, recording what each was built with.
struct RecordingScreens {
    std::map<std::string, int> built;
    std::vector<AutoClickerViewModel*> viewModels;
    std::vector<SettingsManager*> settings;
    std::vector<PermissionManager*> permissions;

    QWidget* make(const char* name, QWidget* parent) {
        ++built[name];
        auto* w = new QWidget(parent);
        w->setObjectName(name);
        return w;
    }

    ScreenFactory factory() {
        ScreenFactory f;
        f.presets = [this](AutoClickerViewModel& vm, QWidget* p) {
            viewModels.push_back(&vm);
            return make("presets", p);
        };
        f.recorder = [this](AutoClickerViewModel& vm, QWidget* p) {
            viewModels.push_back(&vm);
            return make("recorder", p);
        };
        f.history = [this](AutoClickerViewModel& vm, QWidget* p) {
            viewModels.push_back(&vm);
            return make("history", p);
        };
        f.settings = [this](SettingsManager& s, PermissionManager& pm, QWidget* p) {
            settings.push_back(&s);
            permissions.push_back(&pm);
            return make("settings", p);
        };
        f.about = [this](QWidget* p) { return make("about", p); };
        f.permissionOverlay = [this](PermissionManager& pm, QWidget* p) {
            permissions.push_back(&pm);
            return make("permission", p);
        };
        return f;
    }
};

class MainViewTest : public ViewModelTest {
protected:
    std::unique_ptr<MainView> makeWindow() {
        auto window = std::make_unique<MainView>(*vm, screens.factory());
        window->resize(1000, 700);
        window->show();
        return window;
    }

    // The monitor's next poll (once a second) sees the new answer.
    void setPermission(bool granted) {
        rig.permission->setAnswer(granted);
        rig.advance(1s);
        ASSERT_TRUE(rig.waitForPermission(*vm, granted));
    }

    RecordingScreens screens;
};

TEST_F(MainViewTest, SidebarListsTheSixTabsAndStartsOnTheDashboard) {
    const auto window = makeWindow();
    const auto& rows = window->sidebar()->rows();
    QStringList titles;
    for (const SidebarTabRow* row : rows) titles << row->text();
    EXPECT_EQ(titles, (QStringList{"Dashboard", "Presets", "Recorder", "History", "Settings", "About"}));
    EXPECT_EQ(window->selectedTab(), MainViewTab::dashboard);
    EXPECT_TRUE(rows[0]->isSelected());
    EXPECT_NE(window->dashboard(), nullptr);
    EXPECT_EQ(window->content(), window->dashboard());
    EXPECT_EQ(window->sidebar()->width(), SidebarView::kWidth);
    EXPECT_EQ(window->minimumSize(), QSize(820, 560));
}

TEST_F(MainViewTest, SidebarTakesANewAccentAtOnce) {
    const auto window = makeWindow();
    for (const AccentThemeColor accent : {AccentThemeColor::red, AccentThemeColor::green}) {
        SCOPED_TRACE(static_cast<int>(accent));
        // No clock advance: the chart timer's publication must not be what repaints the sidebar.
        vm->settingsManager().setAccentColor(accent);
        for (const SidebarTabRow* row : window->sidebar()->rows()) EXPECT_EQ(row->accent(), accent);
    }
}

TEST_F(MainViewTest, EachRowShowsItsScreenBuiltWithTheRightObjects) {
    const auto window = makeWindow();
    const struct {
        MainViewTab tab;
        const char* screen;
    } cases[] = {{MainViewTab::presets, "presets"},
                 {MainViewTab::recorder, "recorder"},
                 {MainViewTab::history, "history"},
                 {MainViewTab::settings, "settings"},
                 {MainViewTab::about, "about"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.screen);
        window->sidebar()->rows()[static_cast<std::size_t>(c.tab)]->click();
        EXPECT_EQ(window->selectedTab(), c.tab);
        ASSERT_NE(window->content(), nullptr);
        EXPECT_EQ(window->content()->objectName(), c.screen);
        EXPECT_EQ(window->dashboard(), nullptr);
        for (const SidebarTabRow* row : window->sidebar()->rows()) EXPECT_EQ(row->isSelected(), row->tab() == c.tab);
    }
    for (AutoClickerViewModel* v : screens.viewModels) EXPECT_EQ(v, vm.get());
    ASSERT_EQ(screens.settings.size(), 1u);
    EXPECT_EQ(screens.settings[0], &vm->settingsManager());
    EXPECT_EQ(screens.permissions[0], &vm->permissionManager());

    // Choosing the shown tab again builds nothing new; coming back builds the screen anew.
    QWidget* about = window->content();
    window->sidebar()->rows()[5]->click();
    EXPECT_EQ(window->content(), about);
    EXPECT_EQ(screens.built["about"], 1);
    window->sidebar()->rows()[0]->click();
    EXPECT_NE(window->dashboard(), nullptr);
    window->sidebar()->rows()[5]->click();
    EXPECT_EQ(screens.built["about"], 2);
}

TEST_F(MainViewTest, ANewTabFadesInWhileMovingInFromTheTrailingEdge) {
    const auto window = makeWindow();
    for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        SCOPED_TRACE(direction == Qt::LeftToRight ? "left to right" : "right to left");
        window->setLayoutDirection(direction);
        window->selectTab(window->selectedTab() == MainViewTab::presets ? MainViewTab::history : MainViewTab::presets);
        ScreenStage& stage = *window->detailArea();
        QWidget* screen = window->content();
        ASSERT_TRUE(stage.isTransitioning());
        EXPECT_EQ(stage.animation()->duration(), 200);
        const int trailing = direction == Qt::LeftToRight ? 1 : -1;

        // Halfway through: half the way in, half faded in.
        stage.animation()->setCurrentTime(100);
        EXPECT_NEAR(screen->x() * trailing, stage.width() / 2, 2);
        auto* fade = qobject_cast<QGraphicsOpacityEffect*>(screen->graphicsEffect());
        ASSERT_NE(fade, nullptr);
        EXPECT_NEAR(fade->opacity(), 0.5, 0.01);

        stage.animation()->setCurrentTime(200);
        EXPECT_FALSE(stage.isTransitioning());
        EXPECT_EQ(screen->geometry(), stage.rect()) << "in place, filling the area";
        EXPECT_EQ(screen->graphicsEffect(), nullptr) << "the fade is gone once done";
    }
}

TEST_F(MainViewTest, PermissionScreenReplacesEveryTabWhileInputCannotBePosted) {
    const auto window = makeWindow();
    setPermission(false);
    EXPECT_TRUE(window->isShowingPermissionScreen());
    EXPECT_EQ(window->content()->objectName(), "permission");
    EXPECT_EQ(screens.permissions.back(), &vm->permissionManager());

    // The sidebar stays usable; the chosen tab waits behind the permission screen.
    window->sidebar()->rows()[3]->click();
    EXPECT_EQ(window->selectedTab(), MainViewTab::history);
    EXPECT_TRUE(window->sidebar()->rows()[3]->isSelected());
    EXPECT_EQ(window->content()->objectName(), "permission");
    EXPECT_EQ(screens.built["history"], 0);

    setPermission(true);
    EXPECT_FALSE(window->isShowingPermissionScreen());
    EXPECT_EQ(window->content()->objectName(), "history");

    // Losing it again while on the Dashboard.
    window->sidebar()->rows()[0]->click();
    setPermission(false);
    EXPECT_EQ(window->dashboard(), nullptr);
    EXPECT_EQ(window->content()->objectName(), "permission");
}

TEST_F(MainViewTest, StartWithoutPermissionStartsNothing) {
    const auto window = makeWindow();
    setPermission(false);
    vm->startClicking();
    EXPECT_FALSE(vm->isRunning());
    EXPECT_EQ(window->content()->objectName(), "permission");
}

TEST_F(MainViewTest, ToastShowsTheMessageUntilTheViewModelClearsIt) {
    const auto window = makeWindow();
    ToastView& toast = *window->toast();
    EXPECT_FALSE(toast.isShowingMessage());
    EXPECT_TRUE(toast.isHidden());

    vm->showToast("First notice");
    EXPECT_TRUE(toast.isShowingMessage());
    EXPECT_FALSE(toast.isHidden());
    EXPECT_EQ(toast.message(), "First notice");
    EXPECT_EQ(toast.geometry().center().x(), window->rect().center().x()) << "top centre";
    EXPECT_LT(toast.geometry().top(), ToastView::kTopSpace);

    rig.advance(1500ms);
    vm->showToast("Second notice");
    EXPECT_EQ(toast.message(), "Second notice");
    rig.advance(600ms);  // the first one's clearing comes and goes
    EXPECT_TRUE(toast.isShowingMessage());
    rig.advance(1500ms);
    EXPECT_FALSE(toast.isShowingMessage());
    EXPECT_TRUE(toast.isHidden());
}

TEST_F(MainViewTest, AFailureNoticeShowsTheFailureSymbolAndASuccessTheCheckmark) {
    const auto window = makeWindow();
    ToastView& toast = *window->toast();
    vm->showFailureToast("Settings could not be saved: No space left on device");
    EXPECT_TRUE(toast.isFailure());
    EXPECT_EQ(toast.symbol(), "xmark.octagon.fill");
    vm->showToast("Deleted 'Mine'");
    EXPECT_FALSE(toast.isFailure());
    EXPECT_EQ(toast.symbol(), "checkmark.circle.fill");
}

TEST_F(MainViewTest, ARefusedStartReachesTheDesktopWhileTheWindowIsOutOfSight) {
    const auto window = makeWindow();
    vm->editConfig([](ClickConfig& c) {
        c.positionMode = ClickPositionMode::fixed;
        c.fixedCoordinates.clear();
    });
    const auto& sent = rig.notificationTransport->sent();
    // On screen, the toast says it.
    vm->startClicking();
    EXPECT_EQ(window->toast()->message(), RunController::noPointsNotice());
    EXPECT_TRUE(sent.empty());
    // Hidden to the tray or minimised, a desktop notification says it instead of a toast nobody sees.
    window->hide();
    vm->startClicking();
    window->show();
    window->showMinimized();
    vm->startClicking();
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& notice : sent) {
        EXPECT_EQ(notice.title, "Clicktrove");
        EXPECT_EQ(notice.body, RunController::noPointsNotice().toStdString());
        EXPECT_EQ(notice.soundName, "");
    }
    EXPECT_FALSE(vm->isRunning());
}

TEST_F(MainViewTest, LongToastWrapsWithinTheWindow) {
    const auto window = makeWindow();
    vm->showToast(QString("A long notice ").repeated(40));
    EXPECT_LE(window->toast()->width(), window->width());
    EXPECT_GT(window->toast()->height(), 100) << "several lines";
}

// The offscreen platform has no tray: the Settings screen the window makes asks the tray menu, and says so.
TEST_F(MainViewTest, TheSettingsScreenTellsWhetherTheTaskbarEntryCanGo) {
    MainView window(*vm, ScreenFactory::standard());
    window.show();
    window.selectTab(MainViewTab::settings);
    auto* settings = qobject_cast<SettingsView*>(window.content());
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->taskbarEntryNote().startsWith(QStringLiteral("No tray icon on this desktop")));
}

// Under "System" the window draws with the palette of the desktop's appearance, not with the desktop's own
// window colour: no part of the sidebar or of a screen drawn with the palette shows the desktop's grey.
TEST_F(MainViewTest, UnderTheSystemThemeNoPartPaintsTheDesktopsWindowColour) {
    PinnedFont font;
    PinnedTheme system(AppTheme::system);
    QPalette desktop;
    const QColor desktopGrey(201, 183, 121);  // a grey no palette colour comes near, so every leak shows
    desktop.setColor(QPalette::Window, desktopGrey);
    desktop.setColor(QPalette::WindowText, QColor(20, 20, 20));
    QGuiApplication::setPalette(desktop);
    {
        MainView window(*vm, ScreenFactory::standard());
        window.resize(1100, 700);
        window.show();
        for (const MainViewTab tab :
             {MainViewTab::dashboard, MainViewTab::presets, MainViewTab::history, MainViewTab::settings}) {
            SCOPED_TRACE(static_cast<int>(tab));
            window.selectTab(tab);
            window.detailArea()->animation()->setCurrentTime(ScreenStage::kDurationMs);
            QCoreApplication::sendPostedEvents();
            const QImage image = window.grab().toImage();
            int leaks = 0;
            QPoint first;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixelColor(x, y) != desktopGrey) continue;
                    if (leaks++ == 0) first = {x, y};
                }
            }
            EXPECT_EQ(leaks, 0) << "first at " << first.x() << "," << first.y();
        }
    }
    QGuiApplication::setPalette(QPalette());
}

TEST_F(MainViewTest, ToastStaysClearOfTheScreenTitleAndTheRecorderButtonsAtEveryWidth) {
    PinnedFont font;
    MainView window(*vm, ScreenFactory::standard());
    window.show();
    const std::vector<std::pair<MainViewTab, QStringList>> screens = {
        {MainViewTab::presets, {"screenTitle"}},
        {MainViewTab::history, {"screenTitle"}},
        {MainViewTab::settings, {"screenTitle"}},
        {MainViewTab::recorder, {"recordButton", "playbackButton"}},
    };
    for (const auto& [tab, clearOf] : screens) {
        window.selectTab(tab);
        window.detailArea()->animation()->setCurrentTime(ScreenStage::kDurationMs);
        for (const char* message : {"Deleted 'Gaming Speed Clicker'", "Saved settings as new preset 'Evening raid'"}) {
            vm->showToast(message);
            for (const int width : {820, 900, 1000, 1400}) {
                SCOPED_TRACE(QStringLiteral("tab %1, %2, %3 wide").arg(int(tab)).arg(message).arg(width).toStdString());
                window.resize(width, 700);
                QCoreApplication::sendPostedEvents();
                const QRect bubble = window.toast()->restingBubbleGeometry();
                for (const QString& name : clearOf) {
                    const QWidget* widget = window.content()->findChild<QWidget*>(name);
                    ASSERT_NE(widget, nullptr) << name.toStdString();
                    const QRect rect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
                    EXPECT_FALSE(bubble.intersects(rect)) << name.toStdString();
                }
                EXPECT_TRUE(window.rect().contains(bubble));
                if (width >= 1400) {
                    EXPECT_EQ(bubble.top(), ToastView::kTopSpace) << "at the top where there is room";
                }
            }
        }
        rig.advance(3s);
    }
}

TEST_F(MainViewTest, SaveAsSheetStartsWithTheActivePresetsName) {
    const auto window = makeWindow();
    PresetHeaderCard& header = *window->dashboard()->presetHeader();

    header.saveAsButton()->click();  // "Save Preset"
    ASSERT_TRUE(window->showingSaveAsSheet());
    ASSERT_NE(window->saveAsSheet(), nullptr);
    EXPECT_EQ(window->saveAsSheet()->nameField()->text(), "");
    EXPECT_FALSE(window->saveAsSheet()->saveButton()->isEnabled());
    EXPECT_EQ(window->saveAsSheet()->width(), 300);
    EXPECT_GE(window->saveAsSheet()->height(), 220);
    window->saveAsSheet()->cancelButton()->click();
    EXPECT_FALSE(window->showingSaveAsSheet());

    const ClickPreset preset = vm->profileManager().presets()[0];
    vm->loadPreset(preset);
    header.saveAsButton()->click();  // "Save As…"
    ASSERT_NE(window->saveAsSheet(), nullptr);
    EXPECT_EQ(window->saveAsSheet()->nameField()->text(), QString::fromStdString(preset.name));
    EXPECT_TRUE(window->saveAsSheet()->saveButton()->isEnabled());
}

TEST_F(MainViewTest, SaveAsSheetSavesTheTrimmedNameAndCancelCreatesNothing) {
    const auto window = makeWindow();
    const std::size_t before = vm->profileManager().presets().size();

    window->beginSaveAsPreset();
    SaveAsPresetSheet* sheet = window->saveAsSheet();
    ASSERT_NE(sheet, nullptr);
    typeInto(*sheet->nameField(), "   ");
    EXPECT_FALSE(sheet->saveButton()->isEnabled()) << "blanks only";
    typeInto(*sheet->nameField(), "Draft");
    EXPECT_EQ(window->saveAsPresetName(), "Draft");
    sheet->cancelButton()->click();
    EXPECT_FALSE(window->showingSaveAsSheet());
    EXPECT_EQ(window->saveAsPresetName(), "") << "Cancel clears the field";
    EXPECT_EQ(vm->profileManager().presets().size(), before);

    window->beginSaveAsPreset();
    sheet = window->saveAsSheet();
    typeInto(*sheet->nameField(), "  Night shift \n");
    typeAndCommit(*sheet->nameField(), sheet->nameField()->text());  // Return saves nothing
    EXPECT_TRUE(window->showingSaveAsSheet());
    EXPECT_EQ(vm->profileManager().presets().size(), before);
    EXPECT_TRUE(sheet->saveButton()->isEnabled());
    sheet->saveButton()->click();
    EXPECT_FALSE(window->showingSaveAsSheet());
    EXPECT_EQ(window->saveAsPresetName(), "");
    ASSERT_EQ(vm->profileManager().presets().size(), before + 1);
    EXPECT_EQ(vm->profileManager().presets().back().name, "Night shift");
    EXPECT_EQ(window->dashboard()->presetHeader()->titleText(), "Night shift");
    EXPECT_EQ(vm->toastMessage(), QString("Saved settings as new preset 'Night shift'"));
}

TEST_F(MainViewTest, SaveWithABlankNameClosesWithoutAPreset) {
    const auto window = makeWindow();
    const std::size_t before = vm->profileManager().presets().size();
    window->beginSaveAsPreset();
    window->setSaveAsPresetName(" \t ");
    window->confirmSaveAsPreset();
    EXPECT_FALSE(window->showingSaveAsSheet());
    EXPECT_EQ(vm->profileManager().presets().size(), before);
}

TEST_F(MainViewTest, ClosingTheSheetOtherwiseKeepsTheTypedName) {
    const auto window = makeWindow();
    window->beginSaveAsPreset();
    typeInto(*window->saveAsSheet()->nameField(), "Half typed");
    pressEscape(*window->saveAsSheet()->nameField());
    EXPECT_FALSE(window->showingSaveAsSheet());
    EXPECT_EQ(window->saveAsPresetName(), "Half typed");
}

TEST_F(MainViewTest, FloatingPanelOutlivesTabSwitches) {
    const auto window = makeWindow();
    window->toggleFloatingPanel();
    QWidget* panel = window->floatingPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isWindow());
    window->sidebar()->rows()[1]->click();
    window->sidebar()->rows()[0]->click();
    EXPECT_EQ(window->floatingPanel(), panel);
    EXPECT_EQ(window->dashboard()->floatingPanelButton()->label(), "Close Floating Window");
    window->toggleFloatingPanel();
    EXPECT_EQ(window->floatingPanel(), nullptr);
}

}  // namespace
}  // namespace clicktrove::testing

namespace clicktrove::testing {
namespace {

TEST_F(MainViewTest, StandardScreensAreTheProgramsOwn) {
    MainView window(*vm, ScreenFactory::standard());
    window.show();
    auto* chart = qobject_cast<LiveCPSChartView*>(window.dashboard()->liveChart());
    ASSERT_NE(chart, nullptr);
    vm->setConfig(quickConfig());
    startAndPassCountdown();
    rig.advance(1500ms);
    EXPECT_EQ(window.dashboard()->liveChart(), chart) << "the same chart, given new samples";
    EXPECT_EQ(chart->history(), vm->cpsHistory());
    EXPECT_GT(chart->history().back(), 0.0);
    vm->stopClicking();
    rig.advance(100ms);
    const struct {
        int row;
        const char* className;
    } cases[] = {{1, "clicktrove::PresetsView"},
                 {2, "clicktrove::RecordingView"},
                 {3, "clicktrove::HistoryView"},
                 {4, "clicktrove::SettingsView"},
                 {5, "clicktrove::AboutView"}};
    for (const auto& c : cases) {
        window.sidebar()->rows()[static_cast<std::size_t>(c.row)]->click();
        EXPECT_STREQ(window.content()->metaObject()->className(), c.className);
    }
    setPermission(false);
    EXPECT_NE(qobject_cast<PermissionOverlayView*>(window.content()), nullptr);
}

// The chart's figure and the Speed tile tell one rate: during a run of double clicks (two clicks a tick, so the
// per-second samples run at twice the tick rate) and in every moment after it stops, when both fall to 0 together.
TEST_F(MainViewTest, TheLiveChartsFigureIsTheSpeedTilesDuringARunAndAfterIt) {
    MainView window(*vm, ScreenFactory::standard());
    window.show();
    auto* chart = qobject_cast<LiveCPSChartView*>(window.dashboard()->liveChart());
    ASSERT_NE(chart, nullptr);
    const VaqStatBadge& speed = *window.dashboard()->statistics()->badges()[2];
    ClickConfig config = quickConfig();
    config.clickType = ClickType::doubleClick;
    vm->setConfig(config);
    startAndPassCountdown();
    for (int step = 0; step < 30; ++step) {
        rig.advance(50ms);
        ASSERT_EQ(chart->currentValueLabel()->text(), speed.value()) << "at " << step * 50 << " ms of the run";
    }
    ASSERT_NE(speed.value(), "0 CPS");
    EXPECT_GT(chart->history().back(), static_cast<double>(vm->cps())) << "the plot keeps its samples of clicks";
    vm->stopClicking();
    for (int step = 0; step < 60; ++step) {
        rig.advance(50ms);
        ASSERT_EQ(chart->currentValueLabel()->text(), speed.value()) << "at " << step * 50 << " ms after the stop";
    }
    EXPECT_EQ(speed.value(), "0 CPS");
}

}  // namespace
}  // namespace clicktrove::testing
