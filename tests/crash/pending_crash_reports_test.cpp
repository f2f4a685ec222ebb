#include "crash/pending_crash_reports.hpp"

#include "crash/crash_report.hpp"
#include "platform/curl_http_transport.hpp"
#include "platform/fake/fake_clock.hpp"
#include "report_fixture.hpp"
#include "support/loopback_ingestion_server.hpp"
#include "support/refusing_port.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <future>
#include <nlohmann/json.hpp>

namespace clicktrove::crash {
namespace {

namespace fs = std::filesystem;
using clicktrove::testing::LoopbackIngestionServer;
using clicktrove::testing::readFile;
using clicktrove::testing::writeFile;
using namespace std::chrono_literals;

constexpr char kKey[] = "0123456789abcdef0123456789abcdef";

std::string dsnFor(int port) {
    return std::string("http://") + kKey + "@127.0.0.1:" + std::to_string(port) + "/42";
}

// The envelope headers, the item headers and the event of one request.
struct SentEvent {
    nlohmann::json headers;
    nlohmann::json item;
    nlohmann::json event;
};

SentEvent sentEvent(const LoopbackIngestionServer::Request& request) {
    const auto firstLine = request.body.find('\n');
    const auto secondLine = request.body.find('\n', firstLine + 1);
    const auto item = nlohmann::json::parse(request.body.substr(firstLine + 1, secondLine - firstLine - 1));
    return {nlohmann::json::parse(request.body.substr(0, firstLine)), item,
            nlohmann::json::parse(request.body.substr(secondLine + 1, item["length"].get<std::size_t>()))};
}

class PendingCrashReportsTest : public clicktrove::testing::TempHomeTest {
protected:
    // Sends through libcurl as the program does, and counts what it was asked to send. Each call stands for one
    // start of the program: it reads the pauses the service asked for afresh from the reports folder.
    PendingCrashReports reports(const std::optional<std::string>& dsn) {
        limits = std::make_unique<SentryRateLimits>(folder / "rate-limits", clock.now());
        return PendingCrashReports(
            folder, dsn ? SentryDsn::parse(*dsn) : std::nullopt,
            [this](platform::HttpRequest request) {
                ++posts;
                auto answer = std::make_shared<std::promise<platform::HttpResponse>>();
                auto future = answer->get_future();
                transport.send(std::move(request),
                               [answer](platform::HttpResponse r) { answer->set_value(std::move(r)); });
                return future.get();
            },
            *limits, clock);
    }

    fs::path writeReport(const std::string& name, const std::string& text) {
        const fs::path path = folder / name;
        writeFile(path, text);
        return path;
    }

