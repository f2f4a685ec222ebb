// Feeds arbitrary bytes to the readers of machine facts: os-release (as the analytics client and as crash reports
// read it), the kernel release and the locale. They must never crash, hang or overflow.
#include "analytics/linux_platform_facts_source.hpp"
#include "crash/distribution.hpp"
#include "fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using clicktrove::analytics::LinuxPlatformFactsSource;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto name = LinuxPlatformFactsSource::osReleaseName(text)) {
        FUZZ_CHECK(!name->empty(), "a name is never empty");
        FUZZ_CHECK(name->find('\n') == std::string::npos, "a name is one line");
    }
    const auto distribution = clicktrove::crash::Distribution::fromOsRelease(text);
    for (const std::string* field : {&distribution.name, &distribution.version}) {
        FUZZ_CHECK(field->size() <= 120, "a field is short enough for the crash handler's buffers");
        for (const char c : *field) {
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f, "a field holds no control character");
        }
    }
    for (const int part : LinuxPlatformFactsSource::parseKernelRelease(text)) {
        FUZZ_CHECK(part >= 0, "version parts are never negative");
    }
    FUZZ_CHECK(!LinuxPlatformFactsSource::localeFromEnvironmentValue(text).empty(), "a locale is never empty");
    return 0;
}
