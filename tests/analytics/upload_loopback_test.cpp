// Uploads over libcurl to a scripted ingestion server on the loopback interface.
#include "analytics/default_signal_payload.hpp"
#include "analytics/linux_platform_facts_source.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics_harness.hpp"
#include "platform/curl_http_transport.hpp"
#include "support/child_process.hpp"
#include "support/file_access.hpp"
#include "support/loopback_ingestion_server.hpp"
#include "support/refusing_port.hpp"
#include "support/wait_until.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <condition_variable>
#include <string_view>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;
using Level = LogHandler::LogLevel;
using clicktrove::testing::LoopbackIngestionServer;
using clicktrove::testing::RefusingPort;

// Counts the real transport's completions so a test can wait for one (bounded) before it moves the fake clock.
class CountingTransport final : public platform::HttpTransport {
public:
    explicit CountingTransport(std::shared_ptr<platform::HttpTransport> inner) : inner_(std::move(inner)) {}
    void send(platform::HttpRequest request, Completion completion) override {
        inner_->send(std::move(request), [this, completion](platform::HttpResponse response) {
            completion(std::move(response));
            std::lock_guard lock(mutex_);
            ++done_;
            cv_.notify_all();
        });
    }
    bool waitFor(int completions) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, 30s, [&] { return done_ >= completions; });
    }

private:
    std::shared_ptr<platform::HttpTransport> inner_;
    std::mutex mutex_;
    std::condition_variable cv_;
    int done_ = 0;
};

// Whether text matches pattern position by position: 'H' an upper-case hex digit, 'h' a lower-case one, 'V' one of
// 8, 9, A and B (the variant digit of a UUID), anything else itself. (No <regex>: GCC 12 warns of an
// uninitialised std::function inside it under optimisation, GCC bug 105616.)
bool fitsPattern(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool ok = pattern[i] == 'H'   ? std::string_view("0123456789ABCDEF").find(c) != std::string_view::npos
                        : pattern[i] == 'h' ? std::string_view("0123456789abcdef").find(c) != std::string_view::npos
                        : pattern[i] == 'V' ? std::string_view("89AB").find(c) != std::string_view::npos
                                            : c == pattern[i];
        if (!ok) return false;
    }
    return true;
}

class UploadLoopbackTest : public ::testing::Test {
protected:
    // Starts the client against baseURL with a real libcurl transport; the start's own attempt finds nothing
    // unless keepCache leaves the cache file of an earlier start in place.
    std::shared_ptr<TelemetryManagerConfiguration> start(const std::string& baseURL,
                                                         std::optional<std::string> ns = std::nullopt,
                                                         bool sessions = false, bool keepCache = false) {
        if (!keepCache) {
            Tallywire::terminate();
            std::filesystem::remove_all(cacheFile().parent_path());
        }
        transport = std::make_shared<CountingTransport>(std::make_shared<platform::CurlHttpTransport>(timeoutCap));
        auto env = harness.environment();
        env.transport = transport;
        env.platformFacts = facts;
        auto config = harness.configuration();
        config->setSendNewSessionBeganSignal(sessions);
        config->setSessionStatsEnabled(sessions);
        config->setApiBaseURL(baseURL);
        config->setTelemetryNamespace(std::move(ns));
        Tallywire::initialize(config, env);
        harness.pump();
        return config;
    }
    void send(int count, const std::string& prefix = "S") {
        for (int i = 0; i < count; ++i) Tallywire::signal(std::string(prefix).append(std::to_string(i)));
        harness.pump();
    }
    // One timer period, then the upload's outcome.
    void attempt() {
        harness.advance(10s);
        ASSERT_TRUE(transport->waitFor(++attempts));
        harness.pump();
    }
    SignalManager& signals() { return TelemetryManager::shared()->signalManager(); }
    static std::vector<std::string> types(const LoopbackIngestionServer::Request& r) {
        std::vector<std::string> out;
        for (const auto& s : nlohmann::json::parse(r.body)) out.push_back(s["type"]);
        return out;
    }

    std::filesystem::path cacheFile() {
        return harness.home.cacheHome() /
               TelemetryManager::defaultsSuiteName(harness.configuration()->telemetryAppID()) / "telemetrysignalcache";
    }
    // The types of the signals in the cache file; none when there is no file.
    std::vector<std::string> typesInCacheFile() {
        std::vector<std::string> out;
        if (!std::filesystem::exists(cacheFile())) return out;
        for (const auto& s : nlohmann::json::parse(clicktrove::testing::readFile(cacheFile())))
            out.push_back(s["type"]);
        return out;
    }
    // The signals saved at termination, taken away so the next start does not load them.
    std::size_t takeSavedAtTermination() {
        const auto saved = typesInCacheFile().size();
        std::filesystem::remove(cacheFile());
        return saved;
    }

