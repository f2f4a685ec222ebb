// Feeds arbitrary bytes to the decoder of the stored session list. It must never crash, hang or throw, and a list
// it accepts must be stored and read back the same.
#include "analytics/stored_session.hpp"
#include "fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using clicktrove::analytics::StoredSession;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto sessions = StoredSession::decodeList(text);
    if (!sessions) return 0;
    // Start times are stored in whole seconds, so the first write may round; after it nothing changes.
    const std::string stored = StoredSession::encodeList(*sessions);
    const auto again = StoredSession::decodeList(stored);
    FUZZ_CHECK(again.has_value() && again->size() == sessions->size(), "a stored list reads back whole");
    FUZZ_CHECK(StoredSession::encodeList(*again) == stored, "a stored list is stable");
    return 0;
}
