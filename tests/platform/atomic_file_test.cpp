#include "platform/atomic_file.hpp"
#include "support/file_access.hpp"
#include "support/temp_home.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>
#include <filesystem>
#include <optional>

using clicktrove::platform::removeStaleTemporaries;
using clicktrove::platform::writeFileAtomically;
using clicktrove::testing::readFile;
using clicktrove::testing::ScopedUmask;
using clicktrove::testing::TempHomeTest;
using clicktrove::testing::writeFile;
namespace fs = std::filesystem;

class AtomicFileTest : public TempHomeTest {};

TEST_F(AtomicFileTest, ReplacesContentsAndLeavesNoTemporaryFile) {
    const auto path = tempHome.root() / "data.json";
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    ASSERT_TRUE(writeFileAtomically(path, "new contents"));
    EXPECT_EQ(readFile(path), "new contents");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(tempHome.root())) ++entries;
    EXPECT_EQ(entries, 7);  // the six XDG folders and data.json
}

TEST_F(AtomicFileTest, FailedRenameReportsAndLeavesNoTemporaryFile) {
    // A non-empty folder in the target's place makes the final rename fail (this works as root too).
    const auto target = tempHome.root() / "presets.json";
    clicktrove::testing::writeFile(target / "keep", "precious");
    std::string error;
    EXPECT_FALSE(writeFileAtomically(target, "replacement", &error));
    EXPECT_NE(error.find("presets.json"), std::string::npos);
    EXPECT_EQ(clicktrove::testing::readFile(target / "keep"), "precious");
    for (const auto& e : std::filesystem::directory_iterator(tempHome.root())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }
}

TEST_F(AtomicFileTest, NewFilesGetWhatTheUmaskAllowsAndExistingOnesKeepTheirMode) {
    const struct {
        mode_t umask;
        fs::perms fresh;
    } cases[] = {
        {022, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read},
        {077, fs::perms::owner_read | fs::perms::owner_write},
        {002, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write |
                  fs::perms::others_read},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.umask);
        const ScopedUmask umask(c.umask);
        const auto fresh = tempHome.root() / ("fresh-" + std::to_string(c.umask) + ".json");
        ASSERT_TRUE(writeFileAtomically(fresh, "new"));
        EXPECT_EQ(fs::status(fresh).permissions(), c.fresh);

        // The user's own choice for a file stays, whatever the umask says.
        const auto chosen = tempHome.root() / ("chosen-" + std::to_string(c.umask) + ".json");
        writeFile(chosen, "old");
        fs::permissions(chosen, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        ASSERT_TRUE(writeFileAtomically(chosen, "new"));
        EXPECT_EQ(fs::status(chosen).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }
}

TEST_F(AtomicFileTest, KeepsTheLinkThatPointsAtTheFile) {
    // A settings file kept elsewhere and linked into place.
    const auto real = tempHome.root() / "dotfiles" / "settings.json";
    writeFile(real, "old");
    const auto link = tempHome.root() / "settings.json";
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "new");
    for (const auto& e : fs::directory_iterator(real.parent_path())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }

    // A link into a folder that no longer exists would make every save fail; the link gives way instead.
    fs::remove_all(real.parent_path());
    ASSERT_TRUE(writeFileAtomically(link, "newest"));
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(readFile(link), "newest");
}

TEST_F(AtomicFileTest, NeverReplacesADeviceOrFifoThatALinkNames) {
    const auto fifo = tempHome.root() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<const char*, fs::path> cases[] = {{"/dev/null", "/dev/null"}, {"a FIFO", fifo}};
    for (const auto& [name, target] : cases) {
        SCOPED_TRACE(name);
        const auto link = tempHome.root() / "data.json";
        fs::remove(link);
        fs::create_symlink(target, link);
        std::string error;
        EXPECT_FALSE(writeFileAtomically(link, "data", &error));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
        EXPECT_FALSE(fs::is_regular_file(target));
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(AtomicFileTest, TheNextStartRemovesWhatAKilledSaveLeftButNotASaveStillWriting) {
    const auto file = tempHome.root() / "presets.json";
    writeFile(file, "kept");
    const auto stale = tempHome.root() / ".presets.json.tmp-Ab12Cd34Ef";
    const auto writing = tempHome.root() / ".presets.json.tmp-Zz99Yy88Xx";
    writeFile(stale, "half a save");
    writeFile(writing, "a save in progress");
    // Another process's save holds its temporary file locked until its rename.
    const int held = ::open(writing.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const std::vector<fs::path> unrelated = {
        tempHome.root() / ".history.json.tmp-Ab12Cd34Ef",  // another file's
        tempHome.root() / "presets.json.tmp-Ab12Cd34Ef",   // not hidden: not one of ours
        tempHome.root() / ".presets.json.tmp-",            // no random part
    };
    for (const auto& path : unrelated) writeFile(path, "other");

    EXPECT_EQ(removeStaleTemporaries(file), 1);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(writing));
    for (const auto& path : unrelated) EXPECT_TRUE(fs::exists(path)) << path;
    EXPECT_EQ(readFile(file), "kept");
    ::close(held);
    EXPECT_EQ(removeStaleTemporaries(file), 1) << "once its writer is gone it is stale as well";
}
