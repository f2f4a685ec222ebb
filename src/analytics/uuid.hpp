#pragma once

#include <string>

namespace clicktrove::analytics {

// A random (version 4) UUID in its canonical text: upper-case hexadecimal in groups of 8-4-4-4-12.
std::string randomUuidString();

}  // namespace clicktrove::analytics
