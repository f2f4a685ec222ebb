#pragma once

#include <functional>
#include <string>

namespace clicktrove::testing {

// Every atomic save ends in exactly one rename onto the target, so counting renames counts saves.
// Returns how many renames onto a file of this name (in any folder) this process has made so far.
int renamesOnto(const std::string& fileName);

// Runs work in a forked child that is killed (SIGKILL) the moment it tries to rename a file into place: the
// point of a save where the new bytes are written out but the old file has not been replaced yet. Returns true
// when the child died there; false when it finished or died another way.
bool runAndCrashAtRename(const std::function<void()>& work);

}  // namespace clicktrove::testing
