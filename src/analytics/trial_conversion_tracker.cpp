#include "analytics/trial_conversion_tracker.hpp"

#include "analytics/purchase_parameters.hpp"

#include <atomic>

namespace clicktrove::analytics {

struct TrialConversionTracker::State {
    std::shared_ptr<Scheduler> persistenceQueue;
    std::shared_ptr<TransactionUpdateSource> updates;
    std::shared_ptr<const platform::Clock> clock;
    Suite suite;
    Send send;
    // The generation of the watch that is current; an older one that ends must not clear a newer one's flag.
    std::atomic<std::uint64_t> generation{0};
    std::atomic<bool> observing{false};
};

TrialConversionTracker::TrialConversionTracker(std::shared_ptr<Scheduler> persistenceQueue,
                                               std::shared_ptr<TransactionUpdateSource> updates,
                                               std::shared_ptr<const platform::Clock> clock, Suite suite, Send send)
    : state_(std::make_shared<State>()) {
    state_->persistenceQueue = std::move(persistenceQueue);
    state_->updates = updates ? std::move(updates) : std::make_shared<NoStoreTransactionUpdateSource>();
    state_->clock = std::move(clock);
    state_->suite = std::move(suite);
    state_->send = std::move(send);
    if (loadStoredTrial()) startObserving();
}

TrialConversionTracker::~TrialConversionTracker() {
    stopWatch();
}

void TrialConversionTracker::stopWatch() {
    std::jthread previous;
    {
        std::lock_guard lock(taskMutex_);
        previous = std::move(transactionUpdateTask_);
    }
    if (!previous.joinable()) return;
    previous.request_stop();
    // The watch releasing the last owner of the client ends up here on its own thread.
    if (previous.get_id() == std::this_thread::get_id()) previous.detach();
    // Otherwise the jthread joins as it goes.
}

void TrialConversionTracker::storeTrial(std::optional<StoredTrial> trial) {
    enqueueWrite(*state_, std::move(trial));
}

void TrialConversionTracker::enqueueWrite(const State& state, std::optional<StoredTrial> trial) {
    // The write holds only the way to the suite, so a tracker that goes away still finishes what it queued.
    state.persistenceQueue->post([suite = state.suite, trial = std::move(trial)] { writeStoredTrial(suite, trial); });
}

void TrialConversionTracker::writeStoredTrial(const Suite& suiteOfClient, const std::optional<StoredTrial>& trial) {
    const auto suite = suiteOfClient ? suiteOfClient() : nullptr;
    if (!suite) return;
    if (trial) {
        suite->setValue(storedTrialKey, trial->encode());
    } else {
        suite->removeValue(storedTrialKey);
    }
}

std::optional<StoredTrial> TrialConversionTracker::loadStoredTrial() const {
    return loadStoredTrial(*state_);
}

std::optional<StoredTrial> TrialConversionTracker::loadStoredTrial(const State& state) {
    const auto suite = state.suite ? state.suite() : nullptr;
    if (!suite) return std::nullopt;
    const auto data = suite->string(storedTrialKey);
    if (!data) return std::nullopt;
    return StoredTrial::decode(*data);
}

void TrialConversionTracker::startObserving() {
    stopWatch();
    const std::uint64_t generation = ++state_->generation;
    state_->observing = true;
    std::lock_guard lock(taskMutex_);
    transactionUpdateTask_ = std::jthread([state = state_, generation](std::stop_token stop) {
        watch(state, stop);
        // Only the current watch clears the flag: a replaced one ends after its successor has started.
        if (state->generation == generation) state->observing = false;
    });
}

bool TrialConversionTracker::isObserving() const {
    return state_->observing;
}

bool TrialConversionTracker::isFreeTrialTransaction(const StoreTransaction& transaction) {
    return transaction.offerType == StoreTransaction::OfferType::introductory &&
           transaction.offerPaymentMode == StoreTransaction::PaymentMode::freeTrial;
}

void TrialConversionTracker::watch(const std::shared_ptr<State>& state, std::stop_token stop) {
    while (!stop.stop_requested()) {
        const auto update = state->updates->nextUpdate(stop);
        if (!update || stop.stop_requested()) return;
        if (!update->isVerified()) continue;
        if (!handle(*state, update->unsafePayloadValue())) return;
    }
}

bool TrialConversionTracker::handle(const State& state, const StoreTransaction& transaction) {
    // Read at each update: the trial may have been replaced or removed meanwhile.
    const auto trial = loadStoredTrial(state);
    if (!trial) return true;
    if (transaction.productID != trial->productID || transaction.originalID != trial->originalTransactionID) {
        return true;
    }
    const bool expired = transaction.expirationDate && *transaction.expirationDate < state.clock->now();
    if (transaction.revocationDate || expired || transaction.isUpgraded) {
        enqueueWrite(state, std::nullopt);
        return false;
    }
    if (isFreeTrialTransaction(transaction)) return true;
    if (state.send) {
        state.send("Tallywire.Purchase.convertedFromTrial", purchaseParameters(transaction), priceInUSD(transaction));
    }
    enqueueWrite(state, std::nullopt);
    return false;
}

}  // namespace clicktrove::analytics
