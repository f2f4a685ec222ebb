#include "engine/model_json.hpp"
#include "platform/xdg_login_item.hpp"
#include "settings_fixture.hpp"

#include <gtest/gtest.h>
#include <cmath>
#include <filesystem>
#include <functional>

using clicktrove::AccentThemeColor;
using clicktrove::AppTheme;
using clicktrove::ClickConfig;
using clicktrove::ClickType;
using clicktrove::SettingsManager;
using clicktrove::testing::SettingsFixture;
using nlohmann::json;
using Policy = clicktrove::platform::ActivationPolicy::Policy;
using Status = clicktrove::platform::LoginItem::Status;
using Strings = std::vector<std::string>;

namespace {
// A complete, valid record with values other than the defaults.
json storedRecord() {
    // Whole seconds, so the dates survive the round trip through seconds-since-2001 exactly.
    ClickConfig config(std::chrono::system_clock::from_time_t(1'800'000'000));
    config.maxClicks = 77;
    config.clickType = ClickType::doubleClick;
    return json{{"theme", "Dark"},
                {"accentColor", "Mint"},
                {"launchAtLogin", true},
                {"startMinimized", true},
                {"rememberLastConfig", true},
                {"showDockIcon", false},
                {"playSound", true},
                {"soundName", "Glass"},
                {"soundVolume", 0.25},
                {"lastConfig", *clicktrove::toJson(config)}};
}
json asData(const json& record) {
    return record.dump();
}

template <class Signal>
std::function<void(SettingsManager&, int&)> counting(Signal signal) {
    return [signal](SettingsManager& s, int& count) { QObject::connect(&s, signal, &s, [&count] { ++count; }); };
}
}  // namespace

class SettingsManagerTest : public SettingsFixture {};

TEST_F(SettingsManagerTest, FirstLaunchKeepsTheDefaultsWritesNothingAndSendsNothing) {
    auto& s = settings();
    EXPECT_EQ(s.theme(), AppTheme::system);
    EXPECT_EQ(s.accentColor(), AccentThemeColor::blue);
    EXPECT_FALSE(s.launchAtLogin());
    EXPECT_FALSE(s.startMinimized());
    EXPECT_TRUE(s.rememberLastConfig());
    EXPECT_TRUE(s.showDockIcon());
    EXPECT_FALSE(s.playSound());
    EXPECT_EQ(s.soundName(), "Tink");
    EXPECT_EQ(s.soundVolume(), 0.5);
    EXPECT_EQ(s.lastConfig().maxClicks, 0);
    EXPECT_EQ(journal, Strings{"policy regular"}) << "no record, no signal, no login-item call";
    EXPECT_TRUE(defaults.store.snapshot().empty());
}

TEST_F(SettingsManagerTest, EveryAssignmentSavesTheWholeRecordAndRunsItsSideEffectEvenWhenUnchanged) {
    ClickConfig edited;
    edited.maxClicks = 5;
    struct Case {
        const char* key;
        std::function<void(SettingsManager&)> assign;
        std::function<void(SettingsManager&, int&)> watch;
        json stored;
        Strings effect;  // journal of one assignment
    };
    const Case cases[] = {
        {"theme",
         [](auto& s) { s.setTheme(AppTheme::dark); },
         counting(&SettingsManager::themeChanged),
         "Dark",
         {"save", "ThemeChanged theme=Dark"}},
        {"accentColor",
         [](auto& s) { s.setAccentColor(AccentThemeColor::mint); },
         counting(&SettingsManager::accentColorChanged),
         "Mint",
         {"save", "AccentColorChanged color=Mint"}},
        {"launchAtLogin",
         [](auto& s) { s.setLaunchAtLogin(false); },
         counting(&SettingsManager::launchAtLoginChanged),
         false,
         {"save", "login unregister"}},
        {"startMinimized",
         [](auto& s) { s.setStartMinimized(true); },
         counting(&SettingsManager::startMinimizedChanged),
         true,
         {"save"}},
        {"rememberLastConfig",
         [](auto& s) { s.setRememberLastConfig(false); },
         counting(&SettingsManager::rememberLastConfigChanged),
         false,
         {"save"}},
        {"showDockIcon",
         [](auto& s) { s.setShowDockIcon(false); },
         counting(&SettingsManager::showDockIconChanged),
         false,
         {"save", "policy accessory"}},
        {"playSound",
         [](auto& s) { s.setPlaySound(true); },
         counting(&SettingsManager::playSoundChanged),
         true,
         {"save"}},
        {"soundName",
         [](auto& s) { s.setSoundName("Glass"); },
         counting(&SettingsManager::soundNameChanged),
         "Glass",
         {"save"}},
        {"soundVolume",
         [](auto& s) { s.setSoundVolume(0.75); },
         counting(&SettingsManager::soundVolumeChanged),
         0.75,
         {"save"}},
        {"lastConfig",
         [&](auto& s) { s.setLastConfig(edited); },
         counting(&SettingsManager::lastConfigChanged),
         *clicktrove::toJson(edited),
         {"save"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        defaults.store.removeValue(SettingsManager::userDefaultsKey);
        restart();
        auto& s = settings();
        journal.clear();
        int notified = 0;
        c.watch(s, notified);
        c.assign(s);
        c.assign(s);
        Strings twice = c.effect;
        twice.insert(twice.end(), c.effect.begin(), c.effect.end());
        EXPECT_EQ(journal, twice);
        EXPECT_EQ(notified, 2) << "observers hear every assignment";
        const json stored = record();
        ASSERT_TRUE(stored.is_object());
        EXPECT_EQ(stored.size(), 10u);
        EXPECT_EQ(stored[c.key], c.stored);
    }
}

TEST_F(SettingsManagerTest, RecordIsCompactJsonWithTheTenKeysInOrder) {
    auto& s = settings();
    s.setTheme(AppTheme::dark);
    s.setAccentColor(AccentThemeColor::mint);
    const auto stored = defaults.store.value(SettingsManager::userDefaultsKey);
    ASSERT_TRUE(stored && stored->is_string()) << "held as a data value: the JSON text";
    const std::string text = stored->get<std::string>();
    const std::string head =
        R"({"theme":"Dark","accentColor":"Mint","launchAtLogin":false,"startMinimized":false,)"
        R"("rememberLastConfig":true,"showDockIcon":true,"playSound":false,"soundName":"Tink","soundVolume":0.5,)"
        R"("lastConfig":{)";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(json::parse(text)["lastConfig"], json(*clicktrove::toJson(s.lastConfig())));
}

TEST_F(SettingsManagerTest, LoadAssignsEverySettingThroughItsSetterInOrderAndSavesOnce) {
    auto stored = storedRecord();
    // A stored record much larger than the settings need: each save writes all of it, so one is the most a
    // start may cost.
    stored["lastConfig"]["fixedCoordinates"] = json::array();
    for (int i = 0; i < 20000; ++i) stored["lastConfig"]["fixedCoordinates"].push_back({i, i});
    storeRecord(asData(stored));
    auto& s = settings();
    EXPECT_EQ(journal, (Strings{"ThemeChanged theme=Dark", "AccentColorChanged color=Mint", "login register",
                                "policy accessory", "save", "policy accessory"}))
        << "both signals before the login-item and taskbar steps, one save after the last setter; the policy "
           "once more by the initialiser";
    EXPECT_EQ(saves(), 1 + 1) << "the test's own write and the load's one save";
    EXPECT_EQ(s.theme(), AppTheme::dark);
    EXPECT_EQ(s.accentColor(), AccentThemeColor::mint);
    EXPECT_TRUE(s.launchAtLogin());
    EXPECT_TRUE(s.startMinimized());
    EXPECT_FALSE(s.showDockIcon());
    EXPECT_TRUE(s.playSound());
    EXPECT_EQ(s.soundName(), "Glass");
    EXPECT_EQ(s.soundVolume(), 0.25);
    EXPECT_EQ(s.lastConfig().maxClicks, 77);
    EXPECT_EQ(s.lastConfig().clickType, ClickType::doubleClick);
    EXPECT_EQ(s.lastConfig().fixedCoordinates.size(), 20000u);
    EXPECT_EQ(policy.current, Policy::accessory);
    EXPECT_EQ(record(), stored) << "the save writes back what was read";
    EXPECT_TRUE(problems.empty());

    journal.clear();
    s.setPlaySound(false);
    EXPECT_EQ(journal, Strings{"save"}) << "after the load every assignment saves again";
}

TEST_F(SettingsManagerTest, WithRememberLastConfigOffTheStoredConfigurationIsReplacedByTheDefault) {
    auto stored = storedRecord();
    stored["rememberLastConfig"] = false;
    storeRecord(asData(stored));
    auto& s = settings();
    EXPECT_EQ(s.lastConfig().maxClicks, 0);
    EXPECT_EQ(s.lastConfig().clickType, ClickType::left);
    EXPECT_EQ(saves(), 1 + 1) << "the test's own write and the load's one save";
    EXPECT_EQ(record()["lastConfig"], json(*clicktrove::toJson(s.lastConfig())))
        << "the stored configuration is gone for good";
    EXPECT_FALSE(record()["rememberLastConfig"].get<bool>());
}

TEST_F(SettingsManagerTest, RecordThatDoesNotDecodeIsIgnoredWholeAndKeptAsideAtOnce) {
    auto without = [](const char* key) {
        auto r = storedRecord();
        r.erase(key);
        return asData(r);
    };
    auto with = [](const char* key, json value) {
        auto r = storedRecord();
        r[key] = std::move(value);
        return asData(r);
    };
    auto incompleteConfig = storedRecord();
    incompleteConfig["lastConfig"].erase("clickType");
    const std::pair<const char*, json> cases[] = {
        {"theme that is no choice", with("theme", "Sepia")},
        {"accent colour in the wrong case", with("accentColor", "mint")},
        {"missing soundVolume", without("soundVolume")},
        {"missing lastConfig", without("lastConfig")},
        {"Boolean as text", with("playSound", "true")},
        {"volume as text", with("soundVolume", "0.5")},
        {"incomplete lastConfig", asData(incompleteConfig)},
        {"not JSON", "{\"theme\":\"Dark\","},
        {"JSON but no object", "[1,2,3]"},
        {"not a data value", storedRecord()},
        {"volume beyond a double",
         [] {
             std::string text = asData(storedRecord()).get<std::string>();
             text.replace(text.find("\"soundVolume\":0.25"), 18, "\"soundVolume\":1e400");
             return json(text);
         }()},
        {"an extra key nested too deep", with("extra", json::parse(std::string(300, '[') + std::string(300, ']')))},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(name);
        for (const auto& [key, v] : defaults.store.snapshot()) defaults.store.removeValue(key);
        storeRecord(value);
        restart();
        auto& s = settings();
        EXPECT_EQ(journal, (Strings{"copy", "remove", "policy regular"}))
            << "kept under a key of its own and taken from its place; nothing saved, sent or registered";
        EXPECT_EQ(s.theme(), AppTheme::system) << "valid values of a bad record are not taken either";
        EXPECT_EQ(s.accentColor(), AccentThemeColor::blue);
        EXPECT_TRUE(s.showDockIcon());
        EXPECT_EQ(s.soundName(), "Tink");
        const auto snapshot = defaults.store.snapshot();
        ASSERT_EQ(snapshot.size(), 1u);
        const auto& [copyKey, copy] = *snapshot.begin();
        EXPECT_EQ(copyKey, std::string(SettingsManager::userDefaultsKey) + ".unreadable-20260101T000000Z");
        EXPECT_EQ(copy, value) << "the old record is kept exactly as it was";
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].kind, clicktrove::platform::FileProblem::Kind::keptAside);
        EXPECT_EQ(problems[0].keptAs, copyKey) << "the user is told where it went";

        s.setPlaySound(true);
        EXPECT_EQ(defaults.store.snapshot().size(), 2u);
        EXPECT_TRUE(record()["playSound"].get<bool>());
        restart();
        settings();
        EXPECT_TRUE(problems.empty()) << "met once: the next start finds the new record";
        EXPECT_EQ(defaults.store.snapshot().size(), 2u);
    }
}

TEST_F(SettingsManagerTest, AKeptRecordIsNeverOverwrittenByTheNextOneKeptInTheSameSecond) {
    const std::string copyKey = std::string(SettingsManager::userDefaultsKey) + ".unreadable-20260101T000000Z";
    defaults.store.setValue(copyKey, "kept earlier");
    storeRecord("not a record");
    settings().setPlaySound(true);
    EXPECT_EQ(defaults.store.value(copyKey), json("kept earlier"));
    EXPECT_EQ(defaults.store.value(copyKey + "-2"), json("not a record"));
}

TEST_F(SettingsManagerTest, ASuiteFileThatCouldNotBeReadIsReportedAtLoad) {
    defaults.readProblemToGive = clicktrove::platform::FileProblem{
        clicktrove::platform::FileProblem::Kind::keptAside, "Clicktrove.json", "Clicktrove.json.unreadable-X", "bad"};
    settings();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].keptAs, "Clicktrove.json.unreadable-X");
}

