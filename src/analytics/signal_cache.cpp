#include "analytics/signal_cache.hpp"

#include "platform/bounded_json.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <system_error>

namespace clicktrove::analytics {

using Level = LogHandler::LogLevel;
namespace fs = std::filesystem;

SignalCache::SignalCache(std::optional<LogHandler> logHandler, int cacheLimit, std::filesystem::path cacheFile)
    : logHandler_(std::move(logHandler)),
      cacheLimit_(cacheLimit < 0 ? 0 : static_cast<std::size_t>(cacheLimit)),
      file_(std::move(cacheFile)),
      dataFile_(file_) {
    std::lock_guard file(fileMutex_);
    std::unique_lock lock(mutex_);
    if (!tryLockFolder()) {
        ownership_ = Ownership::waiting;
        logTo(logHandler_, Level::info,
              "Telemetry cache " + file_.string() + " is in use by another client: its signals are left to it");
        return;
    }
    loadLocked();
}

SignalCache::~SignalCache() {
    std::lock_guard file(fileMutex_);
    std::unique_lock lock(mutex_);
    if (ownership_ == Ownership::owning && changed_ && !writeLocked()) {
        reportWriteProblemLocked("Error saving Telemetry cache");
    }
    unlockFolder();
}

bool SignalCache::tryLockFolder() {
    // Without a folder to lock there is no file another cache could share either.
    if (file_.empty()) return true;
    std::error_code ec;
    fs::create_directories(file_.parent_path(), ec);
    const int fd = ::open(file_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    // The folder, not the file: each write renames a new file into place, which would leave a lock on the file
    // behind on the old one.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        folderLock_ = fd;
        return true;
    }
    const int error = errno;
    ::close(fd);
    // A file system without locks (some network mounts) cannot tell owners apart: the file is taken.
    return error != EWOULDBLOCK;
}

void SignalCache::unlockFolder() {
    if (folderLock_ < 0) return;
    ::close(folderLock_);
    folderLock_ = -1;
}

void SignalCache::loadLocked() {
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

    std::size_t skipped = 0;
    auto loaded = decodeFile(read.contents, skipped);
    if (!loaded) {
        // It would fail the same way at every start.
        std::error_code ec;
        fs::remove(file_, ec);
        if (ec) {
            reportWriteProblemLocked("Undecodable Telemetry cache " + file_.string() +
                                     " cannot be removed: " + ec.message());
        }
        return;
    }
    if (skipped > 0) {
        logTo(logHandler_, Level::error, "Skipped " + std::to_string(skipped) + " unreadable cached signal(s)");
    }
    // Behind a cache that takes the file over are only signals of its own, which are newer.
    const std::size_t held = cachedSignals_.size();
    for (auto it = loaded->rbegin(); it != loaded->rend(); ++it) {
        cachedSignals_.push_front(std::make_shared<const SignalPostBody>(std::move(*it)));
    }
    trimLocked();
    changed_ = true;
    // Rewritten at once, which also proves it can be: signals of a file that can be neither replaced nor
    // removed would be sent again at every start. When it holds just what is listed now, its own bytes go
    // back, sparing the start the encoding of a large file.
    const bool unchanged =
        skipped == 0 && held == 0 && inFlight_.empty() && !loaded->empty() && cachedSignals_.size() == loaded->size();
    if (!(unchanged ? writeBytes(read.contents, loaded->size()) : writeSignals(unacceptedLocked()))) {
        const std::size_t taken = cachedSignals_.size() - std::min(held, cachedSignals_.size());
        cachedSignals_.erase(cachedSignals_.begin(), cachedSignals_.begin() + static_cast<long>(taken));
        ownership_ = Ownership::leftAlone;
        reportWriteProblemLocked("Telemetry cache " + file_.string() + " cannot be replaced or removed: its " +
                                 std::to_string(loaded->size()) +
                                 " signals are not sent, so that no start sends them again");
        return;
    }
    changed_ = false;
    writeProblemReported_ = false;
    logTo(logHandler_, Level::info, "Loaded " + std::to_string(loaded->size()) + " signals");
}

std::vector<SignalCache::Stored> SignalCache::unacceptedLocked() const {
    std::vector<Stored> all;
    // Batches in flight are older than anything still listed.
    for (const auto& [token, signals] : inFlight_) all.insert(all.end(), signals.begin(), signals.end());
    all.insert(all.end(), cachedSignals_.begin(), cachedSignals_.end());
    if (all.size() > cacheLimit_) all.erase(all.begin(), all.end() - static_cast<long>(cacheLimit_));
    return all;
}

bool SignalCache::writeSignals(const std::vector<Stored>& signals) {
    if (file_.empty()) return false;
    std::error_code ec;
    const auto status = fs::symlink_status(file_, ec);
    if (signals.empty() && !fs::is_symlink(status)) {
        if (fs::exists(status) && !fs::remove(file_, ec) && ec) return false;
        writtenBytes_ = 0;
        writtenSignals_ = 0;
        return true;
    }
    // A link in the file's place stays: its target holds the signals, or an empty list.
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& s : signals) array.push_back(s->toCacheJson());
    return writeBytes(array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), signals.size());
}

