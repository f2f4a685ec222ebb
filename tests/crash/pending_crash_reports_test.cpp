#include "crash/pending_crash_reports.hpp"

#include "crash/crash_report.hpp"
#include "platform/curl_http_transport.hpp"
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

class PendingCrashReportsTest : public clicktrove::testing::TempHomeTest {
protected:
    // Sends through libcurl as the program does, and counts what it was asked to send.
    PendingCrashReports reports(const std::optional<std::string>& dsn) {
        return PendingCrashReports(
            folder, dsn ? SentryDsn::parse(*dsn) : std::nullopt, [this](platform::HttpRequest request) {
                ++posts;
                auto answer = std::make_shared<std::promise<platform::HttpResponse>>();
                auto future = answer->get_future();
                transport.send(std::move(request),
                               [answer](platform::HttpResponse r) { answer->set_value(std::move(r)); });
                return future.get();
            });
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

        const auto firstLine = request.body.find('\n');
        const auto secondLine = request.body.find('\n', firstLine + 1);
        const auto headers = nlohmann::json::parse(request.body.substr(0, firstLine));
        const auto item = nlohmann::json::parse(request.body.substr(firstLine + 1, secondLine - firstLine - 1));
        const auto event =
            nlohmann::json::parse(request.body.substr(secondLine + 1, item["length"].get<std::size_t>()));
        EXPECT_EQ(item["type"], "event");
        EXPECT_EQ(headers["event_id"], event["event_id"]);
        EXPECT_EQ(headers["dsn"], dsnFor(server.port()));
        EXPECT_EQ(event["exception"]["values"][0]["type"], "SIGSEGV");
    }
    EXPECT_NE(nlohmann::json::parse(requests[0].body.substr(0, requests[0].body.find('\n')))["event_id"],
              nlohmann::json::parse(requests[1].body.substr(0, requests[1].body.find('\n')))["event_id"]);
}

TEST_F(PendingCrashReportsTest, KeepsTheReportWhenTheServiceFailsOrCannotBeReached) {
    LoopbackIngestionServer failing({500, 429});
    ASSERT_TRUE(failing.started());
    const clicktrove::testing::RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    for (const std::string& dsn : {dsnFor(failing.port()), dsnFor(failing.port()), dsnFor(refusing.port())}) {
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

}  // namespace
}  // namespace clicktrove::crash
