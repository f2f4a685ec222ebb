#include "analytics/signal_manager.hpp"

#include "analytics/sha256.hpp"
#include "analytics/uuid.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace clicktrove::analytics {

using Level = LogHandler::LogLevel;

namespace {

// RFC 3986 unreserved characters stay; everything else of a namespace is percent-encoded, so a namespace with
// "/", "?" or "#" cannot change the address it is sent to.
std::string percentEncodePathSegment(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0x0F]);
        }
    }
    return out;
}

bool isUsableHttpUrl(const std::string& text) {
    CURLU* url = curl_url();
    if (!url) return false;
    bool ok = curl_url_set(url, CURLUPART_URL, text.c_str(), 0) == CURLUE_OK;
    if (ok) {
        char* scheme = nullptr;
        ok = curl_url_get(url, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK && scheme &&
             (std::string_view(scheme) == "http" || std::string_view(scheme) == "https");
        curl_free(scheme);
    }
    curl_url_cleanup(url);
    return ok;
}

const char* dropReason(int status) {
    switch (status) {
        case 400:
            return "Bad Request (400)";
        case 401:
            return "Unauthorized (401)";
        case 403:
            return "Forbidden (403)";
        case 404:
            return "Not Found (404)";
        case 413:
            return "Payload Too Large (413)";
        case 422:
            return "Unprocessable Entity (422)";
        case 501:
            return "Not Implemented (501)";
        case 505:
            return "HTTP Version Not Supported (505)";
        default:
            return nullptr;
    }
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

}  // namespace

std::shared_ptr<SignalManager> SignalManager::create(Dependencies dependencies) {
    std::shared_ptr<SignalManager> manager(new SignalManager(std::move(dependencies)));
    manager->start();
    return manager;
}

SignalManager::SignalManager(Dependencies dependencies) : deps_(std::move(dependencies)) {
    const ConfigurationSnapshot config = deps_.configuration->snapshot();
    std::optional<LogHandler> log = config.swiftUIPreviewMode() ? std::nullopt : config.logHandler;
    signalCache_ = std::make_unique<SignalCache>(log, config.cacheLimit, deps_.cacheFile);
}

SignalManager::~SignalManager() {
    std::lock_guard lock(timerMutex_);
    if (sendTimer_ != 0) deps_.environment.scheduler->cancel(sendTimer_);
}

void SignalManager::start() {
    sendBatch();
    std::weak_ptr<SignalManager> weak = weak_from_this();
    deps_.environment.scheduler->post([weak] {
        if (auto self = weak.lock()) {
            self->consecutiveFailures_ = 0;
            self->armSendTimer();
        }
    });
}

void SignalManager::processSignal(std::string type, std::optional<double> floatValue,
                                  std::optional<std::string> customUserID,
                                  std::map<std::string, std::string> parameters, ConfigurationSnapshot configuration) {
    std::uint64_t id;
    {
        std::lock_guard lock(pendingMutex_);
        id = nextPendingId_++;
        PendingSignal pending;
        pending.type = std::move(type);
        pending.floatValue = floatValue;
        pending.customUserID = std::move(customUserID);
        pending.parameters = std::move(parameters);
        pending.configuration = std::move(configuration);
        pending_.emplace(id, std::move(pending));
    }
    std::weak_ptr<SignalManager> weak = weak_from_this();
    deps_.environment.mainQueue->post([weak, id] {
        if (auto self = weak.lock()) self->prepareOnMain(id);
    });
}

void SignalManager::prepare(PendingSignal& pending) {
    pending.userIdentifier = pending.configuration.defaultUser ? *pending.configuration.defaultUser : userIdentifier();
    if (deps_.defaultSignalParameters) pending.defaultParameters = deps_.defaultSignalParameters();
    pending.prepared = true;
}

void SignalManager::prepareOnMain(std::uint64_t id) {
    PendingSignal copy;
    {
        std::lock_guard lock(pendingMutex_);
        const auto it = pending_.find(id);
        // Already written out by a termination save.
        if (it == pending_.end()) return;
        copy = it->second;
    }
    prepare(copy);
    {
        std::lock_guard lock(pendingMutex_);
        const auto it = pending_.find(id);
        if (it == pending_.end()) return;
        it->second.prepared = true;
        it->second.userIdentifier = std::move(copy.userIdentifier);
        it->second.defaultParameters = std::move(copy.defaultParameters);
    }
    std::weak_ptr<SignalManager> weak = weak_from_this();
    deps_.environment.scheduler->post([weak, id] {
        if (auto self = weak.lock()) self->finishOnScheduler(id);
    });
}

void SignalManager::finishOnScheduler(std::uint64_t id) {
    PendingSignal copy;
    {
        std::lock_guard lock(pendingMutex_);
        const auto it = pending_.find(id);
        if (it == pending_.end()) return;
        copy = it->second;
    }
    // Enrichers are the app's code: they run outside every lock of ours.
    SignalPostBody body = buildBody(copy);
    copy.configuration.log(Level::debug, "Process signal: " + body.description());
    // Whoever takes the signal out of the pending list puts it into the cache, under the same lock, so a
    // termination save sees every signal exactly once.
    {
        std::lock_guard lock(pendingMutex_);
        if (pending_.erase(id) == 0) return;
        signalCache_->push(std::move(body));
    }
    cacheChanged();
}

void SignalManager::cacheChanged() {
    std::weak_ptr<SignalManager> weak = weak_from_this();
    std::lock_guard lock(cacheWriteMutex_);
    // One write carries every change made until it runs.
    if (cacheWriteScheduled_) return;
    cacheWriteScheduled_ = true;
    const auto now = deps_.environment.clock->monotonicNow();
    const auto due = lastCacheWrite_ ? *lastCacheWrite_ + cacheWriteInterval : now;
    const auto delay = std::max<std::chrono::nanoseconds>(due - now, std::chrono::nanoseconds(0));
    deps_.environment.scheduler->schedule(delay, [weak] {
        if (auto self = weak.lock()) self->writeCache();
    });
}

void SignalManager::writeCache() {
    {
        std::lock_guard lock(cacheWriteMutex_);
        cacheWriteScheduled_ = false;
        lastCacheWrite_ = deps_.environment.clock->monotonicNow();
    }
    signalCache_->write();
}

SignalPostBody SignalManager::buildBody(const PendingSignal& pending) const {
    const ConfigurationSnapshot& config = pending.configuration;
    std::map<std::string, std::string> enriched;
    for (const auto& enricher : config.metadataEnrichers) {
        if (!enricher) continue;
        for (auto& [k, v] : enricher->enrich(pending.type, pending.customUserID, pending.floatValue)) {
            enriched[k] = std::move(v);
        }
    }
    SignalPostBody body;
    body.payload = pending.defaultParameters;
    for (const auto& [k, v] : enriched) body.payload[k] = v;
    for (const auto& [k, v] : pending.parameters) body.payload[k] = v;

    body.receivedAt = deps_.environment.clock->now();
    body.appID = config.telemetryAppID;
    body.clientUser = sha256Hex(pending.customUserID ? *pending.customUserID : pending.userIdentifier, config.salt);
    // The service reads session identifiers in the standard upper-case form, whoever wrote the setting.
    body.sessionID = config.sessionID;
    for (char& c : body.sessionID) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    body.type = pending.type;
    if (pending.floatValue && !std::isfinite(*pending.floatValue)) {
        // JSON has no NaN or infinity: the service would reject the whole batch at every retry.
        config.log(Level::error, "Dropping the float value " + formatNumber(*pending.floatValue) + " of signal " +
                                     pending.type + ": not a finite number");
    } else {
        body.floatValue = pending.floatValue;
    }
    body.isTestMode = config.testMode() ? "true" : "false";
    return body;
}

std::string SignalManager::userIdentifier() {
    if (auto user = deps_.configuration->defaultUser()) return *user;
    std::lock_guard lock(userMutex_);
    const auto suite = deps_.defaultsSuite ? deps_.defaultsSuite() : nullptr;
    if (suite) {
        if (auto stored = suite->string("defaultUserIdentifier")) return *stored;
    }
    std::string fresh = randomUuidString();
    if (suite) suite->setValue("defaultUserIdentifier", fresh);
    return fresh;
}

void SignalManager::appWillTerminate() {
    const ConfigurationSnapshot config = deps_.configuration->snapshot();
    config.log(Level::debug, "appWillTerminate()");
    // Its outcome decides whether the batch in flight is kept; without one in time it is kept, since it may
    // not have arrived.
    signalCache_->waitForBatchesInFlight(terminationGrace);
    std::map<std::uint64_t, PendingSignal> taken;
    {
        std::lock_guard lock(pendingMutex_);
        taken.swap(pending_);
    }
    std::vector<SignalPostBody> bodies;
    for (auto& [id, pending] : taken) {
        if (!pending.prepared) prepare(pending);
        bodies.push_back(buildBody(pending));
    }
    if (!bodies.empty()) signalCache_->push(std::move(bodies));
    signalCache_->save();
}

std::optional<std::string> SignalManager::signalEndpointURL(const ConfigurationSnapshot& configuration) {
    std::string url = configuration.apiBaseURL;
    if (url.empty() || url.back() != '/') url.push_back('/');
    if (configuration.telemetryNamespace && !configuration.telemetryNamespace->empty()) {
        url += "v2/namespace/" + percentEncodePathSegment(*configuration.telemetryNamespace) + "/";
    } else {
        url += "v2/";
    }
    if (!isUsableHttpUrl(url)) return std::nullopt;
    return url;
}

double SignalManager::sendInterval(const ConfigurationSnapshot& configuration, int consecutiveFailures) {
    double interval = std::ldexp(configuration.transmitInterval, consecutiveFailures);
    if (!(interval <= configuration.maxBackoffInterval)) interval = configuration.maxBackoffInterval;
    if (!(interval >= TelemetryManagerConfiguration::minimumTransmitInterval)) {
        interval = TelemetryManagerConfiguration::minimumTransmitInterval;
    }
    // An infinite or enormous cap must not overflow the timer's nanoseconds, which would wrap to a negative
    // delay and spin; about 31 years is far beyond any real setting and well inside the range.
    constexpr double longestInterval = 1e9;
    return std::min(interval, longestInterval);
}

void SignalManager::armSendTimer() {
    const double interval = sendInterval(deps_.configuration->snapshot(), consecutiveFailures_);
    std::weak_ptr<SignalManager> weak = weak_from_this();
    std::lock_guard lock(timerMutex_);
    if (sendTimer_ != 0) deps_.environment.scheduler->cancel(sendTimer_);
    sendTimer_ = deps_.environment.scheduler->schedule(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(interval)), [weak] {
            if (auto self = weak.lock()) self->sendBatch();
        });
}

