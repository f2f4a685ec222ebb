#include "analytics/tallywire.hpp"
#include "analytics/sha256.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics_harness.hpp"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <thread>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;
using Level = LogHandler::LogLevel;

class TallywireTest : public ::testing::Test {
protected:
    std::vector<std::string> errors() const { return harness.log.at(Level::error); }

    clicktrove::testing::AnalyticsHarness harness;
};

TEST_F(TallywireTest, SignalNameAndParameterPrefixes) {
    auto config = harness.startQuiet();
    config->setDefaultSignalPrefix("Clicktrove.");
    config->setDefaultParameterPrefix("ct.");
    Tallywire::signal("StartClicking",
                      {{"clickType", "Left Click"}, {"Tallywire.Custom.kept", "1"}, {"tallywire.lower", "2"}});
    Tallywire::sendInternalSignal("Tallywire.Own.signal", {{"plain", "3"}});
    harness.pump();
    const auto batch = harness.flush();
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0]["type"], "Clicktrove.StartClicking");
    EXPECT_EQ(batch[0]["payload"]["ct.clickType"], "Left Click");
    EXPECT_EQ(batch[0]["payload"]["Tallywire.Custom.kept"], "1");
    // A lower-case "tallywire." key is an ordinary key: prefixed, and then it is no reserved prefix.
    EXPECT_EQ(batch[0]["payload"]["ct.tallywire.lower"], "2");
    EXPECT_FALSE(batch[0]["payload"].contains("clickType"));
    // The internal send adds no prefix to the name and takes its parameters as given.
    EXPECT_EQ(batch[1]["type"], "Tallywire.Own.signal");
    EXPECT_EQ(batch[1]["payload"]["plain"], "3");
    // Only the key left unprefixed is reported.
    EXPECT_EQ(errors(), std::vector<std::string>{"Sending parameter with reserved key prefix 'Tallywire.' will cause "
                                                 "unexpected behavior. Please use another prefix instead."});
}

TEST_F(TallywireTest, ReservedNamesWarnButAreStillSent) {
    const std::string reservedPrefixSignal =
        "Sending signal with reserved prefix 'Tallywire.' will cause unexpected behavior. Please use another prefix "
        "instead.";
    const std::string reservedPrefixKey =
        "Sending parameter with reserved key prefix 'Tallywire.' will cause unexpected behavior. Please use another "
        "prefix instead.";
    struct Case {
        std::string name;
        Tallywire::Parameters parameters;
        std::vector<std::string> errors;
    };
    const std::vector<Case> cases = {
        {"TyPe",
         {},
         {"Sending signal with reserved name 'TyPe' will cause unexpected behavior. Please use another "
          "name instead."}},
        {"tallyWIRE.mine", {}, {reservedPrefixSignal}},
        {"Fine", {{"Tallywire.x", "1"}}, {reservedPrefixKey}},
        {"Fine",
         {{"LOCALE", "de"}},
         {"Sending parameter with reserved key 'LOCALE' will cause unexpected behavior. Please use another key "
          "instead."}},
        {"Fine", {{"clickType", "x"}}, {}},
    };
    harness.startQuiet();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        harness.log.clear();
        Tallywire::signal(c.name, c.parameters);
        harness.pump();
        EXPECT_EQ(errors(), c.errors);
        const auto batch = harness.flush();
        ASSERT_EQ(batch.size(), 1u);
        EXPECT_EQ(batch[0]["type"], c.name);
    }
}

TEST_F(TallywireTest, DefaultParameterKeysAreCheckedEvenWithWarningsOff) {
    auto config = harness.startQuiet();
    config->setReservedParameterWarningsEnabled(false);
    config->setDefaultParameters([] { return Tallywire::Parameters{{"locale", "en_US"}, {"shared", "default"}}; });
    Tallywire::signal("type", {{"locale", "given"}, {"shared", "mine"}});
    harness.pump();
    EXPECT_EQ(errors(), std::vector<std::string>{"Sending parameter with reserved key 'locale' will cause unexpected "
                                                 "behavior. Please use another key instead."});
    const auto batch = harness.flush();
    ASSERT_EQ(batch.size(), 1u);
    // The signal's own parameter replaces the configured default.
    EXPECT_EQ(batch[0]["payload"]["shared"], "mine");
    EXPECT_EQ(batch[0]["payload"]["locale"], "given");
}

