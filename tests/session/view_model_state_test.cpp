// The view model's state at start-up, configuration edits, the modified flag, notices and the preset operations.
#include "session/view_model_rig.hpp"

#include "engine/model_json.hpp"
#include "services/history_manager.hpp"
#include "services/profile_manager.hpp"
#include "services/settings_manager.hpp"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace clicktrove::testing {
namespace {

// The defaults with the scheduled times taken from `reference`, so that two defaults made at different moments
// compare equal.
ClickConfig withTimesOf(ClickConfig config, const ClickConfig& reference) {
    config.scheduledStartTime = reference.scheduledStartTime;
    config.scheduledStopTime = reference.scheduledStopTime;
    return config;
}

TEST(ViewModelStartUp, FreshInstallationStartsFromTheDefaults) {
    ViewModelRig rig;
    const auto vm = rig.make();

    EXPECT_EQ(vm->config(), withTimesOf(ClickConfig(), vm->config()));
    EXPECT_EQ(vm->settingsManager().lastConfig(), vm->config());
    ASSERT_EQ(vm->profileManager().presets().size(), 3u);
    EXPECT_EQ(vm->profileManager().presets()[0].name, "Gaming Speed Clicker");
    EXPECT_FALSE(vm->activePresetId().has_value());
    EXPECT_FALSE(vm->activePresetName().has_value());
    EXPECT_FALSE(vm->isConfigModified());
    EXPECT_EQ(vm->cpsHistory(), std::vector<double>(30, 0.0));
    EXPECT_EQ(vm->status(), "Stopped");
    EXPECT_FALSE(vm->isRunning());
    EXPECT_FALSE(vm->toastMessage().has_value());
    EXPECT_TRUE(vm->shortcutManager().isMonitoring());
    EXPECT_EQ(rig.keys.installedCount(), 1u);
}

// The remembered configuration is the user's latest, edits made after loading a preset included; the preset comes
// back as the active one, compared with it.
TEST(ViewModelStartUp, RestoresTheRememberedConfigurationAndTheLastActivePreset) {
    struct Case {
        const char* name;
        bool remember;
        bool editAfterLoading;
        bool deletePreset;
    };
    const Case cases[] = {
        {"edited after loading", true, true, false},
        {"loaded, not edited", true, false, false},
        {"preset deleted since", true, true, true},
        {"not remembering", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ViewModelRig rig;
        const ClickPreset preset = [&] {
            auto vm = rig.make();
            const ClickPreset chosen = vm->profileManager().presets()[2];
            vm->loadPreset(chosen);
            if (c.editAfterLoading) vm->editConfig([](ClickConfig& config) { config.maxClicks = 77; });
            if (c.deletePreset) vm->profileManager().deletePreset(chosen.id);
            vm->settingsManager().setRememberLastConfig(c.remember);
            return chosen;
        }();
        const std::string storedSettings = rig.defaults.value(SettingsManager::userDefaultsKey)->get<std::string>();

        const int writesBefore = rig.settingsWrites();
        const auto vm = rig.make();
        EXPECT_GT(rig.settingsWrites(), writesBefore);
        if (c.deletePreset) {
            EXPECT_EQ(vm->config().maxClicks, 77) << "the remembered configuration";
            EXPECT_FALSE(vm->activePresetId().has_value());
            EXPECT_EQ(rig.storage.lastActivePresetId(), preset.id) << "the stored key is left in place";
            EXPECT_FALSE(vm->isConfigModified());
            continue;
        }
        EXPECT_EQ(vm->activePresetId(), preset.id);
        EXPECT_EQ(vm->activePresetName(), "Quality Testing Mode");
        EXPECT_EQ(vm->loadedConfig(), preset.config);
        if (c.remember && c.editAfterLoading) {
            EXPECT_EQ(vm->config().maxClicks, 77) << "the edit made after loading stays";
            EXPECT_TRUE(vm->isConfigModified());
            EXPECT_EQ(rig.defaults.value(SettingsManager::userDefaultsKey)->get<std::string>(), storedSettings)
                << "the remembered configuration is not written over with the preset's";
        } else {
            EXPECT_EQ(vm->config(), preset.config);
            EXPECT_FALSE(vm->isConfigModified());
        }
        EXPECT_EQ(vm->settingsManager().lastConfig(), vm->config());
    }
}

TEST(ViewModelStartUp, WithoutRememberingStartsFromTheDefaults) {
    ViewModelRig rig;
    {
        auto vm = rig.make();
        vm->editConfig([](ClickConfig& config) { config.maxClicks = 12; });
        vm->settingsManager().setRememberLastConfig(false);
    }
    const auto vm = rig.make();
    EXPECT_EQ(vm->config().maxClicks, 0);
}

// A history file from elsewhere may hold numbers no run makes; start-up, a new run's record and the CSV export
// must take them in their stride.
TEST(ViewModelStartUp, AHistoryWithAbsurdNumbersLoadsAndGrows) {
    ViewModelRig rig;
    const double huge = std::numeric_limits<double>::max();
    const Date when(std::chrono::seconds(1'700'000'000));
    const std::vector<HistoryRecord> stored{
        HistoryRecord(when, std::numeric_limits<std::int64_t>::max(), huge, ClickType::doubleClick, -huge),
        HistoryRecord(when, std::numeric_limits<std::int64_t>::min(), -huge, ClickType::scrollUp, huge),
    };
    writeFile(rig.appFolder() / StorageManager::kHistoryFileName, toCompactJsonText(stored).value());
    const auto vm = rig.make();
    ASSERT_EQ(vm->historyManager().historyRecords(), stored);

    vm->clickEngineDidUpdate(3, 1, 0, 1.5);
    vm->clickEngineDidStop(false);
    rig.drain();
    ASSERT_EQ(vm->historyManager().historyRecords().size(), 3u);
    EXPECT_EQ(vm->historyManager().historyRecords()[0].totalClicks, 3);

    const auto csv = rig.home.root() / "history.csv";
    rig.chooser.answer(csv);
    vm->historyManager().exportToCSV();
    rig.drain();
    const std::string text = readFile(csv);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << "the header and one line per record";
}

TEST_F(ViewModelTest, EveryConfigurationStoreSavesTheSettingsExactlyOnce) {
    const struct {
        const char* name;
        std::function<void(AutoClickerViewModel&)> store;
        int writes;
    } cases[] = {
        {"whole configuration", [this](AutoClickerViewModel& v) { v.setConfig(quickConfig()); }, 1},
        {"one field", [](AutoClickerViewModel& v) { v.editConfig([](ClickConfig& c) { c.maxClicks = 5; }); }, 1},
        {"several fields in one edit",
         [](AutoClickerViewModel& v) {
             v.editConfig([](ClickConfig& c) {
                 c.maxClicks = 9;
                 c.clickType = ClickType::right;
                 c.fixedCoordinates.push_back({1, 2});
             });
         },
         1},
        {"an unchanged value", [](AutoClickerViewModel& v) { v.setConfig(v.config()); }, 1},
        {"loading a preset", [](AutoClickerViewModel& v) { v.loadPreset(v.profileManager().presets()[0]); }, 1},
        {"saving as a new preset", [](AutoClickerViewModel& v) { v.saveAsNewPreset("Mine"); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = rig.settingsWrites();
        int configSignals = 0;
        const auto connection =
            QObject::connect(vm.get(), &AutoClickerViewModel::configChanged, [&] { ++configSignals; });
        c.store(*vm);
        QObject::disconnect(connection);
        EXPECT_EQ(rig.settingsWrites() - before, c.writes);
        EXPECT_EQ(configSignals, c.writes);
        EXPECT_EQ(vm->settingsManager().lastConfig(), vm->config());
    }
}

TEST_F(ViewModelTest, ModifiedFlagComparesWithTheLastLoadedOrSavedPreset) {
    vm->editConfig([](ClickConfig& c) { c.maxClicks = 3; });
    EXPECT_FALSE(vm->isConfigModified()) << "no preset loaded yet";

    const ClickPreset preset = vm->profileManager().presets()[1];
    vm->loadPreset(preset);
    EXPECT_FALSE(vm->isConfigModified());
    vm->editConfig([](ClickConfig& c) { c.intervalSeconds = 9; });
    EXPECT_TRUE(vm->isConfigModified());
    vm->editConfig([&](ClickConfig& c) { c.intervalSeconds = preset.config.intervalSeconds; });
    EXPECT_FALSE(vm->isConfigModified()) << "changed back";

    vm->editConfig([](ClickConfig& c) { c.clickType = ClickType::scrollUp; });
    vm->saveAsNewPreset("Scrolling");
    EXPECT_FALSE(vm->isConfigModified());
    EXPECT_EQ(vm->loadedConfig(), vm->config());
}

TEST_F(ViewModelTest, ANoticeStaysTwoSecondsFromItsOwnCall) {
    vm->showToast("first");
    rig.advance(1s);
    vm->showToast("second");
    rig.advance(1s);
    EXPECT_EQ(vm->toastMessage(), "second") << "the first call's check leaves a different notice alone";
    rig.advance(999ms);
    EXPECT_EQ(vm->toastMessage(), "second");
    rig.advance(1ms);
    EXPECT_FALSE(vm->toastMessage().has_value());

    vm->showToast("same");
    rig.advance(1s);
    vm->showToast("same");
    rig.advance(1s);
    EXPECT_FALSE(vm->toastMessage().has_value()) << "the same text goes two seconds after its first call";
}

TEST_F(ViewModelTest, LoadingAPresetMakesItActiveAndRemembersIt) {
    const ClickPreset preset = vm->profileManager().presets()[0];
    vm->loadPreset(preset);
    EXPECT_EQ(vm->config(), preset.config);
    EXPECT_EQ(vm->activePresetId(), preset.id);
    EXPECT_EQ(vm->activePresetName(), preset.name);
    EXPECT_EQ(rig.storage.lastActivePresetId(), preset.id);
    EXPECT_EQ(vm->toastMessage(), "Loaded preset 'Gaming Speed Clicker'");
    EXPECT_TRUE(rig.analyticsClient->sentNamed(AnalyticsManager::kSavePresetAsNew).empty());
}

TEST_F(ViewModelTest, SavingAsANewPresetAppendsItAndMakesItActive) {
    for (const std::string name : {"Fast", "", "Fast"}) {
        SCOPED_TRACE(name);
        vm->editConfig([](ClickConfig& c) { ++c.maxClicks; });
        vm->saveAsNewPreset(name);
        const ClickPreset& added = vm->profileManager().presets().back();
        EXPECT_EQ(added.name, name) << "empty and repeated names are taken as they are";
        EXPECT_EQ(added.config, vm->config());
        EXPECT_FALSE(added.isFavorite);
        EXPECT_EQ(vm->activePresetId(), added.id);
        EXPECT_EQ(rig.storage.lastActivePresetId(), added.id);
        EXPECT_EQ(vm->toastMessage(), QString::fromStdString("Saved settings as new preset '" + name + "'"));
    }
    EXPECT_EQ(rig.analyticsClient->sentNamed(AnalyticsManager::kSavePresetAsNew).size(), 3u);
    EXPECT_EQ(readFile(rig.presetsFile()), toPrettyJsonText(vm->profileManager().presets()).value_or(""));
}

TEST_F(ViewModelTest, SavingChangesWritesTheActivePresetUnderItsCurrentName) {
    const ClickPreset preset = vm->profileManager().presets()[1];
    vm->loadPreset(preset);
    vm->profileManager().renamePreset(preset.id, "Renamed");
    vm->editConfig([](ClickConfig& c) { c.maxClicks = 42; });
    ASSERT_TRUE(vm->isConfigModified());

    vm->saveChangesToActivePreset();
    const ClickPreset& saved = vm->profileManager().presets()[1];
    EXPECT_EQ(saved.id, preset.id);
    EXPECT_EQ(saved.config.maxClicks, 42);
    EXPECT_EQ(saved.createdAt, preset.createdAt);
    EXPECT_FALSE(vm->isConfigModified());
    EXPECT_EQ(vm->toastMessage(), "Saved changes to 'Renamed'");
    EXPECT_EQ(vm->activePresetName(), preset.name) << "the name as loaded stays";
}

TEST_F(ViewModelTest, SavingChangesWithoutAnActivePresetDoesNothing) {
    const struct {
        const char* name;
        bool loadThenDelete;
    } cases[] = {{"never loaded", false}, {"deleted since", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto fresh = ViewModelRig();
        auto model = fresh.make();
        if (c.loadThenDelete) {
            const ClickPreset preset = model->profileManager().presets()[0];
            model->loadPreset(preset);
            model->profileManager().deletePreset(preset.id);
            fresh.advance(2s);  // the load notice goes
        }
        model->editConfig([](ClickConfig& config) { config.maxClicks = 8; });
        const bool modified = model->isConfigModified();
        const std::string fileBefore = readFile(fresh.presetsFile());
        const auto presetsBefore = model->profileManager().presets();

        model->saveChangesToActivePreset();
        EXPECT_EQ(model->profileManager().presets(), presetsBefore);
        EXPECT_EQ(readFile(fresh.presetsFile()), fileBefore);
        EXPECT_FALSE(model->toastMessage().has_value());
        EXPECT_EQ(model->isConfigModified(), modified);
    }
}

// The storage gives no word when a write fails; the notice must not claim a save that never reached the disk.
TEST(ViewModelPresets, AFailedPresetsWriteShowsAFailureNotice) {
    const struct {
        const char* name;
        std::function<void(ViewModelRig&, AutoClickerViewModel&)> breakSaving;
    } faults[] = {
        {"the file cannot be replaced",
         [](ViewModelRig& rig, AutoClickerViewModel&) {
             // A non-empty folder where the file goes: no rename can replace it, not even for root.
             std::error_code ec;
             fs::remove(rig.presetsFile(), ec);
             fs::create_directories(rig.presetsFile() / "blocker");
         }},
        {"the configuration cannot be encoded",
         [](ViewModelRig&, AutoClickerViewModel& vm) {
             vm.editConfig([](ClickConfig& c) { c.soundVolume = std::numeric_limits<double>::quiet_NaN(); });
         }},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        ViewModelRig rig;
        const auto vm = rig.make();
        const ClickPreset preset = vm->profileManager().presets()[0];

        fault.breakSaving(rig, *vm);
        vm->saveAsNewPreset("New one");
        EXPECT_EQ(vm->toastMessage(), "Failed to save preset 'New one'");
        EXPECT_TRUE(vm->toastIsFailure()) << "drawn with the failure symbol, not the checkmark";
        EXPECT_EQ(vm->profileManager().presets().back().name, "New one") << "kept in memory all the same";
        EXPECT_EQ(vm->activePresetName(), "New one");

        vm->loadPreset(preset);
        fault.breakSaving(rig, *vm);
        vm->saveChangesToActivePreset();
        EXPECT_EQ(vm->toastMessage(), "Failed to save changes to 'Gaming Speed Clicker'");
        EXPECT_FALSE(vm->isConfigModified());
    }
}

TEST(ViewModelNotices, FilesThatCouldNotBeReadAtStartAreToldInOneFailureNotice) {
    ViewModelRig rig;
    writeFile(rig.presetsFile(), "[{\"name\": \"Mine\", \"con");
    writeFile(rig.appFolder() / "history.json", "not json");
    rig.defaults.setValue(SettingsManager::userDefaultsKey, "{\"theme\": 1}");
    const auto vm = rig.make();
    const std::string stamp = ".unreadable-20260101T000000Z";
    EXPECT_EQ(vm->toastMessage(),
              QString::fromStdString("Settings could not be read and were kept as 'com.vaq.autoclicker.settings" +
                                     stamp + "'\nPresets could not be read and were kept as 'presets.json" + stamp +
                                     "'\nThe history could not be read and was kept as 'history.json" + stamp + "'"));
    EXPECT_TRUE(vm->toastIsFailure());
    EXPECT_EQ(vm->profileManager().presets().size(), 3u) << "the defaults in the list's place";
    rig.advance(5s);
    EXPECT_TRUE(vm->toastMessage().has_value()) << "a failure notice stays longer than the two seconds of others";
    rig.advance(1s);
    EXPECT_FALSE(vm->toastMessage().has_value());
    EXPECT_EQ(rig.log->lines().size(), 3u) << "each also goes to the log";
}

TEST(ViewModelNotices, SettingsThatCannotBeSavedAreToldOnceAndOnlyNoticesOfSuccessShowTheCheckmark) {
    ViewModelRig rig;
    const auto vm = rig.make();
    vm->showToast("Done");
    EXPECT_FALSE(vm->toastIsFailure());
    rig.defaults.failWrites("No space left on device");
    vm->editConfig([](ClickConfig& c) { c.maxClicks = 3; });
    EXPECT_EQ(vm->toastMessage(), "Settings could not be saved: No space left on device");
    EXPECT_TRUE(vm->toastIsFailure());
    rig.advance(6s);
    vm->editConfig([](ClickConfig& c) { c.maxClicks = 4; });
    EXPECT_FALSE(vm->toastMessage().has_value()) << "not again while saving keeps failing";
}

}  // namespace
}  // namespace clicktrove::testing
