#pragma once

#include "platform/login_item.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace clicktrove::platform {

// Launch at login through XDG autostart: $XDG_CONFIG_HOME/autostart/<application id>.desktop. The entry counts
// as enabled while it exists and is not marked Hidden (desktops hide an entry the user switched off there).
// Where the program was installed with its desktop entry, the autostart entry starts it the way that entry
// does; otherwise it names the program's own path.
class XdgLoginItem final : public LoginItem {
public:
    static const std::string& fileName();
    // The name earlier versions wrote; counted as the program's entry and removed on the next change.
    static constexpr const char* legacyFileName = "clicktrove.desktop";

    // executable: what the entry starts; empty means this process's own executable.
    explicit XdgLoginItem(std::filesystem::path executable = {});

    Status status() const override;
    bool registerItem(std::string* error) override;
    bool unregisterItem(std::string* error) override;

    // Resolved at each call, so a changed XDG_CONFIG_HOME is honoured.
    static std::filesystem::path entryPath();
    // The program's path from the target of /proc/self/exe, also after the file there was replaced.
    static std::filesystem::path programPath(const std::filesystem::path& procExeLink);
    // The Exec= value for a program path, quoted as desktop entries require.
    static std::string execValue(const std::filesystem::path& executable);
    // The Exec= value of the installed desktop entry (<application id>.desktop in the XDG data directories)
    // when that entry starts this very program; none when it is not installed or starts another copy.
    static std::optional<std::string> installedExec(const std::filesystem::path& program);
    // Whether a desktop entry's text marks it Hidden=true in its [Desktop Entry] group.
    static bool entryIsHidden(std::string_view entry);

private:
    std::filesystem::path executable_;
};

}  // namespace clicktrove::platform