    clicktrove::testing::AnalyticsHarness harness;
    std::shared_ptr<CountingTransport> transport;
    std::shared_ptr<LinuxPlatformFactsSource> facts = std::make_shared<LinuxPlatformFactsSource>("2.5.0", "9");
    int attempts = 0;
    std::chrono::milliseconds timeoutCap = 1500ms;
};

TEST_F(UploadLoopbackTest, AnAcceptedBatchHasTheWireForm) {
    LoopbackIngestionServer server({200});
    ASSERT_TRUE(server.started());
    auto config = start(server.baseURL());
    config->setTestMode(true);
    harness.clock.advance(3723s);
    Tallywire::signal("StartClicking", {{"clickType", "Double Click"}});
    Tallywire::signal("Valued", {}, 1.25);
    harness.pump();
    attempt();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/v2/");
    EXPECT_EQ(r.headers.at("content-type"), "application/json");
    const auto batch = nlohmann::json::parse(r.body);
    ASSERT_EQ(batch.size(), 2u);
    const auto& first = batch[0];
    std::vector<std::string> keys;
    for (const auto& [k, v] : first.items()) keys.push_back(k);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"appID", "clientUser", "isTestMode", "payload", "receivedAt", "sessionID",
                                              "type"}));
    EXPECT_EQ(first["receivedAt"], "2026-01-01T01:02:03+0000");
    EXPECT_EQ(first["appID"], config->telemetryAppID());
    EXPECT_TRUE(fitsPattern(first["sessionID"].get<std::string>(), "HHHHHHHH-HHHH-4HHH-VHHH-HHHHHHHHHHHH"));
    EXPECT_TRUE(fitsPattern(first["clientUser"].get<std::string>(), std::string(64, 'h')));
    EXPECT_EQ(first["isTestMode"], "true");
    EXPECT_EQ(first["payload"]["clickType"], "Double Click");
    // The signal's one parameter beside the 61 defaults: 48 fixed, 8 calendar and 5 statistics keys, the last
    // reported although session statistics are off here.
    EXPECT_EQ(first["payload"].size(), 62u);
    for (const auto& [k, v] : first["payload"].items()) EXPECT_TRUE(v.is_string()) << k;
    EXPECT_EQ(batch[1]["floatValue"], 1.25);
    EXPECT_EQ(signals().cachedSignalCount(), 0u);
    EXPECT_EQ(signals().consecutiveFailures(), 0);
    // Nothing left to send: the next period makes no request.
    harness.advance(10s);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(UploadLoopbackTest, ALargeBatchCarriesOnlyItsOwnHeaders) {
    LoopbackIngestionServer server({200});
    ASSERT_TRUE(server.started());
    start(server.baseURL());
    Tallywire::signal("Large", {{"notes", std::string(1200000, 'x')}});
    harness.pump();
    attempt();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    // No "Expect: 100-continue" that would hold the body back for a reply the server need not send.
    EXPECT_EQ(requests[0].headers.count("expect"), 0u);
    const auto batch = nlohmann::json::parse(requests[0].body);
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0]["payload"]["notes"].get<std::string>().size(), 1200000u);
    EXPECT_EQ(signals().cachedSignalCount(), 0u);
}

TEST_F(UploadLoopbackTest, AServerErrorKeepsTheBatchForTheNextAttempt) {
    LoopbackIngestionServer server({500, 200});
    ASSERT_TRUE(server.started());
    start(server.baseURL());
    send(3);
    attempt();
    EXPECT_EQ(harness.log.count("Failed to send events (status 500), will try again later"), 1);
    EXPECT_EQ(signals().cachedSignalCount(), 3u);
    harness.advance(19s);
    EXPECT_EQ(server.requests().size(), 1u);
    harness.advance(1s);  // the back-off doubled the interval
    ASSERT_TRUE(transport->waitFor(++attempts));
    harness.pump();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].body, requests[1].body);
    EXPECT_EQ(signals().cachedSignalCount(), 0u);
}