TEST_F(TallywireTest, DisabledOrPreviewDropsSilently) {
    for (int mode = 0; mode < 2; ++mode) {
        auto config = harness.startQuiet();
        if (mode == 0) {
            config->setAnalyticsDisabled(true);
        } else {
            config->setSwiftUIPreviewMode(true);
        }
        harness.log.clear();
        Tallywire::signal("type", {{"Tallywire.bad", "1"}});
        harness.pump();
        EXPECT_TRUE(errors().empty());
        EXPECT_EQ(TelemetryManager::shared()->signalManager().cachedSignalCount(), 0u);
    }
}

TEST_F(TallywireTest, SignalsWithoutAnInstalledManagerAreDroppedWithoutMakingManagers) {
    Tallywire::signal("Early");
    EXPECT_FALSE(TelemetryManager::isInstalled());
    EXPECT_EQ(TelemetryManager::defaultsSuite(), nullptr);
    EXPECT_EQ(harness.log.count("Dropping signal Early: the analytics client is not initialized"), 1);

    harness.startQuiet();
    Tallywire::terminate();
    for (int i = 0; i < 5; ++i) Tallywire::signal("Late");
    harness.advance(60s);
    EXPECT_FALSE(TelemetryManager::isInstalled());
    EXPECT_EQ(harness.log.count("Dropping signal Late: the analytics client is not initialized"), 5);
    // Nothing is left behind to fire: no timers, no deferred sessions.
    EXPECT_EQ(harness.mainQueue->pendingDelayed(), 0u);
    EXPECT_EQ(harness.scheduler->pending(), 0u);
    EXPECT_TRUE(harness.transport->requests().empty());
}

TEST_F(TallywireTest, OnlyTheInstalledManagerBeginsItsDeferredSession) {
    auto first = harness.configuration();
    const std::string created = first->sessionID();
    harness.initialize(first);
    // The new session's identifier is in place at once; the session starts half a second later.
    EXPECT_NE(first->sessionID(), created);
    harness.advance(200ms);
    auto second = harness.configuration();
    harness.initialize(second);
    const std::string secondSession = second->sessionID();
    harness.advance(1s);
    // The replaced manager's deferred session did nothing; the installed one began exactly one session, the
    // one whose identifier it had put in place.
    EXPECT_EQ(second->sessionID(), secondSession);
    const auto batch = harness.flush();
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0]["type"], "Tallywire.Acquisition.newInstallDetected");
    EXPECT_EQ(batch[1]["type"], "Tallywire.Session.started");
    EXPECT_EQ(batch[1]["sessionID"], secondSession);
    harness.advance(60s);
    EXPECT_EQ(harness.transport->requests().size(), 1u);
}

TEST_F(TallywireTest, WritingTheSessionWithBothHooksOffOnlyStoresIt) {
    auto config = harness.startQuiet();
    config->setSessionStatsEnabled(false);
    config->setSendNewSessionBeganSignal(false);
    config->setSessionID("00000000-0000-4000-8000-000000000000");
    harness.pump();
    EXPECT_EQ(config->sessionID(), "00000000-0000-4000-8000-000000000000");
    EXPECT_EQ(TelemetryManager::shared()->signalManager().cachedSignalCount(), 0u);
    config->setSendNewSessionBeganSignal(true);
    Tallywire::generateNewSession();
    harness.pump();
    EXPECT_EQ(TelemetryManager::shared()->signalManager().cachedSignalCount(), 1u);
    harness.flush();

    // An identifier written in lower case still goes out in the standard upper-case form.
    config->setSendNewSessionBeganSignal(false);
    config->setSessionID("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d");
    Tallywire::signal("A");
    const auto batch = harness.flush();
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0]["sessionID"], "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D");
}

TEST_F(TallywireTest, ANewSessionFromAnotherThreadLeavesTheSessionStatisticsToTheMainThread) {
    auto config = harness.configuration();
    config->setSendNewSessionBeganSignal(true);
    harness.initialize(config);
    harness.pump();
    std::thread([] { Tallywire::generateNewSession(); }).join();
    // Nothing of the main thread's state was created or timed from the other thread.
    EXPECT_EQ(TelemetryManager::shared()->existingSessionManager(), nullptr);
    EXPECT_EQ(harness.mainQueue->pendingDelayed(), 1u);  // only the deferred session of the start
    harness.pump();
    ASSERT_NE(TelemetryManager::shared()->existingSessionManager(), nullptr);
    EXPECT_TRUE(TelemetryManager::shared()->existingSessionManager()->measuring());
    const auto batch = harness.flush();
    ASSERT_GE(batch.size(), 2u);
    // The statistics step comes first, as on the main thread.
    EXPECT_EQ(batch[0]["type"], "Tallywire.Acquisition.newInstallDetected");
    EXPECT_EQ(batch[1]["type"], "Tallywire.Session.started");
}

