#include "support/hostile_files.hpp"

#include "support/file_access.hpp"
#include "support/temp_home.hpp"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <fstream>

namespace clicktrove::testing {

namespace fs = std::filesystem;

namespace {

std::string nested(int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') + std::string(static_cast<std::size_t>(depth), ']');
}

}  // namespace

std::vector<HostileFile> hostileFiles() {
    using O = HostileFile::Outcome;
    return {
        {"a FIFO", [](const fs::path& f, const fs::path&) { ::mkfifo(f.c_str(), 0644); }, O::keptAside},
        {"a link to /dev/zero", [](const fs::path& f, const fs::path&) { fs::create_symlink("/dev/zero", f); },
         O::keptAside},
        {"a folder", [](const fs::path& f, const fs::path&) { writeFile(f / "inside", "kept"); }, O::keptAside},
        {"JSON nested 100,000 levels deep",
         [](const fs::path& f, const fs::path&) { writeFile(f, "{\"a\": " + nested(100000) + "}"); }, O::keptAside},
        {"a file over 64 MiB",
         [](const fs::path& f, const fs::path&) {
             writeFile(f, "[");
             fs::resize_file(f, std::uintmax_t{65} * 1024 * 1024);  // sparse: costs no disk
         },
         O::keptAside},
        {"truncated JSON", [](const fs::path& f, const fs::path&) { writeFile(f, "{\"theme\": \"Da"); }, O::keptAside},
        {"a dangling link",
         [](const fs::path& f, const fs::path& scratch) {
             fs::create_directories(scratch);
             fs::create_symlink(scratch / "not-yet.json", f);
         },
         O::startsAfresh},
        {"a link to itself", [](const fs::path& f, const fs::path&) { fs::create_symlink(f.filename(), f); },
         O::keptAside},
        {"a link from a read-only folder to a truncated file",
         [](const fs::path& f, const fs::path& scratch) {
             writeFile(scratch / "real.json", "[{\"name\": \"Mine\", \"con");
             fs::create_symlink(scratch / "real.json", f);
         },
         O::leftAlone, true},
    };
}

std::string fingerprint(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    switch (status.type()) {
        case fs::file_type::not_found:
            return "nothing";
        case fs::file_type::symlink:
            return "link to " + fs::read_symlink(path, ec).string();
        case fs::file_type::fifo:
            return "fifo";
        case fs::file_type::character:
            return "character device";
        case fs::file_type::directory: {
            std::vector<std::string> entries;
            for (const auto& e : fs::directory_iterator(path, ec)) {
                entries.push_back(e.path().filename().string() + "=" + fingerprint(e.path()));
            }
            std::sort(entries.begin(), entries.end());
            std::string text = "folder";
            for (const auto& e : entries) text += " " + e;
            return text;
        }
        case fs::file_type::regular: {
            const std::string bytes = readFile(path);
            return "file of " + std::to_string(bytes.size()) + " bytes, digest " +
                   std::to_string(std::hash<std::string>{}(bytes));
        }
        default:
            return "other";
    }
}

fs::path linkTarget(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path target = fs::read_symlink(path, ec);
    return target.is_absolute() ? target : path.parent_path() / target;
}

void underConditions(const HostileFile& row, const fs::path& file, const fs::path& top,
                     const std::function<void()>& work) {
    if (!row.readOnlyFolder) {
        work();
        return;
    }
    const fs::path folder = file.parent_path();
    // The unprivileged user reaches the folder, and the link's target folder stays writable to it.
    openToOthers(folder, top, 05);
    const fs::path targetFolder = linkTarget(file).parent_path();
    openToOthers(targetFolder, top, 07);
    fs::permissions(linkTarget(file), fs::perms::others_read | fs::perms::others_write, fs::perm_options::add);
    fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    {
        const ScopedUnprivilegedFileAccess unprivileged;
        work();
    }
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace clicktrove::testing