TEST_F(SettingsManagerTest, AFileThatCouldNotBeKeptAsideIsToldOnceNotAgainAtEverySave) {
    using Kind = clicktrove::platform::FileProblem::Kind;
    // The store refuses every write while the file it could not keep aside stands there.
    defaults.readProblemToGive =
        clicktrove::platform::FileProblem{Kind::notKept, "Clicktrove.json", {}, "not valid JSON: it ends too early"};
    defaults.store.failWrites("it holds data that could not be read and could not be kept aside");
    auto& s = settings();
    s.setPlaySound(true);
    s.setTheme(AppTheme::dark);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, Kind::notKept);
    EXPECT_TRUE(s.playSound()) << "the settings go on in memory";
}

TEST_F(SettingsManagerTest, SavesThatFailAreReportedOnceUntilOneSucceeds) {
    auto& s = settings();
    defaults.store.failWrites("No space left on device");
    s.setPlaySound(true);
    s.setSoundVolume(0.2);
    s.setTheme(AppTheme::dark);
    ASSERT_EQ(problems.size(), 1u) << "not once per change while it keeps failing";
    EXPECT_EQ(problems[0].kind, clicktrove::platform::FileProblem::Kind::notSaved);
    EXPECT_EQ(problems[0].reason, "No space left on device");
    EXPECT_EQ(s.soundVolume(), 0.2) << "the settings go on in memory";

    defaults.store.failWrites(std::nullopt);
    s.setPlaySound(false);
    EXPECT_EQ(problems.size(), 1u);
    defaults.store.failWrites("Read-only file system");
    s.setPlaySound(true);
    ASSERT_EQ(problems.size(), 2u) << "a new run of failures is told again";
    EXPECT_EQ(problems[1].reason, "Read-only file system");
}