TEST_F(UploadLoopbackTest, RejectedBatchesAreDroppedForGood) {
    const std::vector<std::pair<int, std::string>> table = {
        {400, "Bad Request (400)"},       {401, "Unauthorized (401)"},
        {403, "Forbidden (403)"},         {404, "Not Found (404)"},
        {413, "Payload Too Large (413)"}, {422, "Unprocessable Entity (422)"},
        {501, "Not Implemented (501)"},   {505, "HTTP Version Not Supported (505)"},
    };
    for (const auto& [status, reason] : table) {
        SCOPED_TRACE(status);
        LoopbackIngestionServer server({status});
        ASSERT_TRUE(server.started());
        attempts = 0;
        start(server.baseURL());
        send(2);
        attempt();
        EXPECT_EQ(harness.log.count("Dropping 2 signal(s): rejected by server " + reason), 1);
        EXPECT_EQ(signals().cachedSignalCount(), 0u);
        EXPECT_EQ(signals().consecutiveFailures(), 0);
        harness.advance(20s);
        EXPECT_EQ(server.requests().size(), 1u);
    }
}

TEST_F(UploadLoopbackTest, ARefusedConnectionOrAStalledReplyKeepsTheBatch) {
    const RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    LoopbackIngestionServer stalling({0});
    ASSERT_TRUE(stalling.started());
    for (const std::string& base : {"http://127.0.0.1:" + std::to_string(refusing.port()), stalling.baseURL()}) {
        SCOPED_TRACE(base);
        attempts = 0;
        harness.log.clear();
        start(base);
        send(4);
        attempt();
        EXPECT_EQ(signals().cachedSignalCount(), 4u);
        EXPECT_EQ(signals().consecutiveFailures(), 1);
        EXPECT_EQ(harness.log.at(Level::error).size(), 1u);  // the transport's own error text
    }
    // The server's thread records the request in its own time, which under load may come after the client gave up.
    EXPECT_TRUE(stalling.waitForRequests(1, 10s));
    EXPECT_EQ(stalling.requests().size(), 1u);
}

TEST_F(UploadLoopbackTest, TwoHundredFiftySignalsGoOutInThreeBatchesOldestFirst) {
    LoopbackIngestionServer server({200, 200, 200});
    ASSERT_TRUE(server.started());
    start(server.baseURL());
    send(250);
    attempt();
    attempt();
    attempt();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    const auto a = types(requests[0]), b = types(requests[1]), c = types(requests[2]);
    ASSERT_EQ(a.size(), 100u);
    ASSERT_EQ(b.size(), 100u);
    ASSERT_EQ(c.size(), 50u);
    EXPECT_EQ(a.front(), "S0");
    EXPECT_EQ(b.front(), "S100");
    EXPECT_EQ(c.back(), "S249");
    EXPECT_EQ(harness.log.count("Sending 100 signals leaving a cache of 150 signals"), 1);
}

TEST_F(UploadLoopbackTest, NamespaceAndTrailingSlashInThePath) {
    struct Case {
        std::string suffix;
        std::optional<std::string> ns;
        std::string path;
    };
    for (const Case& c : {Case{"", std::nullopt, "/v2/"}, Case{"/", std::string(""), "/v2/"},
                          Case{"/base", std::string("team one"), "/base/v2/namespace/team%20one/"},
                          Case{"/base/", std::string("a/b"), "/base/v2/namespace/a%2Fb/"}}) {
        SCOPED_TRACE(c.path);
        LoopbackIngestionServer server({200});
        ASSERT_TRUE(server.started());
        attempts = 0;
        start(server.baseURL() + c.suffix, c.ns);
        send(1);
        attempt();
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].path, c.path);
    }
}

TEST_F(UploadLoopbackTest, AMovedEndpointIsFollowedWithTheSameMethodAndBody) {
    for (const int status : {301, 302, 307, 308}) {
        SCOPED_TRACE(status);
        LoopbackIngestionServer server({status, 200});
        ASSERT_TRUE(server.started());
        server.redirectTo("/moved/v2/");
        attempts = 0;
        start(server.baseURL());
        send(2);
        attempt();
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].method, "POST");
        EXPECT_EQ(requests[1].path, "/moved/v2/");
        EXPECT_EQ(requests[1].headers.at("content-type"), "application/json");
        EXPECT_EQ(requests[1].body, requests[0].body);
        EXPECT_EQ(signals().cachedSignalCount(), 0u);
        EXPECT_EQ(signals().consecutiveFailures(), 0);
    }
}

