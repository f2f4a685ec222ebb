#pragma once

#include "platform/login_item.hpp"

#include <filesystem>
#include <string>
#include <string_view>

namespace clicktrove::platform {

// Launch at login through XDG autostart: $XDG_CONFIG_HOME/autostart/clicktrove.desktop. The entry counts as
// enabled while it exists and is not marked Hidden (desktops hide an entry the user switched off there).
class XdgLoginItem final : public LoginItem {
public:
    static constexpr const char* fileName = "clicktrove.desktop";

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
    // Whether a desktop entry's text marks it Hidden=true in its [Desktop Entry] group.
    static bool entryIsHidden(std::string_view entry);

private:
    std::filesystem::path executable_;
};

}  // namespace clicktrove::platform
