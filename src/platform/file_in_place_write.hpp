#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace clicktrove::platform {

// Writes contents over the file the user chose (an export), in place: the file is truncated and rewritten, so
// links to it and its owner stay, and a new file gets 0666 less the umask. Never waits (a FIFO without a reader
// fails at once) and refuses anything but a regular file before changing a byte. Returns false with a short
// reason ("Permission denied", "No space left on device") when it could not write all of it.
bool writeFileInPlace(const std::filesystem::path& path, std::string_view contents, std::string* reason = nullptr);

}  // namespace clicktrove::platform
