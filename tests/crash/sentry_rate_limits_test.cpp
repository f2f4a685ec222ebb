#include "crash/sentry_rate_limits.hpp"

#include "support/temp_home.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace clicktrove::crash {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using clicktrove::testing::writeFile;
using Category = SentryRateLimits::Category;
using std::chrono::system_clock;

const system_clock::time_point kNow{std::chrono::seconds(1714564800)};  // 2024-05-01T12:00:00Z
constexpr auto kYear = 24h * 365;

platform::HttpResponse answer(int status, std::vector<std::pair<std::string, std::string>> headers) {
    platform::HttpResponse response;
    response.status = status;
    response.headers = std::move(headers);
    return response;
}

// A line of the file the pauses are kept in.
std::string fileLine(const char* category, system_clock::time_point until) {
    return std::string(category) + ' ' +
           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(until.time_since_epoch()).count()) + '\n';
}

// How long each category is paused for after one answer; 0 for none.
std::pair<std::chrono::seconds, std::chrono::seconds> pauses(const SentryRateLimits& limits) {
    const auto length = [&](Category category) {
        const auto until = limits.pausedUntil(category, kNow);
        return until ? std::chrono::ceil<std::chrono::seconds>(*until - kNow) : 0s;
    };
    return {length(Category::error), length(Category::transaction)};
}

TEST(SentryRateLimits, PausesTheCategoriesAnAnswerNames) {
    struct Case {
        int status;
        const char* header;
        const char* value;
        std::chrono::seconds error;
        std::chrono::seconds transaction;
    };
    for (const Case& c : {
             Case{200, "X-Sentry-Rate-Limits", "60:transaction:key, 2700:default;error;security:organization", 2700s,
                  60s},
             Case{429, "x-sentry-rate-limits", "60::organization, 2700::organization", 2700s, 2700s},
             // Fractions round up, unknown categories and later fields are ignored, spaces too.
             Case{200, "X-Sentry-Rate-Limits", " 1.2 : error : key : quota : more ", 2s, 0s},
             Case{200, "X-Sentry-Rate-Limits", "10:attachment;session:key", 0s, 0s},
             // The header speaks for itself; Retry-After counts only on a 429 without it.
             Case{429, "X-Sentry-Rate-Limits", "10:transaction:key", 0s, 10s},
             Case{429, "Retry-After", "120", 120s, 120s},
             Case{429, "Retry-After", "Wed, 01 May 2024 12:05:00 GMT", 300s, 300s},
             Case{429, "Retry-After", "Fri, 31 Dec 9999 23:59:59 GMT", SentryRateLimits::kLongestPause,
                  SentryRateLimits::kLongestPause},
             Case{429, "Retry-After", "soon", SentryRateLimits::kDefaultPause, SentryRateLimits::kDefaultPause},
             Case{503, "Retry-After", "120", 0s, 0s},
             Case{200, "X-Sentry-Rate-Limits", "garbage, -5:error:key, :error:key", 0s, 0s},
             // No pause is longer than a day, whatever the service says.
             Case{200, "X-Sentry-Rate-Limits", "999999999:error:key", SentryRateLimits::kLongestPause, 0s},
         }) {
        SCOPED_TRACE(std::string(c.header) + ": " + c.value);
        SentryRateLimits limits;
        limits.update(answer(c.status, {{"Content-Type", "application/json"}, {c.header, c.value}}), kNow);
        EXPECT_EQ(pauses(limits), std::make_pair(c.error, c.transaction));
    }
}

TEST(SentryRateLimits, APauseEndsOnTimeAndALongerOneIsNotCutShort) {
    SentryRateLimits limits;
    limits.update(answer(200, {{"X-Sentry-Rate-Limits", "600:error:key"}}), kNow);
    limits.update(answer(200, {{"X-Sentry-Rate-Limits", "60:error:key"}}), kNow);
    EXPECT_EQ(limits.pausedUntil(Category::error, kNow), kNow + 600s);
    EXPECT_TRUE(limits.pausedUntil(Category::error, kNow + 599s));
    EXPECT_FALSE(limits.pausedUntil(Category::error, kNow + 600s));
}

