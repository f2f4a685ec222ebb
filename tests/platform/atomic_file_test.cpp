#include "platform/atomic_file.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <filesystem>
#include <optional>

using clicktrove::platform::readWholeFile;
using clicktrove::platform::writeFileAtomically;
using clicktrove::testing::TempHomeTest;

class AtomicFileTest : public TempHomeTest {};

TEST_F(AtomicFileTest, ReplacesContentsAndLeavesNoTemporaryFile) {
    const auto path = tempHome.root() / "data.json";
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    ASSERT_TRUE(writeFileAtomically(path, "new contents"));
    std::string read;
    ASSERT_TRUE(readWholeFile(path, read));
    EXPECT_EQ(read, "new contents");
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

TEST_F(AtomicFileTest, KeepsTheFilesPermissionsAndTheLinkThatPointsAtIt) {
    namespace fs = std::filesystem;
    const auto privateFile = tempHome.root() / "private.json";
    clicktrove::testing::writeFile(privateFile, "old");
    fs::permissions(privateFile, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(writeFileAtomically(privateFile, "new"));
    EXPECT_EQ(fs::status(privateFile).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    const auto fresh = tempHome.root() / "fresh.json";
    ASSERT_TRUE(writeFileAtomically(fresh, "new"));
    EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);

    // A settings file kept elsewhere and linked into place.
    const auto real = tempHome.root() / "dotfiles" / "settings.json";
    clicktrove::testing::writeFile(real, "old");
    const auto link = tempHome.root() / "settings.json";
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(clicktrove::testing::readFile(real), "new");
    for (const auto& e : fs::directory_iterator(real.parent_path())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }

    // A link into a folder that no longer exists would make every save fail; the link gives way instead.
    fs::remove_all(real.parent_path());
    ASSERT_TRUE(writeFileAtomically(link, "newest"));
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(clicktrove::testing::readFile(link), "newest");
}

TEST_F(AtomicFileTest, ReadsWholeFilesAndFailsForAFolderOrNothing) {
    const auto file = tempHome.root() / "data.bin";
    const std::string bytes = std::string("a\0b", 3) + std::string(200000, 'x');
    clicktrove::testing::writeFile(file, bytes);
    const std::pair<std::filesystem::path, std::optional<std::string>> cases[] = {
        {file, bytes},
        {tempHome.root(), std::nullopt},
        {tempHome.root() / "missing", std::nullopt},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path.string());
        std::string read = "left alone on failure";
        std::string error;
        EXPECT_EQ(readWholeFile(path, read, &error), expected.has_value());
        EXPECT_EQ(read, expected.value_or("left alone on failure"));
        EXPECT_EQ(error.empty(), expected.has_value());
    }
}