std::string sha256sum(const std::string& input) {
    const auto path = std::filesystem::temp_directory_path() / ("tallywire-sha-" + std::to_string(::getpid()));
    clicktrove::testing::writeFile(path, input);
    std::string out;
    if (FILE* p = ::popen(("sha256sum '" + path.string() + "'").c_str(), "r")) {
        char buffer[128];
        if (std::fgets(buffer, sizeof buffer, p)) out.assign(buffer, 64);
        ::pclose(p);
    }
    std::filesystem::remove(path);
    return out;
}

TEST_F(TallywireTest, HashesAndTheSuiteNameAgreeWithSha256sum) {
    struct Case {
        std::string text;
        std::string salt;
    };
    for (const Case& c : {Case{"", ""}, Case{"4A1B2C3D-0000-4000-8000-00000000C0DE", ""}, Case{"user", "pepper"},
                          Case{"Grüße \xF0\x9F\x96\xB1", "s"}}) {
        SCOPED_TRACE(c.text);
        const std::string expected = sha256sum(c.text + c.salt);
        ASSERT_EQ(expected.size(), 64u);
        EXPECT_EQ(sha256Hex(c.text, c.salt), expected);
        if (c.salt.empty()) {
            EXPECT_EQ(TelemetryManager::defaultsSuiteName(c.text), "com.tallywire." + expected.substr(52));
        }
    }
    EXPECT_EQ(TelemetryManager::defaultsSuiteName("x").size(), 26u);
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST_F(TallywireTest, TheUserIdentifierIsKeptInTheSuiteAndACustomUserStandsAlone) {
    auto config = harness.startQuiet();
    Tallywire::signal("A");
    Tallywire::signal("B", {}, std::nullopt, std::string("custom"));
    harness.pump();
    const auto suite = TelemetryManager::defaultsSuite();
    ASSERT_NE(suite, nullptr);
    const auto stored = suite->string("defaultUserIdentifier");
    ASSERT_TRUE(stored.has_value());
    const auto batch = harness.flush();
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0]["clientUser"], sha256Hex(*stored, ""));
    EXPECT_EQ(batch[1]["clientUser"], sha256Hex("custom", ""));
    EXPECT_EQ(TelemetryManager::shared()->hashedUserIdentifier(), sha256Hex(*stored, ""));

    config->setSalt("pepper");
    Tallywire::updateDefaultUser(std::string("chosen"));
    Tallywire::signal("C");
    Tallywire::signal("D", {}, std::nullopt, std::string("custom"));
    harness.pump();
    const auto next = harness.flush();
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(next[0]["clientUser"], sha256Hex("chosen", "pepper"));
    EXPECT_EQ(next[1]["clientUser"], sha256Hex("custom", "pepper"));
}

TEST_F(TallywireTest, ImmediateSyncIsGuardedByTheTransmitInterval) {
    harness.startQuiet();
    Tallywire::signal("A");
    harness.pump();
    Tallywire::requestImmediateSync();
    harness.advance(30ms);
    EXPECT_TRUE(harness.transport->requests().empty());
    harness.advance(30ms);
    ASSERT_EQ(harness.transport->requests().size(), 1u);
    harness.transport->answer(200);
    Tallywire::signal("B");
    harness.pump();
    // Within 10 s of the last request: ignored.
    Tallywire::requestImmediateSync();
    harness.advance(1s);
    EXPECT_EQ(harness.transport->requests().size(), 1u);
}

TEST_F(TallywireTest, ANonFiniteFloatValueIsDroppedNotTheSignal) {
    harness.startQuiet();
    Tallywire::signal("Nan", {}, std::nan(""));
    Tallywire::signal("Inf", {}, INFINITY);
    Tallywire::signal("Fine", {}, 2.5);
    harness.pump();
    const auto batch = harness.flush();
    ASSERT_EQ(batch.size(), 3u);
    EXPECT_FALSE(batch[0].contains("floatValue"));
    EXPECT_FALSE(batch[1].contains("floatValue"));
    EXPECT_EQ(batch[2]["floatValue"], 2.5);
    EXPECT_EQ(errors(), (std::vector<std::string>{"Dropping the float value nan of signal Nan: not a finite number",
                                                  "Dropping the float value inf of signal Inf: not a finite number"}));
}

}  // namespace
}  // namespace clicktrove::analytics
