#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace clicktrove::crash {

// The Linux distribution a crash happened on, as its os-release file (os-release(5)) names it: the kernel alone
// does not tell a maintainer which libraries and patches were in play.
struct Distribution {
    std::string name;     // NAME, or ID when there is no NAME; empty when the file says neither
    std::string version;  // VERSION_ID, or VERSION when there is no VERSION_ID; may be empty (rolling releases)

    // Reads the shell-style assignments of an os-release file: quoted values (double quotes with backslash
    // escapes, single quotes without), unquoted ones, comments; a later assignment wins. A value that is not
    // closed is ignored, and control characters are left out, so each field is one line of plain text.
    static Distribution fromOsRelease(std::string_view text);
    // /etc/os-release, or /usr/lib/os-release where that is missing, under root; nothing when neither reads.
    static Distribution ofThisSystem(const std::filesystem::path& root = "/");
};

}  // namespace clicktrove::crash
