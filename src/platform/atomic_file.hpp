#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace clicktrove::platform {

// Replaces a file's contents so that a crash or a full disk at any moment leaves either the old file or the new
// one, never a torn mix: the bytes go to a temporary file in the same folder, are flushed to disk, and the
// temporary file is renamed over the target. An existing file keeps its permission bits, and a symbolic link
// keeps pointing at the file it names, which is the one replaced. Returns false (and sets error) on any
// failure; the old file is then untouched.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents, std::string* error = nullptr);

// Reads a whole file. Returns false when it cannot be opened or read, a folder included.
bool readWholeFile(const std::filesystem::path& path, std::string& contents, std::string* error = nullptr);

}  // namespace clicktrove::platform
