#pragma once

#include "platform/secure_random.hpp"

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace clicktrove {

// A 128-bit identifier. New ones are random (version 4, RFC 4122 variant); the text form is the 36-character
// hyphenated one, written in upper case and read in either case.
class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    // The nil identifier (all zero).
    constexpr Uuid() = default;
    constexpr explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

    // A new version-4 identifier drawn from `random` (the kernel's CSPRNG by default).
    static Uuid random(platform::RandomSource& random = platform::SecureRandom::instance());

    // "E621E1F8-C36C-495A-93FC-0C247A3E6E5F" in upper or lower case (or mixed); nothing for any other text.
    static std::optional<Uuid> parse(std::string_view text);

    // The hyphenated text in upper-case hexadecimal.
    std::string text() const;

    const Bytes& bytes() const { return bytes_; }

    friend auto operator<=>(const Uuid&, const Uuid&) = default;

private:
    Bytes bytes_{};
};

}  // namespace clicktrove

template <>
struct std::hash<clicktrove::Uuid> {
    std::size_t operator()(const clicktrove::Uuid& id) const noexcept {
        std::size_t h = 14695981039346656037ull;
        for (const auto b : id.bytes()) h = (h ^ b) * 1099511628211ull;
        return h;
    }
};
