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
    for (auto it = loaded->rbegin(); it != loaded->rend(); ++it) cachedSignals_.push_front(std::move(*it));
    trimLocked();
    changed_ = true;
    // Rewritten at once, which also proves it can be: signals of a file that can be neither replaced nor
    // removed would be sent again at every start.
    if (!writeLocked()) {
        const std::size_t taken = cachedSignals_.size() - std::min(held, cachedSignals_.size());
        cachedSignals_.erase(cachedSignals_.begin(), cachedSignals_.begin() + static_cast<long>(taken));
        ownership_ = Ownership::leftAlone;
        reportWriteProblemLocked("Telemetry cache " + file_.string() + " cannot be replaced or removed: its " +
                                 std::to_string(loaded->size()) +
                                 " signals are not sent, so that no start sends them " + "again");
        return;
    }
    logTo(logHandler_, Level::info, "Loaded " + std::to_string(loaded->size()) + " signals");
}

bool SignalCache::writeLocked() {
    if (file_.empty()) return false;
    std::vector<const SignalPostBody*> all;
    // Batches in flight are older than anything still listed.
    for (const auto& [token, signals] : inFlight_) {
        for (const auto& s : signals) all.push_back(&s);
    }
    for (const auto& s : cachedSignals_) all.push_back(&s);
    const std::size_t first = all.size() > cacheLimit_ ? all.size() - cacheLimit_ : 0;

    std::error_code ec;
    const auto status = fs::symlink_status(file_, ec);
    std::string bytes;
    if (first == all.size() && !fs::is_symlink(status)) {
        if (fs::exists(status) && !fs::remove(file_, ec) && ec) return false;
    } else {
        // A link in the file's place stays: its target holds the signals, or an empty list.
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (std::size_t i = first; i < all.size(); ++i) array.push_back(all[i]->toCacheJson());
        bytes = array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        fs::create_directories(file_.parent_path(), ec);
        if (!dataFile_.replace(bytes)) return false;
    }
    changed_ = false;
    writeProblemReported_ = false;
    writtenBytes_ = bytes.size();
    writtenSignals_ = all.size() - first;
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
    std::unique_lock lock(mutex_);
    cachedSignals_.push_back(std::move(signal));
    trimLocked();
    changed_ = true;
}

void SignalCache::push(std::vector<SignalPostBody> signals) {
    std::unique_lock lock(mutex_);
    for (auto& s : signals) cachedSignals_.push_back(std::move(s));
    trimLocked();
    changed_ = true;
}

std::vector<SignalPostBody> SignalCache::pop() {
    std::unique_lock lock(mutex_);
    const std::size_t n = std::min(cachedSignals_.size(), maximumNumberOfSignalsToPopAtOnce);
    std::vector<SignalPostBody> batch(std::make_move_iterator(cachedSignals_.begin()),
                                      std::make_move_iterator(cachedSignals_.begin() + static_cast<long>(n)));
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
    Batch batch{nextToken_++,
                std::vector<SignalPostBody>(cachedSignals_.begin(), cachedSignals_.begin() + static_cast<long>(n))};
    cachedSignals_.erase(cachedSignals_.begin(), cachedSignals_.begin() + static_cast<long>(n));
    // Still in the file, in the same order: nothing to write.
    if (n > 0) inFlight_[batch.token] = batch.signals;
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
    // The file lists the batch in flight in front of the list: with nothing else around it, it already holds
    // what it would hold after the batch went back, and a service that is down rewrites no large file.
    const bool sameOrder = cachedSignals_.empty() && inFlight_.size() == 1 && it->second.size() <= cacheLimit_;
    for (auto& s : it->second) cachedSignals_.push_back(std::move(s));
    inFlight_.erase(it);
    trimLocked();
    if (!sameOrder) changed_ = true;
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
    std::unique_lock lock(mutex_);
    if (ownership_ == Ownership::waiting) {
        if (!tryLockFolder()) return true;
        ownership_ = Ownership::owning;
        changed_ = true;
        loadLocked();
    }
    if (ownership_ != Ownership::owning) return ownership_ == Ownership::released;
    if (!changed_) return true;
    if (writeLocked()) return true;
    reportWriteProblemLocked("Error saving Telemetry cache");
    return false;
}

bool SignalCache::save() {
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
    changed_ = true;
    if (!writeLocked()) {
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
