#include "support/temp_home.hpp"

#include <sys/stat.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace clicktrove::testing {

namespace fs = std::filesystem;

TempHome::TempHome() {
    std::string tmpl = (fs::temp_directory_path() / "clicktrove-test-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = tmpl;
    for (const auto& dir : {home(), configHome(), dataHome(), cacheHome(), stateHome(), runtimeDir()}) {
        fs::create_directories(dir);
    }
    ::chmod(runtimeDir().c_str(), 0700);
    set("HOME", home());
    set("XDG_CONFIG_HOME", configHome());
    set("XDG_DATA_HOME", dataHome());
    set("XDG_CACHE_HOME", cacheHome());
    set("XDG_STATE_HOME", stateHome());
    set("XDG_RUNTIME_DIR", runtimeDir());
}

TempHome::~TempHome() {
    env_.clear();
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
}

void TempHome::set(const char* name, const fs::path& value) {
    env_.push_back(std::make_unique<ScopedEnv>(name, value.string()));
}

void writeFile(const fs::path& path, const std::string& text) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace clicktrove::testing
