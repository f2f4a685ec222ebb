// Feeds arbitrary bytes to the reader of a settings suite file. It must never crash, hang or throw, and a suite it
// accepts must be written out and read back as the same values (after one write, which turns a number too large
// for a double into null, as JSON has no infinity).
#include "fuzz_check.hpp"
#include "platform/file_user_defaults.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using clicktrove::platform::FileUserDefaults;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto values = FileUserDefaults::decode(text, &error);
    FUZZ_CHECK(values || !error.empty(), "a refused suite names its reason");
    if (!values) return 0;
    FUZZ_CHECK(values->is_object(), "a suite is an object");
    const std::string written = FileUserDefaults::encode(*values);
    const auto again = FileUserDefaults::decode(written, &error);
    FUZZ_CHECK(again.has_value(), "a written suite reads back");
    FUZZ_CHECK(again->size() == values->size(), "writing keeps every key");
    FUZZ_CHECK(FileUserDefaults::encode(*again) == written, "a written suite is stable");
    return 0;
}
