#pragma once

#include "platform/file_problem.hpp"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace clicktrove::platform {

// One suite of user defaults: named values read and written whole. Values are JSON values; a "data" value
// (bytes, such as an encoded record) is stored as a string. Implementations are safe to use from several
// threads of one process.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    virtual std::optional<nlohmann::json> value(const std::string& key) const = 0;
    // Each returns whether the change reached storage; the process sees the new value either way.
    virtual bool setValue(const std::string& key, const nlohmann::json& value) = 0;
    virtual bool removeValue(const std::string& key) = 0;

    // For a store kept in a file: what its first read found wrong with the file (it was unreadable and kept
    // aside, or could not be kept aside, so nothing is ever written over it), for the store's whole life.
    virtual std::optional<FileProblem> readProblem() const { return std::nullopt; }
    // Why the last write failed; nothing once a write succeeded.
    virtual std::optional<FileProblem> writeProblem() const { return std::nullopt; }

    // Typed reads: nothing when the key is missing or holds another type.
    std::optional<std::string> string(const std::string& key) const;
    std::optional<bool> boolean(const std::string& key) const;
    std::optional<double> number(const std::string& key) const;
    std::optional<std::int64_t> integer(const std::string& key) const;
};

}  // namespace clicktrove::platform
