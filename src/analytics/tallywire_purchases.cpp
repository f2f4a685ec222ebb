// The facade's purchase reporting.
#include "analytics/purchase_parameters.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"

namespace clicktrove::analytics {

void Tallywire::purchaseCompleted(const StoreTransaction& transaction, const Parameters& parameters,
                                  std::optional<std::string> customUserID) {
    Parameters all = purchaseParameters(transaction);
    for (const auto& [k, v] : parameters) all[k] = v;
    const bool freeTrialStart = transaction.productType == StoreTransaction::ProductType::autoRenewableSubscription &&
                                transaction.offerType == StoreTransaction::OfferType::introductory &&
                                (!transaction.price || *transaction.price == 0);
    if (!freeTrialStart) {
        sendInternalSignal("Tallywire.Purchase.completed", all, priceInUSD(transaction), std::move(customUserID));
        return;
    }
    sendInternalSignal("Tallywire.Purchase.freeTrialStarted", all, std::nullopt, std::move(customUserID));
    // Without an installed client there is no suite to keep the trial in, so nothing can be watched.
    if (auto manager = TelemetryManager::shared()) {
        auto& tracker = manager->trialConversionTracker();
        tracker.storeTrial(StoredTrial{transaction.productID, transaction.originalID});
        tracker.startObserving();
    }
}

}  // namespace clicktrove::analytics