bool SignalCache::writeBytes(std::string_view bytes, std::size_t signals) {
    std::error_code ec;
    fs::create_directories(file_.parent_path(), ec);
    if (!dataFile_.replace(bytes)) return false;
    writtenBytes_ = bytes.size();
    writtenSignals_ = signals;
    return true;
}

bool SignalCache::writeLocked() {
    if (!writeSignals(unacceptedLocked())) return false;
    changed_ = false;
    writeProblemReported_ = false;
    return true;
}

void SignalCache::reportWriteProblemLocked(const std::string& message) {
    // Once until a write succeeds: the file is written at every change, and it fails the same way each time.
    if (writeProblemReported_) return;
    writeProblemReported_ = true;
    logTo(logHandler_, Level::error, message);
}

void SignalCache::trimLocked() {
    while (cachedSignals_.size() > cacheLimit_) cachedSignals_.pop_front();
}

void SignalCache::push(SignalPostBody signal) {
    auto stored = std::make_shared<const SignalPostBody>(std::move(signal));
    std::unique_lock lock(mutex_);
    cachedSignals_.push_back(std::move(stored));
    trimLocked();
    changed_ = true;
}

void SignalCache::push(std::vector<SignalPostBody> signals) {
    std::vector<Stored> stored;
    for (auto& s : signals) stored.push_back(std::make_shared<const SignalPostBody>(std::move(s)));
    std::unique_lock lock(mutex_);
    cachedSignals_.insert(cachedSignals_.end(), stored.begin(), stored.end());
    trimLocked();
    changed_ = true;
}

std::vector<SignalPostBody> SignalCache::pop() {
    std::unique_lock lock(mutex_);
    const std::size_t n = std::min(cachedSignals_.size(), maximumNumberOfSignalsToPopAtOnce);
    // Copies: a write under way may still be encoding them.
    std::vector<SignalPostBody> batch;
    for (std::size_t i = 0; i < n; ++i) batch.push_back(*cachedSignals_[i]);
    cachedSignals_.erase(cachedSignals_.begin(), cachedSignals_.begin() + static_cast<long>(n));
    if (n > 0) changed_ = true;
    return batch;
}

std::size_t SignalCache::count() const {
    std::shared_lock lock(mutex_);
    return cachedSignals_.size();
}

SignalCache::Batch SignalCache::popBatch() {
    // One step: a write in between would find the batch neither listed nor in flight and leave it out.
    std::unique_lock lock(mutex_);
    const std::size_t n = std::min(cachedSignals_.size(), maximumNumberOfSignalsToPopAtOnce);
    const auto end = cachedSignals_.begin() + static_cast<long>(n);
    Batch batch{nextToken_++, {}};
    for (auto it = cachedSignals_.begin(); it != end; ++it) batch.signals.push_back(**it);
    // Still in the file, in the same order: nothing to write.
    if (n > 0) inFlight_[batch.token].assign(cachedSignals_.begin(), end);
    cachedSignals_.erase(cachedSignals_.begin(), end);
    return batch;
}

