#pragma once

#include <filesystem>
#include <vector>

namespace clicktrove::platform {

// The XDG base directories, read from the environment at each call (tests point them at temporary folders).
// Each falls back to the standard folder under $HOME when its variable is unset, empty or not absolute.
namespace xdg {
std::filesystem::path home();
std::filesystem::path configHome();  // $XDG_CONFIG_HOME or ~/.config
std::filesystem::path dataHome();    // $XDG_DATA_HOME or ~/.local/share ("Application Support")
std::filesystem::path cacheHome();   // $XDG_CACHE_HOME or ~/.cache ("Caches")
std::filesystem::path stateHome();   // $XDG_STATE_HOME or ~/.local/state
// $XDG_DATA_DIRS (its absolute entries, in order) or /usr/local/share and /usr/share.
std::vector<std::filesystem::path> dataDirs();
}  // namespace xdg

}  // namespace clicktrove::platform
