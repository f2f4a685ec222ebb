#include "platform/xdg_login_item.hpp"

#include "platform/atomic_file.hpp"
#include "platform/file_read.hpp"
#include "platform/xdg_paths.hpp"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <system_error>

namespace clicktrove::platform {

namespace {
std::string trim(std::string s) {
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    s.erase(s.begin(), std::find_if(s.begin(), s.end(), notSpace));
    s.erase(std::find_if(s.rbegin(), s.rend(), notSpace).base(), s.end());
    return s;
}

}  // namespace

bool XdgLoginItem::entryIsHidden(std::string_view entry) {
    // Only the main group counts; the same key in an action group says nothing about the entry.
    std::istringstream in{std::string(entry)};
    std::string line;
    bool inMainGroup = false;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (trim(line.substr(0, eq)) == "Hidden") return trim(line.substr(eq + 1)) == "true";
    }
    return false;
}

namespace {
std::filesystem::path ownExecutable() {
    std::error_code ec;
    const auto link = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path("clicktrove") : XdgLoginItem::programPath(link);
}
}  // namespace

std::filesystem::path XdgLoginItem::programPath(const std::filesystem::path& procExeLink) {
    // The kernel marks the link once the file was replaced, as a package upgrade does while the program runs;
    // the upgraded program sits at the same path.
    static constexpr std::string_view replaced = " (deleted)";
    std::string text = procExeLink.string();
    if (text.ends_with(replaced)) text.erase(text.size() - replaced.size());
    return text;
}

XdgLoginItem::XdgLoginItem(std::filesystem::path executable) : executable_(std::move(executable)) {}

std::filesystem::path XdgLoginItem::entryPath() {
    return xdg::configHome() / "autostart" / fileName;
}

std::string XdgLoginItem::execValue(const std::filesystem::path& executable) {
    const std::string raw = executable.string();
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    if (raw.find_first_of(reserved) == std::string::npos && raw.find('%') == std::string::npos) return raw;
    // Inside double quotes, ", `, $ and \ take a backslash, and the value's own string escaping doubles every
    // backslash again: a literal backslash becomes four. % is doubled as the field-code escape.
    std::string out = "\"";
    for (const char c : raw) {
        if (c == '\\') {
            out += "\\\\\\\\";
            continue;
        }
        if (c == '"' || c == '`' || c == '$') out += "\\\\";
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

LoginItem::Status XdgLoginItem::status() const {
    // A desktop entry is a few hundred bytes; anything far larger is not one.
    const FileRead entry = readRegularFile(entryPath(), 1024 * 1024);
    if (!entry.ok()) return Status::notRegistered;
    return entryIsHidden(entry.contents) ? Status::notRegistered : Status::enabled;
}

bool XdgLoginItem::registerItem(std::string* error) {
    const auto path = entryPath();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
        if (error) *error = "cannot create " + path.parent_path().string() + ": " + ec.message();
        return false;
    }
    const auto executable = executable_.empty() ? ownExecutable() : executable_;
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Clicktrove\n"
        "Comment=Automated mouse clicks\n"
        "Exec=" +
        execValue(executable) +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    // What a registration killed half-way left beside the entry.
    removeStaleTemporaries(path);
    return writeFileAtomically(path, entry, error);
}

bool XdgLoginItem::unregisterItem(std::string* error) {
    const auto path = entryPath();
    std::error_code ec;
    // Not being registered is the wanted end state, not a failure.
    if (!std::filesystem::remove(path, ec) && ec && ec != std::errc::no_such_file_or_directory) {
        if (error) *error = "cannot remove " + path.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace clicktrove::platform
