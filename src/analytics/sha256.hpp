#pragma once

#include <string>
#include <string_view>

namespace clicktrove::analytics {

// SHA-256 of the UTF-8 bytes of text followed by salt, as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view text, std::string_view salt = {});

}  // namespace clicktrove::analytics
