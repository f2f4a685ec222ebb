#include "platform/xdg_login_item.hpp"

#include "build_config.hpp"
#include "platform/atomic_file.hpp"
#include "platform/file_read.hpp"
#include "platform/xdg_paths.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <system_error>
#include <vector>

namespace clicktrove::platform {

namespace {
// A desktop entry is a few hundred bytes; anything far larger is not one.
constexpr std::size_t kMaxDesktopEntryBytes = 1024 * 1024;

std::string trim(std::string s) {
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    s.erase(s.begin(), std::find_if(s.begin(), s.end(), notSpace));
    s.erase(std::find_if(s.rbegin(), s.rend(), notSpace).base(), s.end());
    return s;
}

// The value of key in the entry's main group; the same key in an action group says nothing about the entry.
std::optional<std::string> mainGroupValue(const std::string& text, const std::string& key) {
    std::istringstream in(text);
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
        if (trim(line.substr(0, eq)) == key) return trim(line.substr(eq + 1));
    }
    return std::nullopt;
}

// A desktop entry's string value as text, its escapes (\s, \n, \t, \r, \\) undone.
std::string unescapeValue(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        out += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    }
    return out;
}

// The program an Exec= value starts: its first word, unquoted, looked up in PATH when it has no slash.
std::optional<std::filesystem::path> execProgram(const std::string& rawExec) {
    const std::string exec = unescapeValue(rawExec);
    std::string word;
    if (!exec.empty() && exec[0] == '"') {
        // Inside quotes a backslash takes the character after it literally.
        for (std::size_t i = 1; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
            word += exec[i];
        }
    } else {
        word = exec.substr(0, exec.find_first_of(" \t"));
    }
    if (word.empty()) return std::nullopt;
    if (word.find('/') != std::string::npos) return std::filesystem::path(word);
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        const auto candidate = std::filesystem::path(dir) / word;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

std::filesystem::path ownExecutable() {
    std::error_code ec;
    const auto link = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path("clicktrove") : XdgLoginItem::programPath(link);
}
}  // namespace

bool XdgLoginItem::entryIsHidden(std::string_view entry) {
    return mainGroupValue(std::string(entry), "Hidden") == "true";
}

std::filesystem::path XdgLoginItem::programPath(const std::filesystem::path& procExeLink) {
    // The kernel marks the link once the file was replaced, as a package upgrade does while the program runs;
    // the upgraded program sits at the same path.
    static constexpr std::string_view replaced = " (deleted)";
    std::string text = procExeLink.string();
    if (text.ends_with(replaced)) text.erase(text.size() - replaced.size());
    return text;
}

XdgLoginItem::XdgLoginItem(std::filesystem::path executable) : executable_(std::move(executable)) {}

const std::string& XdgLoginItem::fileName() {
    static const std::string name = std::string(CLICKTROVE_APP_ID) + ".desktop";
    return name;
}

std::filesystem::path XdgLoginItem::entryPath() {
    return xdg::configHome() / "autostart" / fileName();
}

std::optional<std::string> XdgLoginItem::installedExec(const std::filesystem::path& program) {
    std::vector<std::filesystem::path> dataDirs{xdg::dataHome()};
    for (auto& dir : xdg::dataDirs()) dataDirs.push_back(std::move(dir));
    for (const auto& dir : dataDirs) {
        // The first entry of that name hides the others, as the desktop's own lookup does.
        const FileRead entry = readRegularFile(dir / "applications" / fileName(), kMaxDesktopEntryBytes);
        if (!entry.ok()) continue;
        const auto exec = mainGroupValue(entry.contents, "Exec");
        const auto started = exec ? execProgram(*exec) : std::nullopt;
        std::error_code ec;
        if (!started || !std::filesystem::equivalent(*started, program, ec)) return std::nullopt;
        return exec;
    }
    return std::nullopt;
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
    for (const auto& path : {entryPath(), entryPath().parent_path() / legacyFileName}) {
        const FileRead entry = readRegularFile(path, kMaxDesktopEntryBytes);
        if (entry.ok() && !entryIsHidden(entry.contents)) return Status::enabled;
    }
    return Status::notRegistered;
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
    const std::string exec = installedExec(executable).value_or(execValue(executable));
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Clicktrove\n"
        "Comment=Automated mouse clicks\n"
        "Exec=" +
        exec +
        "\n"
        "Icon=" CLICKTROVE_APP_ID
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    // What a registration killed half-way left beside the entry.
    removeStaleTemporaries(path);
    if (!writeFileAtomically(path, entry, error)) return false;
    // One entry only: an earlier version's entry beside it would start a second launch at login.
    std::filesystem::remove(path.parent_path() / legacyFileName, ec);
    return true;
}

bool XdgLoginItem::unregisterItem(std::string* error) {
    for (const auto& path : {entryPath(), entryPath().parent_path() / legacyFileName}) {
        std::error_code ec;
        // Not being registered is the wanted end state, not a failure.
        if (!std::filesystem::remove(path, ec) && ec && ec != std::errc::no_such_file_or_directory) {
            if (error) *error = "cannot remove " + path.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

}  // namespace clicktrove::platform
