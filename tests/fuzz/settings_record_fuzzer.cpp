// Feeds arbitrary bytes, as the stored data value, to the settings record's decoder. It must never crash, hang
// or throw, and whatever it accepts must encode and decode back to the same record.
#include "fuzz_check.hpp"
#include "services/settings_data.hpp"

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using clicktrove::SettingsData;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto record = SettingsData::decode(nlohmann::json(text));
    if (!record) return 0;
    // Decoded numbers are finite and texts valid UTF-8, so the record encodes.
    const auto encoded = record->encode();
    FUZZ_CHECK(encoded.has_value(), "a decoded record encodes");
    const auto again = SettingsData::decode(nlohmann::json(*encoded));
    FUZZ_CHECK(again.has_value(), "an encoded record decodes");
    FUZZ_CHECK(again->encode() == encoded, "the round trip keeps the record");
    return 0;
}
