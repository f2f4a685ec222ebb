#pragma once

#include <filesystem>
#include <functional>

namespace clicktrove::testing {

// Every atomic save ends in exactly one rename onto the target, so counting renames counts saves.
// Returns how many renames onto exactly this path this process has made so far. Each test's files lie in a
// temporary home of its own, so a count by path belongs to one test whatever ran before it in the process.
int renamesOnto(const std::filesystem::path& target);

// Runs work in a forked child that is killed (SIGKILL) the moment it tries to rename a file into place: the
// point of a save where the new bytes are written out but the old file has not been replaced yet. Returns true
// when the child died there; false when it finished or died another way.
bool runAndCrashAtRename(const std::function<void()>& work);

}  // namespace clicktrove::testing
