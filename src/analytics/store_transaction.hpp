#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace clicktrove::analytics {

// One transaction of an application store, with the values purchase reporting uses. The store adapter fills
// every value from typed data, so there is no fallback to a raw record: a store that has no typed value leaves
// it absent.
struct StoreTransaction {
    enum class ProductType { consumable, nonConsumable, nonRenewingSubscription, autoRenewableSubscription };
    enum class OfferType { introductory, promotional, code, winBack };
    enum class PaymentMode { freeTrial, payAsYouGo, payUpFront };

    std::string productID;
    std::uint64_t originalID = 0;
    ProductType productType = ProductType::nonConsumable;
    std::optional<std::string> subscriptionGroupID;
    std::optional<OfferType> offerType;
    std::optional<PaymentMode> offerPaymentMode;
    // In units of the currency (9.99, not 9990).
    std::optional<double> price;
    // The ISO 4217 code, "EUR".
    std::optional<std::string> currency;
    std::string storefrontCountryCode;
    std::optional<std::chrono::system_clock::time_point> revocationDate;
    std::optional<std::chrono::system_clock::time_point> expirationDate;
    bool isUpgraded = false;
};

}  // namespace clicktrove::analytics