TEST_F(SettingsManagerTest, ValuesThatCannotBeEncodedWriteNothing) {
    auto& s = settings();
    s.setSoundVolume(0.3);
    const json before = record();
    for (const double bad : {std::nan(""), static_cast<double>(INFINITY)}) {
        s.setSoundVolume(bad);
        EXPECT_EQ(record(), before);
    }
    s.setSoundName("\xff\xfe");
    EXPECT_EQ(record(), before);
    EXPECT_EQ(saves(), 1);
}

// A refused change leaves the setting at what the login item really does, so the switch never promises a start
// at login that will not come, and the refusal is reported with its reason.
TEST_F(SettingsManagerTest, LaunchAtLoginRegistersAgainWhenAlreadyEnabledAndFollowsARefusal) {
    auto& s = settings();
    struct Case {
        const char* name;
        Status status;
        bool on;
        std::optional<std::string> registerError;
        std::optional<std::string> unregisterError;
        Strings calls;
        Strings logged;
        bool settled;  // the setting afterwards
        std::vector<std::pair<bool, std::string>> reported;
    };
    const std::string prefix = SettingsManager::kLoginItemFailurePrefix;
    const Case cases[] = {
        {"on, not yet registered", Status::notRegistered, true, {}, {}, {"register"}, {}, true, {}},
        {"on, already enabled", Status::enabled, true, {}, {}, {"unregister", "register"}, {}, true, {}},
        {"on, its unregistration failing silently",
         Status::enabled,
         true,
         {},
         "busy",
         {"unregister", "register"},
         {},
         true,
         {}},
        {"on, registration failing",
         Status::notRegistered,
         true,
         "no autostart folder",
         {},
         {"register"},
         {prefix + "no autostart folder"},
         false,
         {{true, "no autostart folder"}}},
        {"off", Status::enabled, false, {}, {}, {"unregister"}, {}, false, {}},
        {"off, failing",
         Status::enabled,
         false,
         {},
         "read-only",
         {"unregister"},
         {prefix + "read-only"},
         true,
         {{false, "read-only"}}},
        {"off, failing where nothing starts anyway",
         Status::notRegistered,
         false,
         {},
         "read-only",
         {"unregister"},
         {prefix + "read-only"},
         false,
         {}},
    };
    std::size_t logged = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        loginItem.fake.setStatus(c.status);
        loginItem.fake.failRegister(c.registerError);
        loginItem.fake.failUnregister(c.unregisterError);
        loginItem.fake.clearCalls();
        loginProblems.clear();
        std::vector<bool> announced;
        const auto watch =
            QObject::connect(&s, &SettingsManager::launchAtLoginChanged, [&](bool on) { announced.push_back(on); });
        s.setLaunchAtLogin(c.on);
        QObject::disconnect(watch);
        EXPECT_EQ(loginItem.fake.calls(), c.calls);
        const auto lines = log->lines();
        EXPECT_EQ(Strings(lines.begin() + static_cast<long>(logged), lines.end()), c.logged);
        logged = lines.size();
        EXPECT_EQ(s.launchAtLogin(), c.settled);
        EXPECT_EQ(record()["launchAtLogin"], c.settled);
        EXPECT_EQ(announced.back(), c.settled) << "the switch follows the last announcement";
        EXPECT_EQ(loginProblems, c.reported);
    }
}

