#pragma once

#include "platform/user_defaults.hpp"

#include <map>
#include <mutex>

namespace clicktrove::platform {

// User defaults that live only in memory; counts writes so tests can check how often a value was saved, and can
// be told to fail them as a full disk would (the values still change, as in a file store).
class InMemoryUserDefaults final : public UserDefaults {
public:
    std::optional<nlohmann::json> value(const std::string& key) const override;
    bool setValue(const std::string& key, const nlohmann::json& value) override;
    bool removeValue(const std::string& key) override;
    std::optional<FileProblem> writeProblem() const override;

    int writeCount(const std::string& key) const;
    std::map<std::string, nlohmann::json> snapshot() const;
    // While set, every write fails with this reason.
    void failWrites(std::optional<std::string> reason);

private:
    bool finishWrite();

    mutable std::mutex mutex_;
    std::map<std::string, nlohmann::json> values_;
    std::map<std::string, int> writes_;
    std::optional<std::string> failure_;
    std::optional<FileProblem> writeProblem_;
};

}  // namespace clicktrove::platform
