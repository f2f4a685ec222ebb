#pragma once

#include <functional>

namespace clicktrove::testing {

// Runs work in a forked child that is killed (SIGKILL) the moment it tries to rename a file into place: the
// point of a save where the new bytes are written out but the old file has not been replaced yet. Returns true
// when the child died there; false when it finished or died another way.
bool runAndCrashAtRename(const std::function<void()>& work);

}  // namespace clicktrove::testing