void SignalCache::finishBatch(std::uint64_t token) {
    std::unique_lock lock(mutex_);
    if (inFlight_.erase(token) > 0) changed_ = true;
    batchSettled_.notify_all();
}

void SignalCache::returnBatch(std::uint64_t token) {
    std::unique_lock lock(mutex_);
    const auto it = inFlight_.find(token);
    if (it == inFlight_.end()) return;
    const std::size_t listed = cachedSignals_.size() + it->second.size();
    cachedSignals_.insert(cachedSignals_.end(), it->second.begin(), it->second.end());
    inFlight_.erase(it);
    trimLocked();
    // The file lists a batch in flight among the rest, so it holds the same signals once the batch is back,
    // only in another order: a service that is down costs no rewrite of a large file. What the limit drops
    // now does change it.
    if (cachedSignals_.size() < listed) changed_ = true;
    batchSettled_.notify_all();
}

bool SignalCache::waitForBatchesInFlight(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return batchSettled_.wait_for(lock, timeout, [this] { return inFlight_.empty(); });
}

bool SignalCache::ownsFile() const {
    std::shared_lock lock(mutex_);
    return ownership_ == Ownership::owning;
}

bool SignalCache::waitsForFile() const {
    std::shared_lock lock(mutex_);
    return ownership_ == Ownership::waiting;
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

bool SignalCache::write() {
    std::lock_guard file(fileMutex_);
    std::vector<Stored> snapshot;
    {
        std::unique_lock lock(mutex_);
        if (ownership_ == Ownership::waiting) {
            if (!tryLockFolder()) return true;
            ownership_ = Ownership::owning;
            changed_ = true;
            loadLocked();
        }
        if (ownership_ != Ownership::owning) return ownership_ == Ownership::released;
        if (!changed_) return true;
        snapshot = unacceptedLocked();
        // What changes from here on is the next write's.
        changed_ = false;
    }
    // Encoded and written outside the lock, which the quit and each upload's outcome need: a full file takes a
    // second or more.
    const bool written = writeSignals(snapshot);
    std::unique_lock lock(mutex_);
    if (written) {
        writeProblemReported_ = false;
        return true;
    }
    changed_ = true;
    reportWriteProblemLocked("Error saving Telemetry cache");
    return false;
}

bool SignalCache::save() {
    std::lock_guard file(fileMutex_);
    std::unique_lock lock(mutex_);
    if (ownership_ == Ownership::waiting && tryLockFolder()) {
        ownership_ = Ownership::owning;
        changed_ = true;
        loadLocked();
    }
    if (ownership_ == Ownership::released) return true;
    if (ownership_ == Ownership::waiting) {
        std::size_t unsent = cachedSignals_.size();
        for (const auto& [token, signals] : inFlight_) unsent += signals.size();
        logTo(logHandler_, Level::error,
              "Telemetry cache " + file_.string() + " is in use by another client: " + std::to_string(unsent) +
                  " unsent signals are not kept");
        return false;
    }
    if (file_.empty()) {
        logTo(logHandler_, Level::error, "Error saving Telemetry cache");
        return false;
    }
    if (ownership_ == Ownership::leftAlone) {
        reportWriteProblemLocked("Error saving Telemetry cache");
        return false;
    }
    // Unchanged since the last write, the file holds it all already.
    if (changed_ && !writeLocked()) {
        reportWriteProblemLocked("Error saving Telemetry cache");
        return false;
    }
    logTo(logHandler_, Level::info,
          "Saved Telemetry cache " + std::to_string(writtenBytes_) + " bytes of " + std::to_string(writtenSignals_) +
              " signals");
    cachedSignals_.clear();
    // The saved batches are the file's now: a late outcome must not put them back in memory or take them out of
    // the file.
    inFlight_.clear();
    batchSettled_.notify_all();
    ownership_ = Ownership::released;
    unlockFolder();
    return true;
}

}  // namespace clicktrove::analytics
