#include "analytics/signal_cache.hpp"
#include "analytics_harness.hpp"
#include "support/file_access.hpp"
#include "support/hostile_files.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <atomic>
#include <set>
#include <thread>

namespace clicktrove::analytics {
namespace {

using clicktrove::testing::LogRecorder;
using clicktrove::testing::readFile;
using clicktrove::testing::writeFile;

SignalPostBody body(const std::string& type, int second = 0) {
    SignalPostBody b;
    b.receivedAt = std::chrono::system_clock::time_point(std::chrono::seconds(1767225600 + second));
    b.appID = "APP";
    b.clientUser = std::string(64, 'a');
    b.sessionID = "0F0E0D0C-0000-4000-8000-000000000001";
    b.type = type;
    b.payload = {{"k", "v"}};
    b.isTestMode = "false";
    return b;
}

// Built with append: GCC 12 warns (-Wrestrict) on literal + to_string at -O3.
std::string numbered(const char* prefix, int i) {
    return std::string(prefix).append(std::to_string(i));
}

std::vector<std::string> types(const std::vector<SignalPostBody>& bodies) {
    std::vector<std::string> out;
    for (const auto& b : bodies) out.push_back(b.type);
    return out;
}

std::string withField(const std::string& element, const char* key, double value) {
    auto json = nlohmann::json::parse(element);
    json[key] = value;
    return json.dump();
}

class SignalCacheTest : public clicktrove::testing::TempHomeTest {
protected:
    std::size_t skipped = 0;
    std::filesystem::path file() const {
        return tempHome.cacheHome() / "com.tallywire.0123456789ab" / "telemetrysignalcache";
    }
    LogRecorder log;
};

TEST_F(SignalCacheTest, KeepsTheNewestSignalsWithinTheLimit) {
    struct Case {
        int limit;
        int pushed;
        std::vector<std::string> kept;
    };
    for (const Case& c : {Case{3, 5, {"s2", "s3", "s4"}}, Case{0, 2, {}}, Case{-5, 2, {}}}) {
        SCOPED_TRACE(c.limit);
        SignalCache cache(std::nullopt, c.limit, file());
        for (int i = 0; i < c.pushed; ++i) cache.push(body(numbered("s", i)));
        EXPECT_EQ(types(cache.pop()), c.kept);
    }
}

TEST_F(SignalCacheTest, PopsAtMostOneHundredOldestFirst) {
    SignalCache cache(std::nullopt, 10000, file());
    for (int i = 0; i < 250; ++i) cache.push(body(numbered("s", i)));
    const auto first = cache.pop();
    ASSERT_EQ(first.size(), 100u);
    EXPECT_EQ(first.front().type, "s0");
    EXPECT_EQ(first.back().type, "s99");
    EXPECT_EQ(cache.count(), 150u);

    SignalCache small(std::nullopt, 10000, file());
    for (int i = 0; i < 7; ++i) small.push(body("t"));
    EXPECT_EQ(small.pop().size(), 7u);
    EXPECT_EQ(small.count(), 0u);
    EXPECT_TRUE(small.pop().empty());
}

TEST_F(SignalCacheTest, AFailedBatchGoesBackBehindNewSignalsAndIsTrimmedFromTheFront) {
    SignalCache cache(std::nullopt, 102, file());
    for (int i = 0; i < 100; ++i) cache.push(body(numbered("old", i)));
    const auto batch = cache.popBatch();
    for (int i = 0; i < 5; ++i) cache.push(body(numbered("new", i)));
    cache.returnBatch(batch.token);
    ASSERT_EQ(cache.count(), 102u);
    const auto all = cache.pop();
    // 105 signals over a limit of 102: the three oldest in the list (new0..new2) go.
    EXPECT_EQ(all[0].type, "new3");
    EXPECT_EQ(all[1].type, "new4");
    EXPECT_EQ(all[2].type, "old0");
    // A batch reported twice is put back only once.
    cache.returnBatch(batch.token);
    EXPECT_EQ(cache.count(), 2u);
}

TEST_F(SignalCacheTest, TheFileHoldsWhatIsNotYetAcceptedAndBatchesInFlightAmongIt) {
    SignalCache cache(log.handler(), 3, file());
    EXPECT_TRUE(cache.write());
    EXPECT_FALSE(std::filesystem::exists(file()));
    for (int i = 0; i < 3; ++i) cache.push(body(numbered("s", i), i));
    const auto batch = cache.popBatch();
    cache.push(body("s3", 3));
    // The caches folder did not exist: it is made. Over the limit of 3, the oldest signal is left out of the file.
    ASSERT_TRUE(cache.write());
    EXPECT_EQ(types(*SignalCache::decodeFile(readFile(file()), skipped)), (std::vector<std::string>{"s1", "s2", "s3"}));
    cache.returnBatch(batch.token);
    ASSERT_TRUE(cache.write());
    EXPECT_EQ(types(*SignalCache::decodeFile(readFile(file()), skipped)), (std::vector<std::string>{"s0", "s1", "s2"}));
    // Accepted signals leave the file; with none left there is no file.
    const auto all = cache.popBatch();
    ASSERT_EQ(all.signals.size(), 3u);
    ASSERT_TRUE(cache.write());
    EXPECT_TRUE(std::filesystem::exists(file()));
    cache.finishBatch(all.token);
    ASSERT_TRUE(cache.write());
    EXPECT_FALSE(std::filesystem::exists(file()));
}

// Each write replaces the file with a new one.
ino_t inodeOf(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A service that is down fails every attempt: the batch going back must not cost a rewrite of a large file,
// unless the limit drops something then.
TEST_F(SignalCacheTest, AFailedBatchRewritesTheFileOnlyWhenTheLimitDropsASignal) {
    struct Case {
        int limit;
        int queued;
        int pushedDuringTheUpload;
        bool rewritten;
    };
    for (const Case& c :
         {Case{10000, 150, 0, false}, Case{10000, 150, 1, false}, Case{10000, 30, 0, false}, Case{150, 150, 1, true}}) {
        SCOPED_TRACE(std::to_string(c.limit) + " " + std::to_string(c.queued) + " " +
                     std::to_string(c.pushedDuringTheUpload));
        std::filesystem::remove(file());
        SignalCache cache(std::nullopt, c.limit, file());
        int next = 0;
        for (; next < c.queued; ++next) cache.push(body(numbered("s", next)));
        const auto batch = cache.popBatch();
        for (int i = 0; i < c.pushedDuringTheUpload; ++i, ++next) cache.push(body(numbered("s", next)));
        ASSERT_TRUE(cache.write());
        const ino_t before = inodeOf(file());
        cache.returnBatch(batch.token);
        ASSERT_TRUE(cache.write());
        EXPECT_EQ(inodeOf(file()) != before, c.rewritten);
        // Either way the file holds what the cache holds.
        std::multiset<std::string> held;
        for (auto popped = cache.pop(); !popped.empty(); popped = cache.pop()) {
            for (const auto& s : popped) held.insert(s.type);
        }
        const auto inFile = types(*SignalCache::decodeFile(readFile(file()), skipped));
        EXPECT_EQ(std::multiset<std::string>(inFile.begin(), inFile.end()), held);
    }
}

// A write is encoded and written outside the cache's lock, beside pushes, pops and outcomes: whatever changes
// while it is under way is in the next one, and the last write holds the last state.
TEST_F(SignalCacheTest, AWriteUnderWayMissesNothingThatChangesMeanwhile) {
    SignalCache cache(log.handler(), 10000, file());
    std::multiset<std::string> unaccepted;
    int next = 0;
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        std::atomic<bool> stop{false};
        std::atomic<int> writes{0};
        std::thread writer([&] {
            for (; !stop; ++writes) cache.write();
        });
        // Changes go on until a few writes have run beside them, so that the last one lands in a write.
        for (int i = 0; i < 50 || writes < 3; ++i) {
            const std::string type = numbered("s", next++);
            cache.push(body(type));
            unaccepted.insert(type);
            if (i % 10 != 9) continue;
            const auto batch = cache.popBatch();
            if (i % 20 == 9) {
                cache.returnBatch(batch.token);
                continue;
            }
            for (const auto& s : batch.signals) unaccepted.erase(unaccepted.find(s.type));
            cache.finishBatch(batch.token);
        }
        stop = true;
        writer.join();
        ASSERT_TRUE(cache.write());
        // No file when nothing is left.
        const auto inFile = std::filesystem::exists(file()) ? types(*SignalCache::decodeFile(readFile(file()), skipped))
                                                            : std::vector<std::string>{};
        EXPECT_EQ(std::multiset<std::string>(inFile.begin(), inFile.end()), unaccepted);
    }
}

TEST_F(SignalCacheTest, SaveWritesInFlightAndCachedSignalsThatTheNextCacheSendsAndKeepsUntilAccepted) {
    {
        SignalCache cache(log.handler(), 10000, file());
        cache.push(body("inflight", 1));
        const auto batch = cache.popBatch();
        ASSERT_EQ(batch.signals.size(), 1u);
        cache.push(body("cached", 2));
        ASSERT_TRUE(cache.save());
        EXPECT_EQ(cache.count(), 0u);
        EXPECT_EQ(log.count("Saved Telemetry cache " + std::to_string(readFile(file()).size()) + " bytes of 2 signals"),
                  1);
        // A late failure of the saved batch must not put it back: it is in the file already. Nor does a signal
        // of the rest of the process go there.
        cache.returnBatch(batch.token);
        EXPECT_EQ(cache.count(), 0u);
        cache.push(body("after the save", 3));
        EXPECT_TRUE(cache.write());
    }
    const auto json = nlohmann::json::parse(readFile(file()));
    ASSERT_TRUE(json.is_array());
    ASSERT_EQ(json.size(), 2u);
    // On disk the date is seconds since 2001-01-01 (2026-01-01T00:00:01Z here).
    EXPECT_DOUBLE_EQ(json[0]["receivedAt"].get<double>(), 788918401.0);
    EXPECT_FALSE(json[0].contains("floatValue"));

    {
        SignalCache next(log.handler(), 10000, file());
        EXPECT_EQ(log.count("Loaded 2 signals"), 1);
        const auto loaded = next.popBatch();
        ASSERT_EQ(loaded.signals.size(), 2u);
        EXPECT_EQ(loaded.signals[0], body("inflight", 1));
        EXPECT_EQ(loaded.signals[1], body("cached", 2));
        // Until the service has them, they stay where a kill cannot take them.
        ASSERT_TRUE(next.write());
        EXPECT_EQ(SignalCache::decodeFile(readFile(file()), skipped)->size(), 2u);
        next.finishBatch(loaded.token);
    }
    // Accepted and written when the cache went: nothing is sent twice.
    SignalCache third(std::nullopt, 10000, file());
    EXPECT_EQ(third.count(), 0u);
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(SignalCacheTest, ACorruptFileIsDeletedAndOneBadElementLosesNothingElse) {
    struct Case {
        const char* name;
        std::string contents;
        std::size_t kept;
        bool loadedMessage;
    };
    const std::string good = body("good").toCacheJson().dump();
    for (const Case& c :
         {Case{"not JSON", "[{\"receivedAt\": 12, \"app", 0, false}, Case{"not an array", "{\"a\": 1}", 0, false},
          Case{"one bad element", "[" + good + ", {\"type\": 5}, " + good + "]", 2, true},
          Case{"missing key", "[{\"receivedAt\": 1.5, \"appID\": \"A\"}]", 0, true},
          Case{"date beyond the clock", "[" + withField(good, "receivedAt", 1e300) + ", " + good + "]", 1, true}}) {
        SCOPED_TRACE(c.name);
        log.clear();
        writeFile(file(), c.contents);
        SignalCache cache(log.handler(), 10000, file());
        // What does not decode goes, the good elements are written back alone.
        if (c.kept == 0) {
            EXPECT_FALSE(std::filesystem::exists(file()));
        } else {
            EXPECT_EQ(SignalCache::decodeFile(readFile(file()), skipped)->size(), c.kept);
            EXPECT_EQ(skipped, 0u);
        }
        EXPECT_EQ(cache.count(), c.kept);
        EXPECT_EQ(log.count("Loading Telemetry cache from: file://" + file().string()), 1);
        EXPECT_EQ(log.count("Loaded " + std::to_string(c.kept) + " signals"), c.loadedMessage ? 1 : 0);
    }
}

TEST_F(SignalCacheTest, WhatIsNoCacheFileIsKeptAsideUnreadAndTheSaveWritesAFreshOne) {
    namespace fs = std::filesystem;
    using clicktrove::testing::fingerprint;
    for (const auto& row : clicktrove::testing::hostileFiles()) {
        // Undecodable text is the cache's own file gone bad, deleted as ever; the rest are not cache files.
        if (row.outcome != clicktrove::testing::HostileFile::Outcome::keptAside ||
            row.name == std::string("truncated JSON")) {
            continue;
        }
        SCOPED_TRACE(row.name);
        fs::remove_all(file().parent_path());
        fs::create_directories(file().parent_path());
        row.plant(file(), tempHome.root() / "elsewhere");
        const std::string before = fingerprint(file());
        log.clear();
        SignalCache cache(log.handler(), 10000, file());
        EXPECT_EQ(cache.count(), 0u);
        const auto errors = log.at(LogHandler::LogLevel::error);
        ASSERT_EQ(errors.size(), 1u);
        // It says why.
        EXPECT_NE(errors[0].substr(errors[0].size() - 2), ": ") << errors[0];
        std::vector<fs::path> kept;
        for (const auto& e : fs::directory_iterator(file().parent_path())) {
            if (e.path().filename().string().rfind("telemetrysignalcache.unreadable-", 0) == 0)
                kept.push_back(e.path());
        }
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(fingerprint(kept[0]), before);
        cache.push(body("new"));
        ASSERT_TRUE(cache.save());
        EXPECT_EQ(types(SignalCache(std::nullopt, 10000, file()).pop()), std::vector<std::string>{"new"});
    }
    EXPECT_EQ(fingerprint("/dev/zero"), "character device");
}

TEST_F(SignalCacheTest, OneCacheAtATimeHoldsTheFileAndTheNextTakesItOverWhenItIsLetGo) {
    // Two clients of one application (two processes of one user, or a client replaced while the old one lives
    // on): a file both sent from would be sent twice.
    writeFile(file(), "[" + body("left", 1).toCacheJson().dump() + "]");
    SignalCache first(std::nullopt, 3, file());
    SignalCache second(log.handler(), 3, file());
    EXPECT_TRUE(first.ownsFile());
    EXPECT_FALSE(second.ownsFile());
    EXPECT_EQ(first.count(), 1u);
    EXPECT_EQ(second.count(), 0u);
    EXPECT_EQ(
        log.count("Telemetry cache " + file().string() + " is in use by another client: its signals are left to it"),
        1);
    second.push(body("c", 3));
    second.push(body("d", 4));
    EXPECT_TRUE(second.write());
    first.push(body("b", 2));
    ASSERT_TRUE(first.write());
    EXPECT_EQ(types(*SignalCache::decodeFile(readFile(file()), skipped)), (std::vector<std::string>{"left", "b"}));

    ASSERT_TRUE(first.save());
    // Let go: the next write takes the file over, its signals in front of the newer own ones, within the limit.
    ASSERT_TRUE(second.write());
    EXPECT_TRUE(second.ownsFile());
    EXPECT_EQ(types(*SignalCache::decodeFile(readFile(file()), skipped)), (std::vector<std::string>{"b", "c", "d"}));
    EXPECT_EQ(types(second.pop()), (std::vector<std::string>{"b", "c", "d"}));
}

TEST_F(SignalCacheTest, AtTerminationAClientWhoseFileIsHeldElsewhereSaysWhatItLoses) {
    SignalCache first(std::nullopt, 10000, file());
    SignalCache second(log.handler(), 10000, file());
    second.push(body("a"));
    second.push(body("b"));
    EXPECT_FALSE(second.save());
    EXPECT_EQ(
        log.count("Telemetry cache " + file().string() + " is in use by another client: 2 unsent signals are not kept"),
        1);
    EXPECT_FALSE(std::filesystem::exists(file()));
}

// A file the cache can neither replace nor remove (a folder without write permission) would be sent again at
// every start, and accepted again each time.
TEST_F(SignalCacheTest, AFileThatCannotBeReplacedIsNeitherSentNorTouched) {
    namespace fs = std::filesystem;
    writeFile(file(), "[" + body("old", 1).toCacheJson().dump() + "]");
    const std::string before = readFile(file());
    clicktrove::testing::openToOthers(file(), tempHome.root(), 04);
    clicktrove::testing::openToOthers(file().parent_path(), tempHome.root(), 05);
    fs::permissions(file().parent_path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    {
        const clicktrove::testing::ScopedUnprivilegedFileAccess unprivileged;
        for (int start = 0; start < 2; ++start) {
            SCOPED_TRACE(start);
            log.clear();
            SignalCache cache(log.handler(), 10000, file());
            EXPECT_EQ(cache.count(), 0u);
            cache.push(body("new"));
            EXPECT_FALSE(cache.write());
            EXPECT_FALSE(cache.save());
            // Said once, at loading.
            const auto errors = log.at(LogHandler::LogLevel::error);
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0], "Telemetry cache " + file().string() +
                                     " cannot be replaced or removed: its 1 signals are not sent, so that no start "
                                     "sends them again");
            EXPECT_EQ(log.count("Loaded 1 signals"), 0);
        }
    }
    fs::permissions(file().parent_path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(readFile(file()), before);
}

TEST_F(SignalCacheTest, AFailedSaveKeepsTheSignals) {
    // A file where the folder should be makes the folder impossible to create.
    writeFile(file().parent_path(), "in the way");
    SignalCache cache(log.handler(), 10000, file());
    cache.push(body("kept"));
    EXPECT_FALSE(cache.write());
    cache.push(body("kept too"));
    EXPECT_FALSE(cache.save());
    EXPECT_EQ(cache.count(), 2u);
    // The file is written at every change and fails the same way each time: said once.
    EXPECT_EQ(log.count("Error saving Telemetry cache"), 1);
}

}  // namespace
}  // namespace clicktrove::analytics