TEST_F(UploadLoopbackTest, ARedirectLoopIsAFailedAttemptThatKeepsTheBatch) {
    LoopbackIngestionServer server(std::vector<int>(20, 308));
    ASSERT_TRUE(server.started());
    server.redirectTo("/v2/");
    start(server.baseURL());
    send(3);
    attempt();
    EXPECT_EQ(server.requests().size(), static_cast<std::size_t>(1 + platform::CurlHttpTransport::maximumRedirects));
    EXPECT_EQ(signals().cachedSignalCount(), 3u);
    EXPECT_EQ(signals().consecutiveFailures(), 1);
    EXPECT_EQ(harness.log.at(LogHandler::LogLevel::error).size(), 1u);
}

TEST_F(UploadLoopbackTest, TheBatchInFlightAtTerminationIsKeptOnlyWhenItDidNotSucceed) {
    struct Case {
        const char* what;
        int status;
        std::chrono::milliseconds delay;
        std::size_t saved;
    };
    // A reply within the grace decides; a stalled one keeps the batch, since it may never have arrived.
    // Beyond the grace, so that a stalled reply is still open when the grace is over.
    timeoutCap = SignalManager::terminationGrace + 2s;
    for (const Case& c : {Case{"accepted late", 200, 400ms, 0}, Case{"rejected for good", 413, 400ms, 0},
                          Case{"failed late", 503, 400ms, 3}, Case{"stalled", 0, 0ms, 3}}) {
        SCOPED_TRACE(c.what);
        LoopbackIngestionServer server({c.status});
        ASSERT_TRUE(server.started());
        server.delayReplies(c.delay);
        attempts = 0;
        start(server.baseURL());
        send(3);
        harness.advance(10s);  // the upload goes out and is still in flight
        const auto before = std::chrono::steady_clock::now();
        Tallywire::applicationWillTerminate();
        const auto waited = std::chrono::steady_clock::now() - before;
        EXPECT_LT(waited, SignalManager::terminationGrace + 1s);
        EXPECT_EQ(takeSavedAtTermination(), c.saved);
        EXPECT_EQ(server.requests().size(), 1u);
        // The transport must be done with the request before the next case replaces it.
        ASSERT_TRUE(transport->waitFor(++attempts));
        Tallywire::terminate();
    }
}