TEST_F(SettingsManagerTest, LaunchAtLoginTogglesTheAutostartEntry) {
    clicktrove::platform::XdgLoginItem xdg("/usr/bin/clicktrove");
    SettingsManager s({defaults, xdg, policy, analytics, log, clock});
    const auto entry = tempHome.configHome() / "autostart" / clicktrove::platform::XdgLoginItem::fileName();
    s.setLaunchAtLogin(true);
    EXPECT_EQ(xdg.status(), Status::enabled);
    // Enabled already: the entry is written afresh, here over one pointing at an older location.
    clicktrove::testing::writeFile(entry, "[Desktop Entry]\nExec=/old/place/clicktrove\n");
    s.setLaunchAtLogin(true);
    EXPECT_NE(clicktrove::testing::readFile(entry).find("Exec=/usr/bin/clicktrove\n"), std::string::npos);
    s.setLaunchAtLogin(false);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(log->lines().empty());

    // Each start with the setting off asks again, and a refusal is logged.
    clicktrove::testing::writeFile(entry / "blocker", "x");
    SettingsManager again({defaults, xdg, policy, analytics, log, clock});
    ASSERT_EQ(log->lines().size(), 1u);
    EXPECT_EQ(log->lines()[0].rfind(SettingsManager::kLoginItemFailurePrefix, 0), 0u);
}

