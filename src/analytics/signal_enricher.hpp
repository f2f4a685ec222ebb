#pragma once

#include <map>
#include <optional>
#include <string>

namespace clicktrove::analytics {

// Adds parameters to every signal. Called on the upload thread, so implementations must be thread safe.
class SignalEnricher {
public:
    virtual ~SignalEnricher() = default;
    virtual std::map<std::string, std::string> enrich(const std::string& signalType,
                                                      const std::optional<std::string>& customUserID,
                                                      std::optional<double> floatValue) = 0;
};

}  // namespace clicktrove::analytics
