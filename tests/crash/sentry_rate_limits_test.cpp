#include "crash/sentry_rate_limits.hpp"

#include "support/temp_home.hpp"

#include <gtest/gtest.h>

namespace clicktrove::crash {
namespace {

using namespace std::chrono_literals;
using Category = SentryRateLimits::Category;

const std::chrono::system_clock::time_point kNow{std::chrono::seconds(1714564800)};  // 2024-05-01T12:00:00Z

platform::HttpResponse answer(int status, std::vector<std::pair<std::string, std::string>> headers) {
    platform::HttpResponse response;
    response.status = status;
    response.headers = std::move(headers);
    return response;
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
        SentryRateLimits limits(file);
        limits.update(answer(429, {{"Retry-After", "120"}}), kNow);
    }
    const SentryRateLimits next(file);
    EXPECT_EQ(next.pausedUntil(Category::error, kNow + 60s), kNow + 120s);
    EXPECT_EQ(next.pausedUntil(Category::transaction, kNow + 60s), kNow + 120s);
    // With the clock set back by a year, the pause still ends within a day.
    EXPECT_EQ(next.pausedUntil(Category::error, kNow - 24h * 365), kNow - 24h * 365 + SentryRateLimits::kLongestPause);

    clicktrove::testing::writeFile(file, "error not-a-time\ntransaction\n");
    EXPECT_FALSE(SentryRateLimits(file).pausedUntil(Category::error, kNow));
}

}  // namespace
}  // namespace clicktrove::crash
