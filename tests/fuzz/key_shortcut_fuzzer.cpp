// Feeds arbitrary bytes to the JSON form of a key shortcut. Decoding may refuse with the JSON library's
// exceptions but must never crash or wrap a number into range, and a shortcut it accepts must round-trip.
#include "fuzz_check.hpp"
#include "platform/bounded_json.hpp"
#include "services/key_shortcut.hpp"

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using clicktrove::KeyShortcut;
    const auto json =
        clicktrove::platform::parseBoundedJson(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!json) return 0;
    KeyShortcut shortcut;
    try {
        shortcut = json->get<KeyShortcut>();
    } catch (const nlohmann::json::exception&) {
        return 0;
    }
    FUZZ_CHECK(json->at("keyCode").get<std::uint64_t>() == shortcut.keyCode, "the key code is taken unchanged");
    const nlohmann::json written = shortcut;
    FUZZ_CHECK(written.get<KeyShortcut>() == shortcut, "the round trip keeps the shortcut");
    return 0;
}
