#include "analytics/default_signal_payload.hpp"
#include "analytics/linux_platform_facts_source.hpp"
#include "analytics/session_manager.hpp"
#include "analytics_harness.hpp"

#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <ctime>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;
using std::chrono::system_clock;

system_clock::time_point utc(int year, int month, int day, int hour, int minute) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    return system_clock::from_time_t(timegm(&tm));
}

// Sets TZ for one test and puts the old value back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::optional<std::string> old_;
};

PlatformFacts sampleFacts() {
    PlatformFacts f;
    f.appVersion = "1.4.0";
    f.appBuild = "77";
    f.architecture = "aarch64";
    f.modelName = "Raspberry Pi 5 Model B Rev 1.0";
    f.operatingSystem = "Debian GNU/Linux";
    f.systemVersion = {6, 1, 21};
    f.localeIdentifier = "de_DE";
    f.preferredLanguages = {"de-DE", "en"};
    return f;
}

TEST(DefaultSignalPayloadTest, TimeZoneTexts) {
    const std::vector<std::pair<int, std::string>> table = {
        {0, "UTC+0"},      {3600, "UTC+1"},      {19800, "UTC+5:30"}, {20700, "UTC+5:45"},
        {-18000, "UTC-5"}, {-12600, "UTC-3:30"}, {-1800, "UTC-0:30"}, {46859, "UTC+13"},
    };
    for (const auto& [offset, text] : table) EXPECT_EQ(DefaultSignalPayload::timeZoneText(offset), text) << offset;
}