    std::vector<std::string> filesInFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder = tempHome.stateHome() / "Clicktrove" / "crashes";
    platform::CurlHttpTransport transport{5s};
    platform::FakeClock clock;
    std::unique_ptr<SentryRateLimits> limits;
    int posts = 0;
};

TEST_F(PendingCrashReportsTest, SendsEachReportOnceAsAnEventAndDeletesItAfterA2xx) {
    const std::string text = testing::sampleReport().serialize();
    writeReport("20240501T120000Z.crash", text);
    writeReport("20240501T120001Z.crash", text);
    LoopbackIngestionServer server({200, 202});
    ASSERT_TRUE(server.started());

    const auto summary = reports(dsnFor(server.port())).process();
    EXPECT_EQ(summary.sent, 2);
    EXPECT_TRUE(filesInFolder().empty());
    // The next start finds nothing more to send.
    EXPECT_EQ(reports(dsnFor(server.port())).process().sent, 0);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/api/42/envelope/");
        EXPECT_EQ(request.headers.at("content-type"), "application/x-sentry-envelope");
        const std::string& auth = request.headers.at("x-sentry-auth");
        EXPECT_EQ(auth.rfind("Sentry sentry_version=7,", 0), 0u) << auth;
        EXPECT_NE(auth.find(std::string("sentry_key=") + kKey), std::string::npos) << auth;

        const auto [headers, item, event] = sentEvent(request);
        EXPECT_EQ(item["type"], "event");
        EXPECT_EQ(headers["event_id"], event["event_id"]);
        EXPECT_EQ(headers["dsn"], dsnFor(server.port()));
        EXPECT_EQ(event["exception"]["values"][0]["type"], "SIGSEGV");
    }
    EXPECT_NE(sentEvent(requests[0]).headers["event_id"], sentEvent(requests[1]).headers["event_id"]);
}

TEST_F(PendingCrashReportsTest, AReportSentAgainAfterItsAnswerWasLostIsTheSameEvent) {
    const fs::path path = writeReport("20240501T120000Z.crash", testing::sampleReport().serialize());
    LoopbackIngestionServer server({LoopbackIngestionServer::kDrop, 200});
    ASSERT_TRUE(server.started());

    EXPECT_EQ(reports(dsnFor(server.port())).process().kept, 1);
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(reports(dsnFor(server.port())).process().sent, 1);
    EXPECT_FALSE(fs::exists(path));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const SentEvent first = sentEvent(requests[0]);
    const SentEvent second = sentEvent(requests[1]);
    EXPECT_EQ(first.headers["event_id"].get<std::string>().size(), 32u);
    EXPECT_EQ(second.headers["event_id"], first.headers["event_id"]);
    EXPECT_EQ(second.event["event_id"], first.event["event_id"]);
    EXPECT_EQ(first.event["event_id"], first.headers["event_id"]);
}

TEST_F(PendingCrashReportsTest, AReportTheServiceRefusesForGoodIsSetAsideAndNeverSentAgain) {
    for (const int status : {400, 403, 413}) {
        SCOPED_TRACE(status);
        fs::remove_all(folder);
        const fs::path path = writeReport("20240501T120000Z.crash", testing::sampleReport().serialize());
        LoopbackIngestionServer server({status, 200, 200});
        ASSERT_TRUE(server.started());

        EXPECT_EQ(reports(dsnFor(server.port())).process().refused, 1);
        EXPECT_FALSE(fs::exists(path));
        const auto names = filesInFolder();
        ASSERT_EQ(names.size(), 1u);
        EXPECT_EQ(names[0].rfind("20240501T120000Z.crash.refused-", 0), 0u) << names[0];
        // Kept as it was sent, for whoever looks into why.
        EXPECT_TRUE(CrashReport::parse(readFile(folder / names[0])));

        const auto next = reports(dsnFor(server.port())).process();
        EXPECT_EQ(next.sent + next.kept + next.refused, 0);
        EXPECT_EQ(server.requests().size(), 1u);
    }
}

TEST_F(PendingCrashReportsTest, NothingIsSentWhileTheServiceAsksForAPause) {
    struct Case {
        const char* name;
        int status;  // the answer to the first report
        const char* header;
        const char* value;
        std::chrono::seconds pause;  // 0: the pause does not hold back errors
    };
    for (const Case& c : {
             Case{"429 with Retry-After", 429, "Retry-After", "120", 120s},
             Case{"429 alone", 429, nullptr, nullptr, SentryRateLimits::kDefaultPause},
             Case{"a limit on errors, on an accepted report", 200, "X-Sentry-Rate-Limits",
                  "120:error;default:organization:quota", 120s},
             Case{"a limit on every category", 429, "X-Sentry-Rate-Limits", "30::organization, 90::key", 90s},
             Case{"a limit on traces only", 200, "X-Sentry-Rate-Limits", "120:transaction:key", 0s},
         }) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        writeReport("20240501T120000Z.crash", testing::sampleReport().serialize());
        writeReport("20240501T120001Z.crash", testing::sampleReport().serialize());
        LoopbackIngestionServer server({c.status, 200, 200, 200});
        ASSERT_TRUE(server.started());
        if (c.header) server.addHeader(c.status, c.header, c.value);

        reports(dsnFor(server.port())).process();
        if (c.pause == 0s) {
            EXPECT_EQ(server.requests().size(), 2u);
            continue;
        }
        // The second report waits; so does everything at a start before the pause is over.
        EXPECT_EQ(server.requests().size(), 1u);
        clock.advance(c.pause - 1s);
        reports(dsnFor(server.port())).process();
        EXPECT_EQ(server.requests().size(), 1u);

        clock.advance(2s);
        reports(dsnFor(server.port())).process();
        EXPECT_EQ(server.requests().size(), c.status == 429 ? 3u : 2u);
        EXPECT_TRUE(filesInFolder() == std::vector<std::string>{"rate-limits"}) << filesInFolder().size();
    }
}

