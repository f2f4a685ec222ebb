#pragma once

#include "analytics/store_transaction.hpp"

#include <map>
#include <string>

namespace clicktrove::analytics {

// "Tallywire.Purchase.type", ".countryCode", ".productID" and, when the transaction has a currency,
// ".currencyCode".
std::map<std::string, std::string> purchaseParameters(const StoreTransaction& transaction);

// The price in US dollars at the rates of currencyRatesToUSD: the price itself in "USD", 0 without a price, a
// currency or a known rate. Not rounded.
double priceInUSD(const StoreTransaction& transaction);

}  // namespace clicktrove::analytics
