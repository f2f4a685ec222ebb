#include "support/process_sandbox.hpp"

#include "support/temp_home.hpp"

#include <sys/stat.h>
#include <cstdlib>
#include <system_error>

namespace clicktrove::testing {

namespace fs = std::filesystem;

namespace {

// Generic names map to the DejaVu faces, and any other family falls back to the sans face, the way the
// desktop's own configuration does it; the math face is left out so that no lookup can land on it. With the
// system cache first and a private one behind it, a stale system cache costs a rescan but never a warning.
std::string fontConfig(const fs::path& cacheDir) {
    auto alias = [](const char* family, const char* face) {
        return std::string("  <alias binding=\"same\"><family>") + family + "</family><prefer><family>" + face +
               "</family></prefer></alias>\n";
    };
    std::string text =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
        "<fontconfig>\n"
        "  <dir>" +
        std::string(ProcessSandbox::kFontDir) +
        "</dir>\n"
        "  <cachedir>/var/cache/fontconfig</cachedir>\n"
        "  <cachedir>" +
        cacheDir.string() +
        "</cachedir>\n"
        "  <selectfont><rejectfont><pattern><patelt name=\"family\"><string>DejaVu Math TeX Gyre</string>"
        "</patelt></pattern></rejectfont></selectfont>\n";
    text += alias("sans-serif", "DejaVu Sans");
    text += alias("Sans Serif", "DejaVu Sans");
    text += alias("sans", "DejaVu Sans");
    text += alias("serif", "DejaVu Serif");
    text += alias("monospace", "DejaVu Sans Mono");
    text +=
        "  <match target=\"pattern\">\n"
        "    <test qual=\"all\" name=\"family\" compare=\"not_eq\"><string>sans-serif</string></test>\n"
        "    <test qual=\"all\" name=\"family\" compare=\"not_eq\"><string>serif</string></test>\n"
        "    <test qual=\"all\" name=\"family\" compare=\"not_eq\"><string>monospace</string></test>\n"
        "    <edit name=\"family\" mode=\"append_last\"><string>sans-serif</string></edit>\n"
        "  </match>\n"
        "</fontconfig>\n";
    return text;
}

void collect(const fs::path& root, const fs::path& folder, std::vector<std::string>& out) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        out.push_back(fs::relative(it->path(), root, ec).string());
    }
}

}  // namespace

ProcessSandbox::ProcessSandbox() {
    std::string tmpl = (fs::temp_directory_path() / "clicktrove-tests-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) return;
    root_ = tmpl;
    // Others may pass through (not list): tests that check file permissions as an unprivileged user reach their
    // temporary homes below.
    ::chmod(root_.c_str(), 0711);
    std::error_code ec;
    for (const auto& dir : {tempDir(), home(), qtSettingsDir(), root_ / "runtime", root_ / "fontconfig"}) {
        fs::create_directories(dir, ec);
    }
    ::chmod((root_ / "runtime").c_str(), 0700);
    writeFontConfig();
    set("TMPDIR", tempDir());
    set("HOME", home());
    // Not created: a folder that appears under the stand-in home is a leftover of some test.
    set("XDG_CONFIG_HOME", home() / ".config");
    set("XDG_DATA_HOME", home() / ".local" / "share");
    set("XDG_CACHE_HOME", home() / ".cache");
    set("XDG_STATE_HOME", home() / ".local" / "state");
    set("XDG_RUNTIME_DIR", root_ / "runtime");
    // Host fonts decide metrics, fixed pitch and fallbacks; the tests see the same faces on every machine.
    set("FONTCONFIG_FILE", root_ / "fontconfig" / "fonts.conf");
    // The host's locale would decide number and date formats.
    set("LC_ALL", "C.UTF-8");
    set("LANG", "C.UTF-8");
    set("LANGUAGE", "");
    set("TZ", "UTC");
}

ProcessSandbox::~ProcessSandbox() {
    env_.clear();
    if (root_.empty()) return;
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void ProcessSandbox::set(const char* name, const fs::path& value) {
    env_.push_back(std::make_unique<ScopedEnv>(name, value.string()));
}

void ProcessSandbox::writeFontConfig() {
    const fs::path cache = root_ / "fontconfig" / "cache";
    std::error_code ec;
    fs::create_directories(cache, ec);
    writeFile(root_ / "fontconfig" / "fonts.conf", fontConfig(cache));
}

std::vector<std::string> ProcessSandbox::leftovers() const {
    std::vector<std::string> found;
    if (root_.empty()) return found;
    collect(root_, tempDir(), found);
    collect(root_, home(), found);
    return found;
}

}  // namespace clicktrove::testing
