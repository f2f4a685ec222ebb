#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace clicktrove::platform {

// The name under which an unreadable file or record is kept before the program writes a fresh one in its
// place: "<name>.unreadable-<UTC time as YYYYMMDDTHHMMSSZ>".
std::string unreadableCopyName(const std::string& name, std::chrono::system_clock::time_point when);

// Where an unreadable file is kept: its unreadableCopyName, with "-2", "-3"... added when that file exists.
std::filesystem::path unreadableCopyPath(const std::filesystem::path& path, std::chrono::system_clock::time_point when);

}  // namespace clicktrove::platform
