#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace clicktrove::crash {

// The lower-case hex digits of value, most significant first and without leading zeros, into out; returns how
// many. Allocates nothing, for the signal handler.
std::size_t hexDigits(std::uint64_t value, char (&out)[16]);
// "0x" and the hex digits, the form of every address in reports and events.
std::string hexAddress(std::uint64_t value);
// Two lower-case hex digits per byte (build IDs, random identifiers).
std::string hexBytes(const unsigned char* bytes, std::size_t count);
// A compiler's symbol or type name as a person reads it; the name itself when it is not mangled.
std::string demangled(const char* name);

}  // namespace clicktrove::crash
