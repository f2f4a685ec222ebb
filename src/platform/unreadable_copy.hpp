#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace clicktrove::platform {

// Where an unreadable file or record is kept before the program writes a fresh one in its place:
// "<path>.unreadable-<UTC time as YYYYMMDDTHHMMSSZ>", with "-2", "-3"... added when that name is taken.
std::filesystem::path unreadableCopyPath(const std::filesystem::path& path, std::chrono::system_clock::time_point when);

// Moves an unreadable file aside (see unreadableCopyPath). Returns the new path, or an empty path on failure.
std::filesystem::path moveUnreadableAside(const std::filesystem::path& path, std::chrono::system_clock::time_point when,
                                          std::string* error = nullptr);

// Writes the bytes of an unreadable record beside the store that held it (see unreadableCopyPath).
std::filesystem::path keepUnreadableCopy(const std::filesystem::path& path, std::string_view contents,
                                         std::chrono::system_clock::time_point when, std::string* error = nullptr);

}  // namespace clicktrove::platform