TEST(SentryRateLimits, TheNextStartKeepsToThePausesOfTheLast) {
    clicktrove::testing::TempHome home;
    const auto file = home.root() / "rate-limits";
    {
        SentryRateLimits limits(file, kNow);
        limits.update(answer(429, {{"Retry-After", "120"}}), kNow);
    }
    const SentryRateLimits next(file, kNow + 60s);
    EXPECT_EQ(next.pausedUntil(Category::error, kNow + 60s), kNow + 120s);
    EXPECT_EQ(next.pausedUntil(Category::transaction, kNow + 60s), kNow + 120s);
    // With the clock set back by a year, the pause still ends within a day.
    EXPECT_EQ(next.pausedUntil(Category::error, kNow - kYear), kNow - kYear + SentryRateLimits::kLongestPause);
}

TEST(SentryRateLimits, APauseFromAClockThatWasAheadEndsADayAfterTheFirstStartThatSeesIt) {
    struct Case {
        const char* name;
        // Leaves pauses a year ahead in file; returns the limits of the run that first sees them, at kNow.
        std::function<std::unique_ptr<SentryRateLimits>(const fs::path& file)> firstStart;
    };
    for (const Case& c : {
             Case{"left in the file",
                  [](const fs::path& file) {
                      writeFile(file, fileLine("error", kNow + kYear) + fileLine("transaction", kNow + kYear));
                      return std::make_unique<SentryRateLimits>(file, kNow);
                  }},
             Case{"taken while the clock ran a year ahead, then corrected",
                  [](const fs::path& file) {
                      auto limits = std::make_unique<SentryRateLimits>(file, kNow + kYear);
                      limits->update(answer(429, {{"Retry-After", "3600"}}), kNow + kYear);
                      limits->update(answer(200, {}), kNow);
                      return limits;
                  }},
         }) {
        SCOPED_TRACE(c.name);
        clicktrove::testing::TempHome home;
        const auto file = home.root() / "rate-limits";
        const auto first = c.firstStart(file);
        // The next start, within that day, keeps to the same end rather than counting a day anew.
        const SentryRateLimits next(file, kNow + 12h);
        for (const Category category : {Category::error, Category::transaction}) {
            EXPECT_EQ(first->pausedUntil(category, kNow), kNow + SentryRateLimits::kLongestPause);
            EXPECT_EQ(next.pausedUntil(category, kNow + 12h), kNow + SentryRateLimits::kLongestPause);
            EXPECT_FALSE(next.pausedUntil(category, kNow + SentryRateLimits::kLongestPause));
        }
    }
}

TEST(SentryRateLimits, ATimeInTheFileThatDoesNotFitTheClockIsIgnored) {
    clicktrove::testing::TempHome home;
    const auto file = home.root() / "rate-limits";
    const std::string valid = fileLine("transaction", kNow + 60s);
    for (const char* line : {
             "error 1e30",
             "error 9223372036854775807",
             "error -9223372036854775808",
             "error 99999999999999999999",
             "error 9223372037",  // the first second past the end of a nanosecond clock
             "error -1",
             "error not-a-time",
             "error",
         }) {
        SCOPED_TRACE(line);
        writeFile(file, std::string(line) + '\n' + valid);
        const SentryRateLimits limits(file, kNow);
        EXPECT_FALSE(limits.pausedUntil(Category::error, kNow));
        // The lines around it still count.
        EXPECT_EQ(limits.pausedUntil(Category::transaction, kNow), kNow + 60s);
    }
    // The last second that fits is a time like any other, a long way ahead.
    writeFile(file, "error 9223372036\n");
    EXPECT_EQ(SentryRateLimits(file, kNow).pausedUntil(Category::error, kNow), kNow + SentryRateLimits::kLongestPause);
}

TEST(SentryRateLimits, APauseTakenAtTheEndOfTheClocksRangeDoesNotWrapIntoThePast) {
    const auto late = system_clock::time_point::max() - 1h;
    SentryRateLimits limits;
    limits.update(answer(200, {{"X-Sentry-Rate-Limits", "60:error:key, 999999999:transaction:key"}}), late);
    EXPECT_EQ(limits.pausedUntil(Category::error, late), late + 60s);
    EXPECT_EQ(limits.pausedUntil(Category::transaction, late), system_clock::time_point::max());
}

}  // namespace
}  // namespace clicktrove::crash
