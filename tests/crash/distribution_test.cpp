#include "crash/distribution.hpp"

#include "support/temp_home.hpp"

#include <gtest/gtest.h>

namespace clicktrove::crash {
namespace {

TEST(Distribution, ReadsTheNameAndVersionOfAnOsReleaseFile) {
    struct Case {
        const char* text;
        const char* name;
        const char* version;
    };
    for (const Case& c : {
             Case{"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n"
                  "VERSION=\"12 (bookworm)\"\nID=debian\n",
                  "Debian GNU/Linux", "12"},
             Case{"NAME=Fedora\nVERSION=\"39 (Workstation Edition)\"\n", "Fedora", "39 (Workstation Edition)"},
             // Rolling releases have no version; a file without a name still has its ID.
             Case{"NAME=\"Arch Linux\"\nBUILD_ID=rolling\n", "Arch Linux", ""},
             Case{"ID=alpine\nVERSION_ID=3.19.1\n", "alpine", "3.19.1"},
             // Shell quoting: escapes in double quotes, none in single ones, a later assignment wins.
             Case{"NAME='It\\'s'\nNAME=\"Say \\\"hi\\\" \\$HOME \\\\ \\`x\\`\"\n", "Say \"hi\" $HOME \\ `x`", ""},
             Case{"  # a comment\n\nNAME='Single \"quoted\"' # trailing\nVERSION_ID=1\r\n", "Single \"quoted\"", "1"},
             // What cannot be read is left out: an unclosed quote, a key that is none, control characters.
             Case{"NAME=\"Unclosed\nID=fallback\n", "fallback", ""},
             Case{"name=lower\nNAME =spaced\n=empty\nNAME=\"Tab\tand\x01 bell\"\n", "Taband bell", ""},
             Case{"", "", ""},
         }) {
        SCOPED_TRACE(c.text);
        const Distribution distribution = Distribution::fromOsRelease(c.text);
        EXPECT_EQ(distribution.name, c.name);
        EXPECT_EQ(distribution.version, c.version);
    }
}

TEST(Distribution, KeepsAFieldShortWithoutCuttingACharacter) {
    const std::string name = "NAME=\"" + std::string(119, 'a') + "\xc3\xa9" + std::string(50, 'b') + "\"\n";
    EXPECT_EQ(Distribution::fromOsRelease(name).name, std::string(119, 'a'));
}

TEST(Distribution, ReadsEtcFirstAndTheVendorsFileOnlyWhereEtcHasNone) {
    clicktrove::testing::TempHome home;
    const auto root = home.root() / "system";
    clicktrove::testing::writeFile(root / "usr/lib/os-release", "NAME=Vendor\nVERSION_ID=2\n");
    EXPECT_EQ(Distribution::ofThisSystem(root).name, "Vendor");
    clicktrove::testing::writeFile(root / "etc/os-release", "NAME=Local\n");
    EXPECT_EQ(Distribution::ofThisSystem(root).name, "Local");
    EXPECT_EQ(Distribution::ofThisSystem(home.root() / "nowhere").name, "");
}

}  // namespace
}  // namespace clicktrove::crash