TEST_F(PendingCrashReportsTest, APauseLeftByAClockThatWasAheadHoldsReportsBackADayAtMost) {
    writeReport("20240501T120000Z.crash", testing::sampleReport().serialize());
    const auto aYearAhead = std::chrono::floor<std::chrono::seconds>((clock.now() + 24h * 365).time_since_epoch());
    writeFile(folder / "rate-limits", "error " + std::to_string(aYearAhead.count()) + "\n");
    LoopbackIngestionServer server;
    ASSERT_TRUE(server.started());

    // Every start within a day of the first that read the pause holds the report back; none counts the day anew.
    for (const auto step : {0h, 12h, 11h}) {
        clock.advance(step);
        EXPECT_EQ(reports(dsnFor(server.port())).process().kept, 1);
    }
    EXPECT_TRUE(server.requests().empty());
    clock.advance(1h);
    EXPECT_EQ(reports(dsnFor(server.port())).process().sent, 1);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(PendingCrashReportsTest, KeepsTheReportWhenTheServiceFailsOrCannotBeReached) {
    LoopbackIngestionServer failing({500, 429});
    ASSERT_TRUE(failing.started());
    const clicktrove::testing::RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    // The 429 last: it pauses every upload after it.
    for (const std::string& dsn : {dsnFor(failing.port()), dsnFor(refusing.port()), dsnFor(failing.port())}) {
        SCOPED_TRACE(dsn);
        const fs::path path = writeReport("20240501T120000Z.crash", testing::sampleReport().serialize());
        const auto summary = reports(dsn).process();
        EXPECT_EQ(summary.kept, 1);
        EXPECT_EQ(summary.sent, 0);
        ASSERT_TRUE(fs::exists(path));
        // Kept, and written back symbolised, so the next start does not symbolise it again.
        const auto kept = CrashReport::parse(readFile(path));
        ASSERT_TRUE(kept);
        EXPECT_TRUE(kept->symbolized);
    }
    EXPECT_EQ(failing.requests().size(), 2u);
    EXPECT_EQ(posts, 3);
}

TEST_F(PendingCrashReportsTest, WithoutADsnNothingIsSentAndTheReportStays) {
    LoopbackIngestionServer server;
    ASSERT_TRUE(server.started());
    const fs::path path = writeReport("20240501T120000Z.crash", testing::sampleReport().serialize());
    const auto summary = reports(std::nullopt).process();
    EXPECT_EQ(summary.kept, 1);
    EXPECT_EQ(posts, 0);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(PendingCrashReportsTest, OnlyTheNewestReportsAreKeptWhenNoneCanBeSent) {
    const std::string text = testing::sampleReport().serialize();
    const std::size_t written = PendingCrashReports::kMaxKeptReports + 3;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < written; ++i) {
        // One crash a minute, named as the handler names them.
        char name[32];
        std::snprintf(name, sizeof name, "20240501T%02zu%02zu00Z.crash", 10 + i / 60, i % 60);
        names.push_back(name);
        writeReport(name, text);
    }
    const auto summary = reports(std::nullopt).process();
    EXPECT_EQ(summary.dropped, 3);
    EXPECT_EQ(summary.kept, static_cast<int>(PendingCrashReports::kMaxKeptReports));
    EXPECT_EQ(filesInFolder(), std::vector<std::string>(names.begin() + 3, names.end()));
    // At the limit, nothing more goes.
    EXPECT_EQ(reports(std::nullopt).process().dropped, 0);
}

TEST_F(PendingCrashReportsTest, ReportsSetAsideCountTowardTheNewestKept) {
    const std::string text = testing::sampleReport().serialize();
    std::vector<std::string> names;
    // Set aside in each of the ways a report is, among the oldest and the newest.
    const char* asides[] = {".unreadable-20240502T000000Z", ".refused-20240502T000000Z",
                            ".partial.unreadable-20240502T000000Z"};
    const std::size_t written = PendingCrashReports::kMaxKeptReports + 4;
    for (std::size_t i = 0; i < written; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "20240501T%02zu%02zu00Z.crash%s", 10 + i / 60, i % 60,
                      i % 5 == 0 ? asides[(i / 5) % 3] : "");
        names.push_back(name);
        writeReport(name, text);
    }
    writeReport("notes.txt", "not a report");
    const auto summary = reports(std::nullopt).process();
    EXPECT_EQ(summary.dropped, 4);
    names.erase(names.begin(), names.begin() + 4);
    names.push_back("notes.txt");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(filesInFolder(), names);
}