void SignalManager::sendBatch() {
    const ConfigurationSnapshot config = deps_.configuration->snapshot();
    config.log(Level::debug, "Current signal cache count: " + std::to_string(signalCache_->count()));
    // A file held by another client when this one started is taken over once it is let go.
    if (signalCache_->waitsForFile()) cacheChanged();
    SignalCache::Batch batch = signalCache_->popBatch();
    if (batch.signals.empty()) {
        onSendSucceeded();
        return;
    }
    config.log(Level::info, "Sending " + std::to_string(batch.signals.size()) + " signals leaving a cache of " +
                                std::to_string(signalCache_->count()) + " signals");
    postBatch(std::move(batch), config);
}

void SignalManager::postBatch(SignalCache::Batch batch, const ConfigurationSnapshot& config) {
    const std::uint64_t token = batch.token;
    const std::size_t size = batch.signals.size();
    std::string body;
    try {
        body = encodeUploadBatch(batch.signals);
    } catch (const std::exception& e) {
        config.log(Level::error, std::string("Failed to encode signal batch: ") + e.what());
        onSendFailed(token);
        return;
    }
    std::weak_ptr<SignalManager> weak = weak_from_this();
    auto completion = [weak, token, size](platform::HttpResponse response) {
        if (auto self = weak.lock()) self->handleSendResult(token, size, response);
    };
    const auto url = signalEndpointURL(config);
    if (!url) {
        config.log(Level::error,
                   "Unable to construct signal API URL for namespace " + config.telemetryNamespace.value_or("nil"));
        deps_.environment.mainQueue->post([completion] {
            platform::HttpResponse response;
            response.error = "Invalid endpoint URL";
            completion(response);
        });
        return;
    }
    platform::HttpRequest request;
    request.url = *url;
    request.method = "POST";
    request.headers.emplace_back("Content-Type", "application/json");
    request.timeout = std::chrono::seconds(60);
    config.log(Level::debug, body);
    request.body = std::move(body);
    deps_.environment.transport->send(std::move(request), std::move(completion));
}