TEST(DefaultSignalPayloadTest, CalendarFieldsOnFixedDates) {
    struct Case {
        const char* zone;
        system_clock::time_point at;
        std::string locale;
        DefaultSignalPayload::CalendarFields expected;
    };
    const std::vector<Case> cases = {
        // Sunday 23:30: the last hour of the day, a weekend day; week 11 with Sunday-first weeks, 10 by ISO rules.
        {"UTC", utc(2026, 3, 8, 23, 30), "en_US", {8, 7, 67, 11, 3, 1, 24, 0}},
        {"UTC", utc(2026, 3, 8, 23, 30), "de_DE", {8, 7, 67, 10, 3, 1, 24, 0}},
        {"UTC", utc(2026, 3, 13, 0, 10), "en_US", {13, 5, 72, 11, 3, 1, 1, 0}},
        {"UTC", utc(2026, 12, 31, 12, 0), "en_GB", {31, 4, 365, 53, 12, 4, 13, 0}},
        {"UTC", utc(2024, 12, 31, 12, 0), "en_US_POSIX", {31, 2, 366, 1, 12, 4, 13, 0}},
        // The same instant is already Monday in Berlin, in winter time; in July summer time adds an hour.
        {"Europe/Berlin", utc(2026, 3, 8, 23, 30), "de_DE", {9, 1, 68, 11, 3, 1, 1, 3600}},
        {"Europe/Berlin", utc(2026, 7, 1, 12, 0), "de_DE", {1, 3, 182, 27, 7, 3, 15, 7200}},
        // West of Greenwich the local day is still the old year's last.
        {"America/New_York", utc(2026, 1, 1, 3, 0), "en_US", {31, 3, 365, 1, 12, 4, 23, -18000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale + " " + c.zone + " " + std::to_string(system_clock::to_time_t(c.at)));
        ScopedTimeZone zone(c.zone);
        const auto f = DefaultSignalPayload::calendarFields(c.at, c.locale);
        const auto& e = c.expected;
        EXPECT_EQ(f.dayOfMonth, e.dayOfMonth);
        EXPECT_EQ(f.dayOfWeek, e.dayOfWeek);
        EXPECT_EQ(f.dayOfYear, e.dayOfYear);
        EXPECT_EQ(f.weekOfYear, e.weekOfYear);
        EXPECT_EQ(f.monthOfYear, e.monthOfYear);
        EXPECT_EQ(f.quarterOfYear, e.quarterOfYear);
        EXPECT_EQ(f.hourOfDay, e.hourOfDay);
        EXPECT_EQ(f.utcOffsetSeconds, e.utcOffsetSeconds);
    }
    ScopedTimeZone zone("UTC");
    const auto p = DefaultSignalPayload::parameters(sampleFacts(), utc(2026, 3, 8, 23, 30), nullptr);
    EXPECT_EQ(p.at("Tallywire.Calendar.isWeekend"), "true");
    EXPECT_EQ(DefaultSignalPayload::parameters(sampleFacts(), utc(2026, 3, 13, 9, 0), nullptr)
                  .at("Tallywire.Calendar.isWeekend"),
              "false");
}

TEST(DefaultSignalPayloadTest, TheHostTimeZoneDecidesOffsetAndLocalFields) {
    struct Case {
        const char* zone;
        std::string text;
        int hourOfDay;
    };
    for (const Case& c : {Case{"Asia/Kolkata", "UTC+5:30", 6}, Case{"America/St_Johns", "UTC-3:30", 21},
                          Case{"Asia/Kathmandu", "UTC+5:45", 6}}) {
        ScopedTimeZone zone(c.zone);
        const auto p = DefaultSignalPayload::parameters(sampleFacts(), utc(2026, 1, 2, 0, 0), nullptr);
        EXPECT_EQ(p.at("Tallywire.Device.timeZone"), c.text) << c.zone;
        EXPECT_EQ(p.at("Tallywire.Calendar.hourOfDay"), std::to_string(c.hourOfDay)) << c.zone;
    }
}

TEST(DefaultSignalPayloadTest, LocaleDerivedTexts) {
    struct Case {
        std::string locale;
        std::string region;
        std::string language;
    };
    for (const Case& c :
         {Case{"de_DE", "DE", "de"}, Case{"en", "en", "en"}, Case{"zh_Hans_CN", "CN", "zh"},
          Case{"es_419", "419", "es"}, Case{"en_US_POSIX", "US", "en"}, Case{"sr_Latn", "Latn", "sr"}}) {
        EXPECT_EQ(DefaultSignalPayload::region(c.locale), c.region) << c.locale;
        EXPECT_EQ(DefaultSignalPayload::appLanguage(c.locale), c.language) << c.locale;
    }
    EXPECT_EQ(DefaultSignalPayload::preferredLanguage({}), "zz");
    EXPECT_EQ(DefaultSignalPayload::preferredLanguage({"de-DE", "en"}), "de");
    EXPECT_EQ(DefaultSignalPayload::preferredLanguage({"pt_BR"}), "pt");
}

TEST(DefaultSignalPayloadTest, KeyCountsTwinsAndPlatformTexts) {
    ScopedTimeZone zone("UTC");
    PlatformFacts facts = sampleFacts();
    auto p = DefaultSignalPayload::parameters(facts, utc(2026, 3, 8, 12, 0), nullptr);
    EXPECT_EQ(p.size(), 56u);  // 48 fixed and 8 calendar keys
    const std::vector<std::pair<std::string, std::string>> twins = {
        {"Tallywire.AppInfo.version", "appVersion"},
        {"Tallywire.AppInfo.buildNumber", "buildNumber"},
        {"Tallywire.Device.architecture", "architecture"},
        {"Tallywire.Device.modelName", "modelName"},
        {"Tallywire.Device.operatingSystem", "operatingSystem"},
        {"Tallywire.Device.platform", "platform"},
        {"Tallywire.Device.systemMajorMinorVersion", "majorMinorSystemVersion"},
        {"Tallywire.Device.systemMajorVersion", "majorSystemVersion"},
        {"Tallywire.Device.systemVersion", "systemVersion"},
        {"Tallywire.RunContext.isAppStore", "isAppStore"},
        {"Tallywire.RunContext.isDebug", "isDebug"},
        {"Tallywire.RunContext.isSimulator", "isSimulator"},
        {"Tallywire.RunContext.isTestFlight", "isTestFlight"},
        {"Tallywire.RunContext.language", "appLanguage"},
        {"Tallywire.RunContext.locale", "locale"},
        {"Tallywire.RunContext.targetEnvironment", "targetEnvironment"},
        {"Tallywire.SDK.version", "telemetryClientVersion"},
        {"Tallywire.UserPreference.language", "preferredLanguage"},
        {"Tallywire.UserPreference.region", "region"},
    };
    for (const auto& [key, twin] : twins) EXPECT_EQ(p.at(key), p.at(twin)) << key;
    const std::map<std::string, std::string> expected = {
        {"Tallywire.AppInfo.versionAndBuildNumber", "1.4.0 (build 77)"},
        {"architecture", "aarch64"},
        {"modelName", "Raspberry Pi 5 Model B Rev 1.0"},
        {"platform", "Linux"},
        {"operatingSystem", "Debian GNU/Linux"},
        {"systemVersion", "Linux 6.1.21"},
        {"majorMinorSystemVersion", "Linux 6.1"},
        {"majorSystemVersion", "Linux 6"},
        {"isAppStore", "false"},
        {"isTestFlight", "false"},
        {"locale", "de_DE"},
        {"region", "DE"},
        {"preferredLanguage", "de"},
        {"Tallywire.Device.orientation", "Fixed"},
        // The client's own name and version, not the application's (1.4.0).
        {"Tallywire.SDK.name", "CppSDK"},
        {"Tallywire.SDK.nameAndVersion", "CppSDK 1.0.0"},
        {"telemetryClientVersion", "1.0.0"},
        {"Tallywire.Device.screenResolutionWidth", "N/A"},
        {"Tallywire.Device.screenScaleFactor", "N/A"},
        {"Tallywire.UserPreference.colorScheme", "N/A"},
        {"Tallywire.UserPreference.layoutDirection", "N/A"},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(p.at(key), value) << key;
    EXPECT_FALSE(p.count("Tallywire.Accessibility.isReduceMotionEnabled"));
    EXPECT_FALSE(p.count("extensionIdentifier"));

    facts.mainScreen = PlatformFacts::Screen{1920, 1080, 1.25};
    facts.colorScheme = "Dark";
    facts.layoutDirection = PlatformFacts::LayoutDirection::rightToLeft;
    facts.reduceMotion = true;
    p = DefaultSignalPayload::parameters(facts, utc(2026, 3, 8, 12, 0), nullptr);
    EXPECT_EQ(p.size(), 58u);
    EXPECT_EQ(p.at("Tallywire.Device.screenResolutionWidth"), "1920.0");
    EXPECT_EQ(p.at("Tallywire.Device.screenResolutionHeight"), "1080.0");
    EXPECT_EQ(p.at("Tallywire.Device.screenScaleFactor"), "1.25");
    EXPECT_EQ(p.at("Tallywire.UserPreference.colorScheme"), "Dark");
    EXPECT_EQ(p.at("Tallywire.UserPreference.layoutDirection"), "rightToLeft");
    EXPECT_EQ(p.at("Tallywire.Accessibility.isReduceMotionEnabled"), "true");
    EXPECT_EQ(p.at("Tallywire.Accessibility.isInvertColorsEnabled"), "false");
}

TEST(DefaultSignalPayloadTest, StatisticsKeysComeFromTheSessionHistory) {
    ScopedTimeZone zone("UTC");
    clicktrove::testing::AnalyticsHarness harness;
    auto suite = std::make_shared<platform::InMemoryUserDefaults>();
    for (int sessions : {1, 2}) {
        std::vector<StoredSession> list;
        for (int i = 0; i < sessions; ++i) list.push_back({harness.clock.now() - std::chrono::hours(i + 1), 30 + i});
        suite->setValue("recentSessions", StoredSession::encodeList(list));
        auto manager = SessionManager::create(
            harness.environment(), [suite] { return suite; }, nullptr);
        harness.pump();
        const auto p = DefaultSignalPayload::parameters(sampleFacts(), harness.clock.now(), manager.get());
        EXPECT_EQ(p.size(), sessions == 1 ? 61u : 62u);
        EXPECT_EQ(p.count("Tallywire.Retention.previousSessionSeconds"), sessions == 1 ? 0u : 1u);
        EXPECT_EQ(p.at("Tallywire.Retention.totalSessionsCount"), std::to_string(sessions));
        EXPECT_EQ(p.at("Tallywire.Retention.distinctDaysUsed"), "1");
    }
}

TEST(LinuxPlatformFactsSourceTest, ParsesTheSystemsTexts) {
    using S = LinuxPlatformFactsSource;
    EXPECT_EQ(S::localeFromEnvironmentValue("de_DE.UTF-8"), "de_DE");
    EXPECT_EQ(S::localeFromEnvironmentValue("ca_ES.UTF-8@valencia"), "ca_ES");
    EXPECT_EQ(S::localeFromEnvironmentValue("fr"), "fr");
    EXPECT_EQ(S::localeFromEnvironmentValue("C.UTF-8"), "en_US_POSIX");
    EXPECT_EQ(S::localeFromEnvironmentValue("POSIX"), "en_US_POSIX");
    EXPECT_EQ(S::localeFromEnvironmentValue(""), "en_US_POSIX");
    EXPECT_EQ(S::parseKernelRelease("6.1.0-18-amd64"), (std::array<int, 3>{6, 1, 0}));
    EXPECT_EQ(S::parseKernelRelease("5.15.153.1-microsoft-standard-WSL2"), (std::array<int, 3>{5, 15, 153}));
    EXPECT_EQ(S::parseKernelRelease("6.8-rc1"), (std::array<int, 3>{6, 8, 0}));
    EXPECT_EQ(S::parseKernelRelease("weird"), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(S::osReleaseName("ID=debian\nNAME=\"Debian GNU/Linux\"\n"), "Debian GNU/Linux");
    EXPECT_EQ(S::osReleaseName("NAME=Fedora Linux\n"), "Fedora Linux");
    EXPECT_EQ(S::osReleaseName("ID=x\n"), std::nullopt);
}

class LinuxFactsFilesTest : public clicktrove::testing::TempHomeTest {};

TEST_F(LinuxFactsFilesTest, ModelFromFirmwareElseDeviceTreeElseMachine) {
    const auto root = tempHome.root() / "sysroot";
    utsname u{};
    ::uname(&u);
    {
        LinuxPlatformFactsSource facts("1.0", "", root);
        EXPECT_EQ(facts.facts().modelName, u.machine);
        EXPECT_EQ(facts.facts().appBuild, "0");
        EXPECT_EQ(facts.facts().operatingSystem, "Linux");
    }
    clicktrove::testing::writeFile(root / "proc/device-tree/model", std::string("Pine64 Board", 12) + '\0');
    clicktrove::testing::writeFile(root / "usr/lib/os-release", "NAME=\"Arch Linux\"\n");
    EXPECT_EQ(LinuxPlatformFactsSource("1.0", "2", root).facts().modelName, "Pine64 Board");
    EXPECT_EQ(LinuxPlatformFactsSource("1.0", "2", root).facts().operatingSystem, "Arch Linux");
    clicktrove::testing::writeFile(root / "sys/devices/virtual/dmi/id/product_name", "ThinkPad X1 Carbon\n");
    const auto f = LinuxPlatformFactsSource("1.0", "2", root).facts();
    EXPECT_EQ(f.modelName, "ThinkPad X1 Carbon");
    EXPECT_EQ(f.architecture, u.machine);
    EXPECT_EQ(f.platform, "Linux");
}

TEST_F(LinuxFactsFilesTest, LocaleAndLanguagesFromTheEnvironment) {
    struct Case {
        const char* lcAll;
        const char* lang;
        const char* language;
        std::string locale;
        std::vector<std::string> languages;
    };
    const std::vector<Case> cases = {
        {nullptr, "de_DE.UTF-8", nullptr, "de_DE", {"de-DE"}},
        {nullptr, "de_DE.UTF-8", "fr_CA:en", "de_DE", {"fr-CA", "en"}},
        {"pt_BR.UTF-8", "de_DE.UTF-8", nullptr, "pt_BR", {"pt-BR"}},
        // The C locale ignores LANGUAGE, as glibc does.
        {nullptr, "C", "de", "en_US_POSIX", {}},
        {nullptr, nullptr, nullptr, "en_US_POSIX", {}},
    };
    LinuxPlatformFactsSource source("1.0", "1", tempHome.root());
    // The process's own values come back afterwards, for the tests that run next in this process.
    clicktrove::testing::ScopedEnv lcAll("LC_ALL"), lang("LANG"), language("LANGUAGE"), messages("LC_MESSAGES");
    for (const auto& c : cases) {
        lcAll.set(c.lcAll);
        lang.set(c.lang);
        language.set(c.language);
        messages.set(nullptr);
        const auto f = source.facts();
        EXPECT_EQ(f.localeIdentifier, c.locale);
        EXPECT_EQ(f.preferredLanguages, c.languages);
    }
}

}  // namespace
}  // namespace clicktrove::analytics
