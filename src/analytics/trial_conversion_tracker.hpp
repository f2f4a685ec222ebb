#pragma once

#include "analytics/scheduler.hpp"
#include "analytics/stored_trial.hpp"
#include "analytics/transaction_update_source.hpp"
#include "platform/clock.hpp"
#include "platform/user_defaults.hpp"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace clicktrove::analytics {

// Keeps the last free trial in the analytics defaults suite and watches the store's transaction updates for
// it on a thread of its own: a paid transaction of the same subscription is a conversion, reported once; a
// refund, expiry or upgrade ends the trial silently. Every write of the stored trial goes to the persistence
// queue, in order; reads happen on the reading thread and may miss a write still queued.
class TrialConversionTracker {
public:
    static constexpr const char* storedTrialKey = "lastTrial";

    // The client's defaults suite at the moment of asking; nothing when there is none.
    using Suite = std::function<std::shared_ptr<platform::UserDefaults>()>;
    using Send = std::function<void(const std::string& name, const std::map<std::string, std::string>& parameters,
                                    std::optional<double> floatValue)>;

    // Resumes watching at once when a trial is stored.
    TrialConversionTracker(std::shared_ptr<Scheduler> persistenceQueue,
                           std::shared_ptr<TransactionUpdateSource> updates,
                           std::shared_ptr<const platform::Clock> clock, Suite suite, Send send);
    TrialConversionTracker(const TrialConversionTracker&) = delete;
    TrialConversionTracker& operator=(const TrialConversionTracker&) = delete;
    // Stops the watch and waits for it (unless the watch itself is the caller, which then ends on its own).
    ~TrialConversionTracker();

    // Queues the write of the trial, or its removal when there is none, and returns at once.
    void storeTrial(std::optional<StoredTrial> trial);
    std::optional<StoredTrial> loadStoredTrial() const;
    // Replaces any running watch by a new one.
    void startObserving();
    // True from startObserving until the watch ends (conversion, end of the trial, end of the stream).
    bool isObserving() const;

    // An introductory offer paid for with a free trial: the trial itself or a renewal inside it.
    static bool isFreeTrialTransaction(const StoreTransaction& transaction);

private:
    // Everything the watch thread touches, so that it can outlive the tracker when it is the one destroying it.
    struct State;
    static void watch(const std::shared_ptr<State>& state, std::stop_token stop);
    // True when the watch goes on.
    static bool handle(const State& state, const StoreTransaction& transaction);
    static void enqueueWrite(const State& state, std::optional<StoredTrial> trial);
    static void writeStoredTrial(const Suite& suite, const std::optional<StoredTrial>& trial);
    static std::optional<StoredTrial> loadStoredTrial(const State& state);
    void stopWatch();

    std::shared_ptr<State> state_;
    std::mutex taskMutex_;
    std::jthread transactionUpdateTask_;
};

}  // namespace clicktrove::analytics
