#include "platform/atomic_file.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <filesystem>

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
