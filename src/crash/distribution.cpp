#include "crash/distribution.hpp"

#include "platform/file_read.hpp"

#include <map>
#include <optional>

namespace clicktrove::crash {

namespace {

// An os-release file is a few dozen short lines; anything larger is not one.
constexpr std::size_t kMaxOsReleaseBytes = 64 * 1024;
// Longer than any distribution's name or version, and short enough for the crash handler's buffers.
constexpr std::size_t kMaxValueLength = 120;

bool isKeyCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The value of one assignment, from just after its "="; nothing when a quote is not closed.
std::optional<std::string> valueOf(std::string_view text) {
    std::string value;
    const auto keep = [&value](char c) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) value += c;
    };
    if (text.empty() || (text.front() != '"' && text.front() != '\'')) {
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
            text.remove_suffix(1);
        }
        for (char c : text) keep(c);
        return value;
    }
    const char quote = text.front();
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == quote) return value;
        // In double quotes the shell's backslash escapes a character that would mean something else there.
        if (quote == '"' && c == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == '"' || next == '\\' || next == '$' || next == '`') {
                keep(next);
                ++i;
                continue;
            }
        }
        keep(c);
    }
    return std::nullopt;
}

std::string shortened(std::string text) {
    if (text.size() <= kMaxValueLength) return text;
    std::size_t end = kMaxValueLength;
    // Never half a UTF-8 character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
    text.resize(end);
    return text;
}

}  // namespace

Distribution Distribution::fromOsRelease(std::string_view text) {
    std::map<std::string, std::string, std::less<>> values;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        const auto equals = line.find('=');
        if (equals == 0 || equals == std::string_view::npos) continue;  // a comment, a blank line, or no assignment
        const std::string_view key = line.substr(0, equals);
        bool isKey = true;
        for (char c : key) isKey = isKey && isKeyCharacter(c);
        if (!isKey) continue;
        if (auto value = valueOf(line.substr(equals + 1))) values[std::string(key)] = std::move(*value);
    }
    const auto first = [&values](std::initializer_list<const char*> keys) {
        for (const char* key : keys) {
            if (const auto it = values.find(key); it != values.end() && !it->second.empty()) return shortened(it->second);
        }
        return std::string();
    };
    return Distribution{first({"NAME", "ID"}), first({"VERSION_ID", "VERSION"})};
}

Distribution Distribution::ofThisSystem(const std::filesystem::path& root) {
    // The vendor's copy counts only where /etc has none: an /etc/os-release that cannot be read says nothing.
    auto read = platform::readRegularFile(root / "etc/os-release", kMaxOsReleaseBytes);
    if (read.status == platform::FileRead::Status::missing) {
        read = platform::readRegularFile(root / "usr/lib/os-release", kMaxOsReleaseBytes);
    }
    return read.ok() ? fromOsRelease(read.contents) : Distribution{};
}

}  // namespace clicktrove::crash
