// Feeds arbitrary bytes to the reader of the autostart desktop entry. It must never crash or hang, and only the
// main group may decide whether the entry is hidden.
#include "fuzz_check.hpp"
#include "platform/xdg_login_item.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using clicktrove::platform::XdgLoginItem;
    const std::string entry(reinterpret_cast<const char*>(data), size);
    const bool hidden = XdgLoginItem::entryIsHidden(entry);
    FUZZ_CHECK(XdgLoginItem::entryIsHidden(entry + "\n[Desktop Action Other]\nHidden=true\n") == hidden,
               "another group's Hidden key changes nothing");
    return 0;
}
