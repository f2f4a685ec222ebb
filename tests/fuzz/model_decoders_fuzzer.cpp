// Feeds arbitrary bytes to every decoder of the click data model. A decoder must never crash, hang or throw,
// and whatever it accepts must encode again and decode back to the same value.
#include "engine/model_json.hpp"
#include "platform/bounded_json.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

template <class T>
void check(std::string_view text, const nlohmann::ordered_json* ordered) {
    std::string error;
    const auto value = clicktrove::fromJsonText<T>(text, &error);
    if (!value) {
        if (error.empty()) {
            std::fprintf(stderr, "decoding failed without a message\n");
            std::abort();
        }
    }
    if (ordered) {
        // The ordered form of the same document must come to the same verdict.
        const auto again = clicktrove::fromJson<T>(*ordered);
        if (value.has_value() != again.has_value() || (value && !(*value == *again))) {
            std::fprintf(stderr, "json and ordered_json decoding disagree\n");
            std::abort();
        }
    }
    if (!value) return;
    // Decoded numbers are finite and decoded texts valid UTF-8, so encoding cannot fail.
    const auto encoded = clicktrove::toCompactJsonText(*value, &error);
    if (!encoded) {
        std::fprintf(stderr, "a decoded value did not encode: %s\n", error.c_str());
        std::abort();
    }
    const auto decoded = clicktrove::fromJsonText<T>(*encoded, &error);
    if (!decoded || !(*decoded == *value)) {
        std::fprintf(stderr, "round trip changed the value: %s\n", encoded->c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Parsed the way every stored file is, so that both paths see the same documents.
    const auto ordered = clicktrove::platform::parseBoundedOrderedJson(text);
    const nlohmann::ordered_json* orderedPtr = ordered ? &*ordered : nullptr;
    check<clicktrove::ClickConfig>(text, orderedPtr);
    check<clicktrove::ClickRecord>(text, orderedPtr);
    check<clicktrove::ClickPreset>(text, orderedPtr);
    check<clicktrove::HistoryRecord>(text, orderedPtr);
    check<std::vector<clicktrove::ClickConfig>>(text, orderedPtr);
    check<std::vector<clicktrove::ClickRecord>>(text, orderedPtr);
    check<std::vector<clicktrove::ClickPreset>>(text, orderedPtr);
    check<std::vector<clicktrove::HistoryRecord>>(text, orderedPtr);
    return 0;
}
