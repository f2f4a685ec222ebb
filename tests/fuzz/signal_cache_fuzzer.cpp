// Feeds arbitrary bytes to the decoder of the analytics cache file. It must never crash, hang or throw, and every
// signal it keeps must survive the cache's own write and read.
#include "analytics/signal_cache.hpp"
#include "fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using clicktrove::analytics::SignalCache;
    using clicktrove::analytics::SignalPostBody;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t skipped = 0;
    const auto signals = SignalCache::decodeFile(text, skipped);
    if (!signals) return 0;
    for (const auto& signal : *signals) {
        const auto again = SignalPostBody::fromCacheJson(
            nlohmann::json::parse(signal.toCacheJson().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)));
        FUZZ_CHECK(again.has_value(), "a kept signal reads back");
    }
    return 0;
}
