#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace clicktrove::analytics {

// The identity of the last free trial, kept until it converts or ends.
struct StoredTrial {
    std::string productID;
    std::uint64_t originalTransactionID = 0;

    bool operator==(const StoredTrial&) const = default;

    // {"productID": text, "originalTransactionID": number}, compact.
    std::string encode() const;
    // Nothing unless the text is such an object (other keys are ignored).
    static std::optional<StoredTrial> decode(const std::string& text);
};

}  // namespace clicktrove::analytics
