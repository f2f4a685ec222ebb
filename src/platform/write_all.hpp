#pragma once

#include <string_view>

namespace clicktrove::platform {

// Writes all of contents to the file descriptor, going on after short writes and interrupted calls. Returns
// false, with errno telling why, when a write fails.
bool writeAll(int fd, std::string_view contents);

}  // namespace clicktrove::platform