// Runs of the client in processes of their own, on its production threads, while the service is down: one
// quits, the next is killed. When the service is back, the next start delivers the signals of both, once.
TEST_F(UploadLoopbackTest, SignalsOfAQuitAndOfAKilledRunArriveOnceWhenTheServiceIsBack) {
    using clicktrove::testing::ChildProcess;
    const RefusingPort down;
    ASSERT_NE(down.port(), 0);
    const std::string downURL = "http://127.0.0.1:" + std::to_string(down.port());
    const std::string appID = harness.configuration()->telemetryAppID();
    {
        ChildProcess quitting;
        ASSERT_TRUE(quitting.start({CLICKTROVE_ANALYTICS_CHILD, downURL, appID, "Quit", "7", "quit"}));
        ASSERT_EQ(quitting.waitForExit(30000), std::optional<int>(0));
    }
    ASSERT_EQ(typesInCacheFile().size(), 7u);
    {
        ChildProcess killed;
        ASSERT_TRUE(killed.start({CLICKTROVE_ANALYTICS_CHILD, downURL, appID, "Killed", "5", "stay"}));
        // While it runs, the file holds what the quit left and its own signals.
        ASSERT_TRUE(clicktrove::testing::waitUntil([&] { return typesInCacheFile().size() == 12u; }));
        ASSERT_EQ(::kill(killed.pid(), SIGKILL), 0);
        EXPECT_EQ(killed.waitForExit(30000), std::optional<int>(-1));
    }

    LoopbackIngestionServer server({200});
    ASSERT_TRUE(server.started());
    start(server.baseURL(), std::nullopt, false, true);
    // The start's own attempt carries them.
    ASSERT_TRUE(transport->waitFor(++attempts));
    harness.pump();
    std::vector<std::string> expected;
    for (int i = 0; i < 7; ++i) expected.push_back("Quit" + std::to_string(i));
    for (int i = 0; i < 5; ++i) expected.push_back("Killed" + std::to_string(i));
    ASSERT_EQ(server.requests().size(), 1u);
    // Each once; a failed batch goes back behind newer signals, so the order is the runs' own business.
    auto delivered = types(server.requests()[0]);
    std::sort(delivered.begin(), delivered.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(delivered, expected);
    EXPECT_FALSE(std::filesystem::exists(cacheFile()));

    // A later start has nothing left to send.
    attempts = 0;
    start(server.baseURL(), std::nullopt, false, true);
    harness.advance(10s);
    EXPECT_EQ(server.requests().size(), 1u);
}

// A cache file that can be neither replaced nor removed (its folder is read-only) would be sent again at every
// start, and accepted again each time.
TEST_F(UploadLoopbackTest, ACacheThatCannotBeRemovedIsNotSentAgainAtEachStart) {
    namespace fs = std::filesystem;
    const RefusingPort down;
    ASSERT_NE(down.port(), 0);
    start("http://127.0.0.1:" + std::to_string(down.port()));
    send(3, "Kept");
    Tallywire::applicationWillTerminate();
    ASSERT_EQ(typesInCacheFile().size(), 3u);
    const std::string before = clicktrove::testing::readFile(cacheFile());
    const fs::path folder = cacheFile().parent_path();
    clicktrove::testing::openToOthers(cacheFile(), harness.home.root(), 04);
    clicktrove::testing::openToOthers(folder, harness.home.root(), 05);
    fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    LoopbackIngestionServer server({200, 200});
    ASSERT_TRUE(server.started());
    {
        const clicktrove::testing::ScopedUnprivilegedFileAccess unprivileged;
        for (const std::string run : {"First", "Second"}) {
            SCOPED_TRACE(run);
            harness.log.clear();
            attempts = 0;
            start(server.baseURL(), std::nullopt, false, true);
            send(1, run);
            attempt();
            Tallywire::applicationWillTerminate();
            EXPECT_EQ(harness.log.at(Level::error).size(), 1u);
        }
    }
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(types(requests[0]), std::vector<std::string>{"First0"});
    EXPECT_EQ(types(requests[1]), std::vector<std::string>{"Second0"});
    EXPECT_EQ(clicktrove::testing::readFile(cacheFile()), before);
}

TEST_F(UploadLoopbackTest, LaunchSignalsBelongToTheSessionThatStartsAndNameThisClient) {
    LoopbackIngestionServer server({200});
    ASSERT_TRUE(server.started());
    start(server.baseURL(), std::nullopt, true);
    // Sent right after initialising, half a second before the session starts.
    Tallywire::signal("AppLaunched");
    harness.pump();
    harness.advance(600ms);
    Tallywire::signal("Later");
    harness.pump();
    harness.advance(10s);
    ASSERT_TRUE(transport->waitFor(++attempts));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    std::map<std::string, nlohmann::json> byType;
    for (const auto& s : nlohmann::json::parse(requests[0].body)) byType[s["type"]] = s;
    ASSERT_TRUE(byType.count("Tallywire.Session.started"));
    const auto announced = byType["Tallywire.Session.started"]["sessionID"];
    for (const char* type : {"AppLaunched", "Tallywire.Acquisition.newInstallDetected", "Later"}) {
        ASSERT_TRUE(byType.count(type)) << type;
        EXPECT_EQ(byType[type]["sessionID"], announced) << type;
    }
    // The client's own name and version, not the application's 2.5.0.
    const auto& payload = byType["AppLaunched"]["payload"];
    EXPECT_EQ(payload["Tallywire.SDK.name"], "CppSDK");
    EXPECT_EQ(payload["Tallywire.SDK.version"], DefaultSignalPayload::clientVersion);
    EXPECT_EQ(payload["Tallywire.SDK.nameAndVersion"], std::string("CppSDK ") + DefaultSignalPayload::clientVersion);
    EXPECT_EQ(payload["Tallywire.AppInfo.version"], "2.5.0");
}

TEST_F(UploadLoopbackTest, EachSignalReportsTheDisplayOfItsOwnMoment) {
    LoopbackIngestionServer server({200});
    ASSERT_TRUE(server.started());
    std::string scheme = "Light";
    facts->setAppFacts([&scheme](PlatformFacts& f) { f.colorScheme = scheme; });
    start(server.baseURL());
    Tallywire::signal("AppLaunched");
    harness.pump();
    scheme = "Dark";  // the stored theme applies after launch
    Tallywire::signal("ThemeChanged", {{"theme", "Dark"}});
    harness.pump();
    attempt();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto batch = nlohmann::json::parse(requests[0].body);
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0]["payload"]["Tallywire.UserPreference.colorScheme"], "Light");
    EXPECT_EQ(batch[1]["payload"]["Tallywire.UserPreference.colorScheme"], "Dark");
    facts->setAppFacts(nullptr);
}

}  // namespace
}  // namespace clicktrove::analytics