// A file where the autostart folder goes: no entry can be written, so the setting cannot stay on, neither when
// switched on nor when a stored record asks for it at start.
TEST_F(SettingsManagerTest, LaunchAtLoginWithAnAutostartPathThatCannotBeAFolderStaysOff) {
    clicktrove::platform::XdgLoginItem xdg("/usr/bin/clicktrove");
    clicktrove::testing::writeFile(tempHome.configHome() / "autostart", "not a folder");
    const auto report = [this](bool wanted, const std::string& reason) { loginProblems.emplace_back(wanted, reason); };
    {
        SettingsManager s({defaults, xdg, policy, analytics, log, clock, {}, report});
        s.setLaunchAtLogin(true);
        EXPECT_FALSE(s.launchAtLogin());
        EXPECT_EQ(record()["launchAtLogin"], false);
        ASSERT_EQ(loginProblems.size(), 1u);
        EXPECT_TRUE(loginProblems[0].first);
        EXPECT_NE(loginProblems[0].second.find(tempHome.configHome() / "autostart"), std::string::npos)
            << loginProblems[0].second;
    }

    json stored = storedRecord();
    storeRecord(asData(stored));
    restart();
    SettingsManager s({defaults, xdg, policy, analytics, log, clock, {}, report});
    EXPECT_FALSE(s.launchAtLogin());
    EXPECT_EQ(record()["launchAtLogin"], false) << "the record saved at start says so too";
    ASSERT_EQ(loginProblems.size(), 1u);
    EXPECT_TRUE(loginProblems[0].first);
}

TEST_F(SettingsManagerTest, TaskbarIconSwitchesTheActivationPolicyAtOnce) {
    auto& s = settings();
    EXPECT_EQ(policy.current, Policy::regular);
    s.setShowDockIcon(false);
    EXPECT_EQ(policy.current, Policy::accessory);
    s.setShowDockIcon(true);
    EXPECT_EQ(policy.current, Policy::regular);
    restart();
    storeRecord(asData(storedRecord()));  // stored with the icon off
    settings();
    EXPECT_EQ(policy.current, Policy::accessory);
}
