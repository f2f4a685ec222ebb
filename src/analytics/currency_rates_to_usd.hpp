#pragma once

#include <map>
#include <string>

namespace clicktrove::analytics {

// Units of each ISO 4217 currency worth one US dollar (161 currencies; "USD" itself is not listed). Built once,
// on first use; the rates are fixed with the client, so a price is converted the same way on every machine.
const std::map<std::string, double>& currencyRatesToUSD();

}  // namespace clicktrove::analytics
