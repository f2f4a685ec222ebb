#include "analytics/purchase_parameters.hpp"

#include "analytics/currency_rates_to_usd.hpp"

namespace clicktrove::analytics {

std::map<std::string, std::string> purchaseParameters(const StoreTransaction& transaction) {
    std::map<std::string, std::string> parameters{
        {"Tallywire.Purchase.type", transaction.subscriptionGroupID ? "subscription" : "one-time-purchase"},
        {"Tallywire.Purchase.countryCode", transaction.storefrontCountryCode},
        {"Tallywire.Purchase.productID", transaction.productID},
    };
    if (transaction.currency) parameters["Tallywire.Purchase.currencyCode"] = *transaction.currency;
    return parameters;
}

double priceInUSD(const StoreTransaction& transaction) {
    const double price = transaction.price.value_or(0.0);
    if (!transaction.currency) return 0.0;
    if (*transaction.currency == "USD") return price;
    const auto& rates = currencyRatesToUSD();
    const auto rate = rates.find(*transaction.currency);
    return rate == rates.end() ? 0.0 : price / rate->second;
}

}  // namespace clicktrove::analytics