TEST_F(PendingCrashReportsTest, SetsAsideAReportThatCannotBeReadAndSendsTheRest) {
    const std::string good = testing::sampleReport().serialize();
    writeReport("20240501T120000Z.crash", "garbage\n");
    writeReport("20240501T120001Z.crash", good.substr(0, good.size() / 2));  // cut short by a second fault
    writeReport("20240501T120002Z.crash", good);
    writeReport("notes.txt", "not a report at all");
    // A report its handler never finished, and one a crash is writing right now.
    const fs::path abandoned = writeReport("20240501T120003Z.crash.partial", good.substr(0, 40));
    fs::last_write_time(abandoned, fs::file_time_type::clock::now() - 2h);
    writeReport("20240501T120004Z.crash.partial", good.substr(0, 40));
    LoopbackIngestionServer server;
    ASSERT_TRUE(server.started());

    const auto summary = reports(dsnFor(server.port())).process();
    EXPECT_EQ(summary.setAside, 3);
    EXPECT_EQ(summary.sent, 1);
    EXPECT_EQ(server.requests().size(), 1u);

    const auto names = filesInFolder();
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0].rfind("20240501T120000Z.crash.unreadable-", 0), 0u) << names[0];
    EXPECT_EQ(names[1].rfind("20240501T120001Z.crash.unreadable-", 0), 0u) << names[1];
    EXPECT_EQ(names[2].rfind("20240501T120003Z.crash.partial.unreadable-", 0), 0u) << names[2];
    EXPECT_EQ(names[3], "20240501T120004Z.crash.partial");
    EXPECT_EQ(names[4], "notes.txt");
    EXPECT_EQ(readFile(folder / names[0]), "garbage\n");

    // What was set aside is not looked at again.
    EXPECT_EQ(reports(dsnFor(server.port())).process().setAside, 0);
}

TEST_F(PendingCrashReportsTest, APartialReportWhoseAgeCannotBeReadIsLeftForTheNextStart) {
    // A name whose time cannot be read, as for a report its handler renamed between the listing and the look at
    // its age.
    fs::create_directories(folder);
    fs::create_symlink(folder / "gone", folder / "20240501T120000Z.crash.partial");
    const auto summary = reports(std::nullopt).process();
    EXPECT_EQ(summary.setAside, 0);
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"20240501T120000Z.crash.partial"});
}

}  // namespace
}  // namespace clicktrove::crash
