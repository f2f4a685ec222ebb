#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace clicktrove::platform {

// Replaces a file's contents so that a crash or a full disk at any moment leaves either the old file or the new
// one, never a torn mix: the bytes go to a temporary file ".<name>.tmp-<random>" in the same folder, are
// flushed to disk, and the temporary file is renamed over the target. A symbolic link keeps pointing at the
// file it names, which is the one replaced.
//
// Permissions: an existing file keeps its permission bits; a new one gets what the user's umask allows
// (0666 less the umask, as any file the user's programs create), so "umask 077" gives private files.
//
// Anything but a regular file in the target's place (a FIFO, a device, a folder) is refused.
//
// Returns false (with error: what failed and why, and code: the system error) on any failure; the old file is
// then untouched and no temporary file is left.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents, std::string* error = nullptr,
                         std::error_code* code = nullptr);

// Removes the temporary files that a save of `path` killed before its rename left beside it. A temporary file
// is locked while its save runs, so one that a save still writes, here or in another process, is left alone.
// Returns how many were removed.
int removeStaleTemporaries(const std::filesystem::path& path);

}  // namespace clicktrove::platform
