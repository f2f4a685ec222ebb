#include "analytics/signal_cache.hpp"

#include "platform/bounded_json.hpp"

#include <mutex>
#include <system_error>

namespace clicktrove::analytics {

using Level = LogHandler::LogLevel;

SignalCache::SignalCache(std::optional<LogHandler> logHandler, int cacheLimit, std::filesystem::path cacheFile)
    : logHandler_(std::move(logHandler)),
      cacheLimit_(cacheLimit < 0 ? 0 : static_cast<std::size_t>(cacheLimit)),
      file_(std::move(cacheFile)),
      dataFile_(file_) {
    std::unique_lock lock(mutex_);
    load();
}

void SignalCache::load() {
    if (file_.empty()) {
        logTo(logHandler_, Level::error, "Failed to get disk cache url from FileManager.");
        return;
    }
    logTo(logHandler_, Level::info, "Loading Telemetry cache from: file://" + file_.string());
    const auto read = dataFile_.read();
    if (read.status == platform::FileRead::Status::missing) return;
    const auto beyondLimits = read.ok() ? platform::jsonLimitProblem(read.contents) : std::nullopt;
    if (!read.ok() || beyondLimits) {
        // Not a file this cache wrote (a FIFO, a device, something huge or absurdly deep): moved aside rather
        // than read or deleted, so that what stands there is neither waited on nor destroyed.
        const auto kept = dataFile_.keepAside(std::chrono::system_clock::now(), beyondLimits.value_or(read.reason));
        logTo(logHandler_, Level::error, "Unreadable Telemetry cache " + file_.string() + ": " + kept.reason);
        return;
    }

    // Decode before deleting, so a crash in between loses nothing; the file goes even when it does not decode,
    // since it would fail the same way at every start.
    std::size_t skipped = 0;
    auto loaded = decodeFile(read.contents, skipped);
    std::error_code ec;
    std::filesystem::remove(file_, ec);
    if (!loaded) return;
    if (skipped > 0) {
        logTo(logHandler_, Level::error, "Skipped " + std::to_string(skipped) + " unreadable cached signal(s)");
    }
    logTo(logHandler_, Level::info, "Loaded " + std::to_string(loaded->size()) + " signals");
    for (auto& body : *loaded) cachedSignals_.push_back(std::move(body));
    trimLocked();
}

void SignalCache::trimLocked() {
    while (cachedSignals_.size() > cacheLimit_) cachedSignals_.pop_front();
}

void SignalCache::push(SignalPostBody signal) {
    std::unique_lock lock(mutex_);
    cachedSignals_.push_back(std::move(signal));
    trimLocked();
}

void SignalCache::push(std::vector<SignalPostBody> signals) {
    std::unique_lock lock(mutex_);
    for (auto& s : signals) cachedSignals_.push_back(std::move(s));
    trimLocked();
}

std::vector<SignalPostBody> SignalCache::pop() {
    std::unique_lock lock(mutex_);
    const std::size_t n = std::min(cachedSignals_.size(), maximumNumberOfSignalsToPopAtOnce);
    std::vector<SignalPostBody> batch(std::make_move_iterator(cachedSignals_.begin()),
                                      std::make_move_iterator(cachedSignals_.begin() + static_cast<long>(n)));
    cachedSignals_.erase(cachedSignals_.begin(), cachedSignals_.begin() + static_cast<long>(n));
    return batch;
}

std::size_t SignalCache::count() const {
    std::shared_lock lock(mutex_);
    return cachedSignals_.size();
}

SignalCache::Batch SignalCache::popBatch() {
    auto signals = pop();
    std::unique_lock lock(mutex_);
    Batch batch{nextToken_++, std::move(signals)};
    if (!batch.signals.empty()) inFlight_[batch.token] = batch.signals;
    return batch;
}

void SignalCache::finishBatch(std::uint64_t token) {
    std::unique_lock lock(mutex_);
    inFlight_.erase(token);
    batchSettled_.notify_all();
}

void SignalCache::returnBatch(std::uint64_t token) {
    std::unique_lock lock(mutex_);
    const auto it = inFlight_.find(token);
    if (it == inFlight_.end()) return;
    for (auto& s : it->second) cachedSignals_.push_back(std::move(s));
    inFlight_.erase(it);
    trimLocked();
    batchSettled_.notify_all();
}

bool SignalCache::waitForBatchesInFlight(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return batchSettled_.wait_for(lock, timeout, [this] { return inFlight_.empty(); });
}

std::optional<std::vector<SignalPostBody>> SignalCache::decodeFile(std::string_view bytes, std::size_t& skipped) {
    skipped = 0;
    const auto json = platform::parseBoundedJson(bytes);
    if (!json || !json->is_array()) return std::nullopt;
    std::vector<SignalPostBody> decoded;
    for (const auto& element : *json) {
        if (auto body = SignalPostBody::fromCacheJson(element)) {
            decoded.push_back(std::move(*body));
        } else {
            ++skipped;
        }
    }
    return decoded;
}

bool SignalCache::save() {
    std::unique_lock lock(mutex_);
    if (file_.empty()) {
        logTo(logHandler_, Level::error, "Error saving Telemetry cache");
        return false;
    }
    // A file already there was saved since this cache loaded (an earlier save, or another process of the same
    // application that ended meanwhile) and nobody has read it yet: replacing it would lose its signals.
    std::vector<SignalPostBody> earlier;
    if (const auto existing = dataFile_.read(); existing.ok()) {
        std::size_t skipped = 0;
        earlier = decodeFile(existing.contents, skipped).value_or(std::vector<SignalPostBody>{});
    } else if (existing.status == platform::FileRead::Status::unreadable) {
        dataFile_.keepAside(std::chrono::system_clock::now(), existing.reason);
    }
    std::vector<const SignalPostBody*> all;
    for (const auto& s : earlier) all.push_back(&s);
    // Batches in flight are older than anything still listed.
    for (const auto& [token, signals] : inFlight_) {
        for (const auto& s : signals) all.push_back(&s);
    }
    for (const auto& s : cachedSignals_) all.push_back(&s);
    const std::size_t first = all.size() > cacheLimit_ ? all.size() - cacheLimit_ : 0;
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (std::size_t i = first; i < all.size(); ++i) array.push_back(all[i]->toCacheJson());
    const std::string bytes = array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);

    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    if (!dataFile_.replace(bytes)) {
        logTo(logHandler_, Level::error, "Error saving Telemetry cache");
        return false;
    }
    logTo(logHandler_, Level::info,
          "Saved Telemetry cache " + std::to_string(bytes.size()) + " bytes of " + std::to_string(array.size()) +
              " signals");
    cachedSignals_.clear();
    // The saved batches are the file's now: a late failure must not also put them back in memory.
    inFlight_.clear();
    return true;
}

}  // namespace clicktrove::analytics
