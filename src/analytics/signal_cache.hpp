#pragma once

#include "analytics/log_handler.hpp"
#include "analytics/signal_post_body.hpp"
#include "platform/data_file.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string_view>
#include <vector>

namespace clicktrove::analytics {

// The signals processed but not yet accepted by the service: a bounded first-in, first-out list that is kept in
// one file while the program runs, so that a quit or a kill loses at most what changed since the last write.
// Batches handed out for upload stay in the file until their outcome is reported.
//
// The file belongs to one cache at a time, the one holding a lock on its folder: only the owner loads it, sends
// what it holds and writes it. Another cache of the same application (a second client in this process, or a
// second process of the same user) leaves it alone until the owner lets it go, then takes it over. Thread safe.
class SignalCache {
public:
    static constexpr std::size_t maximumNumberOfSignalsToPopAtOnce = 100;
    static constexpr const char* fileName = "telemetrysignalcache";

    struct Batch {
        std::uint64_t token = 0;
        std::vector<SignalPostBody> signals;
    };

    // Takes the file when no other cache holds it, and loads it. A negative limit counts as 0.
    SignalCache(std::optional<LogHandler> logHandler, int cacheLimit, std::filesystem::path cacheFile);
    // Writes what changed since the last write, then lets the file go.
    ~SignalCache();
    SignalCache(const SignalCache&) = delete;
    SignalCache& operator=(const SignalCache&) = delete;

    void push(SignalPostBody signal);
    void push(std::vector<SignalPostBody> signals);
    // Removes and returns the oldest signals, at most maximumNumberOfSignalsToPopAtOnce.
    std::vector<SignalPostBody> pop();
    std::size_t count() const;

    // pop(), remembering the batch as in flight until finishBatch or returnBatch.
    Batch popBatch();
    // The batch was accepted or dropped for good.
    void finishBatch(std::uint64_t token);
    // The batch failed: it goes back behind the signals that arrived meanwhile.
    void returnBatch(std::uint64_t token);
    // Waits until no batch is in flight any more, or the timeout has passed. True when none is.
    bool waitForBatchesInFlight(std::chrono::milliseconds timeout);

    // Brings the file up to date when anything changed since the last write, taking it over first when its
    // owner has let it go: every signal not yet accepted (batches in flight first), the oldest beyond the limit
    // left out, written atomically; no file at all when nothing is left. False when it could not be written
    // (logged once, until a write succeeds again). The signals are encoded and written outside the cache's
    // lock, so the cache stays usable meanwhile; writes land in the order they were called.
    bool write();
    // At termination: writes the file, empties the list and lets the file go, so that the signals of the rest
    // of the process stay in memory. Returns false (keeping the list) when the file cannot be written.
    bool save();
    // Whether this cache holds the file (and so sends what it held).
    bool ownsFile() const;
    // Whether another cache held the file when this one last looked.
    bool waitsForFile() const;

    const std::filesystem::path& fileURL() const { return file_; }

    // The good elements of a cache file's text (nothing when it is no JSON array within the nesting limit);
    // skipped counts the bad ones.
    static std::optional<std::vector<SignalPostBody>> decodeFile(std::string_view bytes, std::size_t& skipped);

private:
    enum class Ownership {
        owning,     // the file is this cache's: it is read, sent and written
        waiting,    // another cache holds it: left alone until it is let go
        leftAlone,  // it could not be rewritten at loading: neither sent nor touched for the life of this cache
        released,   // saved at termination: nothing more is written
    };

    // One stored signal: shared, so that a write can take every signal under the lock without copying them.
    using Stored = std::shared_ptr<const SignalPostBody>;

    bool tryLockFolder();
    void unlockFolder();
    void loadLocked();
    // Every signal not yet accepted, as the file lists them: batches in flight first, then the list, the
    // oldest beyond the limit left out.
    std::vector<Stored> unacceptedLocked() const;
    // Makes the file hold these signals: no file when there are none (a link in its place stays, its target
    // then holding an empty list). Under fileMutex_ only, so that the cache stays usable meanwhile.
    bool writeSignals(const std::vector<Stored>& signals);
    bool writeBytes(std::string_view bytes, std::size_t signals);
    // writeSignals of what is unaccepted now, holding both locks.
    bool writeLocked();
    void reportWriteProblemLocked(const std::string& message);
    void trimLocked();

    const std::optional<LogHandler> logHandler_;
    const std::size_t cacheLimit_;
    const std::filesystem::path file_;

    // Taken before mutex_ by everything that touches the file, so that writes land in the order of their
    // snapshots. Guards dataFile_, folderLock_ and the written figures.
    std::mutex fileMutex_;
    platform::DataFile dataFile_;
    // The folder's descriptor while this cache holds its lock.
    int folderLock_ = -1;
    std::size_t writtenBytes_ = 0;
    std::size_t writtenSignals_ = 0;

    mutable std::shared_mutex mutex_;
    std::condition_variable_any batchSettled_;
    std::deque<Stored> cachedSignals_;
    std::map<std::uint64_t, std::vector<Stored>> inFlight_;
    std::uint64_t nextToken_ = 1;
    // Changed under both locks, read under either.
    Ownership ownership_ = Ownership::owning;
    // What the file holds differs from the list and the batches in flight.
    bool changed_ = false;
    bool writeProblemReported_ = false;
};

}  // namespace clicktrove::analytics
