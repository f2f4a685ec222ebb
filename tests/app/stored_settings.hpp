#pragma once

#include "services/settings_manager.hpp"
#include "support/temp_home.hpp"

#include <functional>

namespace clicktrove::testing {

// Leaves the program's settings under home as a user leaves them: the defaults with edit applied, stored by the
// program's own settings code, so that a launch under that home reads them as its own.
void storeSettings(const TempHome& home, const std::function<void(SettingsManager&)>& edit);

}  // namespace clicktrove::testing