void SignalManager::handleSendResult(std::uint64_t token, std::size_t batchSize,
                                     const platform::HttpResponse& response) {
    const ConfigurationSnapshot config = deps_.configuration->snapshot();
    if (response.error) {
        config.log(Level::error, *response.error);
        onSendFailed(token);
        return;
    }
    const int status = response.status;
    if (status >= 200 && status <= 299) {
        if (!response.body.empty()) config.log(Level::debug, response.body);
        signalCache_->finishBatch(token);
        cacheChanged();
        onSendSucceeded();
        return;
    }
    if (const char* reason = dropReason(status)) {
        config.log(Level::error,
                   "Dropping " + std::to_string(batchSize) + " signal(s): rejected by server " + std::string(reason));
        signalCache_->finishBatch(token);
        cacheChanged();
        onSendSucceeded();
        return;
    }
    config.log(Level::debug, "Failed to send events (status " + std::to_string(status) + "), will try again later");
    onSendFailed(token);
}

void SignalManager::onSendSucceeded() {
    std::weak_ptr<SignalManager> weak = weak_from_this();
    deps_.environment.scheduler->post([weak] {
        if (auto self = weak.lock()) {
            ++self->sendCompletions_;
            self->consecutiveFailures_ = 0;
            self->armSendTimer();
        }
    });
}

void SignalManager::onSendFailed(std::uint64_t token) {
    signalCache_->returnBatch(token);
    cacheChanged();
    std::weak_ptr<SignalManager> weak = weak_from_this();
    deps_.environment.scheduler->post([weak] {
        if (auto self = weak.lock()) {
            ++self->sendCompletions_;
            ++self->consecutiveFailures_;
            self->armSendTimer();
        }
    });
}

}  // namespace clicktrove::analytics
