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
#include <optional>
#include <shared_mutex>
#include <vector>

namespace clicktrove::analytics {

// The signals processed but not yet accepted by the service: a bounded first-in, first-out list that survives
// restarts through one file, written at termination and read back (then deleted) when the next cache is made.
// Batches handed out for upload stay known to the cache until their outcome is reported, so a termination in
// the middle of an upload still saves them. Thread safe.
class SignalCache {
public:
    static constexpr std::size_t maximumNumberOfSignalsToPopAtOnce = 100;
    static constexpr const char* fileName = "telemetrysignalcache";

    struct Batch {
        std::uint64_t token = 0;
        std::vector<SignalPostBody> signals;
    };

    // Loads (and deletes) the file at cacheFile. A negative limit counts as 0.
    SignalCache(std::optional<LogHandler> logHandler, int cacheLimit, std::filesystem::path cacheFile);

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

    // Writes the batches in flight and the list to the file, atomically, behind the signals of a file saved
    // there since this cache loaded, then empties the list. Returns false (keeping the list) when the file
    // cannot be written.
    bool save();

    const std::filesystem::path& fileURL() const { return file_; }

    // The good elements of a cache file's text (nothing when it is no JSON array within the nesting limit);
    // skipped counts the bad ones.
    static std::optional<std::vector<SignalPostBody>> decodeFile(std::string_view bytes, std::size_t& skipped);

private:
    void load();
    void trimLocked();

    const std::optional<LogHandler> logHandler_;
    const std::size_t cacheLimit_;
    const std::filesystem::path file_;
    // Under mutex_.
    platform::DataFile dataFile_;

    mutable std::shared_mutex mutex_;
    std::condition_variable_any batchSettled_;
    std::deque<SignalPostBody> cachedSignals_;
    std::map<std::uint64_t, std::vector<SignalPostBody>> inFlight_;
    std::uint64_t nextToken_ = 1;
};

}  // namespace clicktrove::analytics
