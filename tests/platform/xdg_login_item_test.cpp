#include "platform/xdg_login_item.hpp"
#include "support/scoped_env.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <filesystem>

using clicktrove::platform::LoginItem;
using clicktrove::platform::XdgLoginItem;
using clicktrove::testing::readFile;
using clicktrove::testing::TempHomeTest;
using clicktrove::testing::writeFile;
namespace fs = std::filesystem;

class XdgLoginItemTest : public TempHomeTest {
protected:
    fs::path entry() const { return tempHome.configHome() / "autostart" / XdgLoginItem::fileName(); }
    fs::path legacyEntry() const { return tempHome.configHome() / "autostart" / XdgLoginItem::legacyFileName; }
};

TEST_F(XdgLoginItemTest, StatusFollowsTheAutostartEntry) {
    struct Case {
        const char* name;
        const char* contents;  // nullptr: no entry
        LoginItem::Status expected;
    };
    const Case cases[] = {
        {"no entry", nullptr, LoginItem::Status::notRegistered},
        {"plain entry", "[Desktop Entry]\nType=Application\nExec=clicktrove\n", LoginItem::Status::enabled},
        {"hidden by the desktop", "[Desktop Entry]\nExec=clicktrove\nHidden = true\n",
         LoginItem::Status::notRegistered},
        {"hidden false", "[Desktop Entry]\nHidden=false\n", LoginItem::Status::enabled},
        {"hidden in another group only", "[Desktop Entry]\nExec=x\n[Desktop Action a]\nHidden=true\n",
         LoginItem::Status::enabled},
    };
    XdgLoginItem item("/usr/bin/clicktrove");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(entry());
        if (c.contents) writeFile(entry(), c.contents);
        EXPECT_EQ(item.status(), c.expected);
    }
    fs::remove(entry());
    fs::create_directories(entry());
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered) << "a folder in the entry's place starts nothing";
}

TEST_F(XdgLoginItemTest, RegisterWritesAnEntryAndUnregisterRemovesIt) {
    XdgLoginItem item("/opt/Click Trove/bin/clicktrove");
    std::string error;
    ASSERT_TRUE(item.registerItem(&error)) << error;
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
    const std::string text = readFile(entry());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\"/opt/Click Trove/bin/clicktrove\"\n"), std::string::npos) << text;

    // Registering over an entry the desktop hid enables it again.
    writeFile(entry(), "[Desktop Entry]\nHidden=true\n");
    ASSERT_TRUE(item.registerItem(&error)) << error;
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);

    ASSERT_TRUE(item.unregisterItem(&error)) << error;
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_TRUE(item.unregisterItem(&error)) << "not being registered is the wanted state";
}

TEST_F(XdgLoginItemTest, FailuresAreReportedWithAMessage) {
    XdgLoginItem item("/usr/bin/clicktrove");
    // A file where the autostart folder should be.
    writeFile(tempHome.configHome() / "autostart", "not a folder");
    std::string error;
    EXPECT_FALSE(item.registerItem(&error));
    EXPECT_NE(error.find("autostart"), std::string::npos) << error;
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);

    // A non-empty folder in the entry's place cannot be removed as a file.
    fs::remove(tempHome.configHome() / "autostart");
    writeFile(entry() / "keep", "x");
    error.clear();
    EXPECT_FALSE(item.unregisterItem(&error));
    EXPECT_NE(error.find(XdgLoginItem::fileName()), std::string::npos) << error;
}

TEST_F(XdgLoginItemTest, TheEntryIsNamedByTheApplicationIdAndCarriesItsIcon) {
    EXPECT_EQ(XdgLoginItem::fileName(), "org.example.clicktrove.Clicktrove.desktop");
    XdgLoginItem item("/usr/bin/clicktrove");
    std::string error;
    ASSERT_TRUE(item.registerItem(&error)) << error;
    EXPECT_NE(readFile(entry()).find("\nIcon=org.example.clicktrove.Clicktrove\n"), std::string::npos);
}

// Earlier versions wrote clicktrove.desktop: it still counts, and the next change leaves one entry only.
TEST_F(XdgLoginItemTest, AnEarlierVersionsEntryCountsAndGoesWithTheNextChange) {
    XdgLoginItem item("/usr/bin/clicktrove");
    writeFile(legacyEntry(), "[Desktop Entry]\nType=Application\nExec=/usr/bin/clicktrove\n");
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
    std::string error;
    ASSERT_TRUE(item.registerItem(&error)) << error;
    EXPECT_TRUE(fs::exists(entry()));
    EXPECT_FALSE(fs::exists(legacyEntry())) << "two entries would start two launches at login";

    writeFile(legacyEntry(), "[Desktop Entry]\nExec=/usr/bin/clicktrove\n");
    ASSERT_TRUE(item.unregisterItem(&error)) << error;
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_FALSE(fs::exists(legacyEntry()));
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);
}

std::string quoted(const std::string& text) {
    std::string out(1, '"');
    out.append(text).push_back('"');
    return out;
}

// Installed with its desktop entry, the program starts at login the way its menu entry starts it; a build run
// from elsewhere, or an entry that starts another copy, gets the program's own path.
TEST_F(XdgLoginItemTest, TheInstalledEntrysExecIsTakenWhenItStartsThisVeryProgram) {
    const fs::path bin = tempHome.root() / "prefix dir" / "bin";
    const fs::path program = bin / "clicktrove";
    writeFile(program, "#!/bin/sh\n");
    const fs::path otherProgram = tempHome.root() / "other" / "clicktrove";
    writeFile(otherProgram, "#!/bin/sh\n");
    const fs::path shared = tempHome.root() / "share";
    clicktrove::testing::ScopedEnv dataDirs("XDG_DATA_DIRS", shared.string());
    clicktrove::testing::ScopedEnv path("PATH", bin.string() + ":/usr/bin:/bin");

    struct Case {
        const char* name;
        std::string installedExec;  // empty: not installed
        std::string expectedExec;
    };
    const std::string ownExec = XdgLoginItem::execValue(program);
    const Case cases[] = {
        {"not installed", "", ownExec},
        {"by name, found in PATH", "clicktrove", "clicktrove"},
        {"by quoted full path", quoted(program.string()), quoted(program.string())},
        {"another copy", otherProgram.string(), ownExec},
        {"a program that is not there", "no-such-clicktrove", ownExec},
    };
    XdgLoginItem item(program);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(shared);
        if (!c.installedExec.empty()) {
            writeFile(shared / "applications" / XdgLoginItem::fileName(),
                      "[Desktop Entry]\nType=Application\nExec=" + c.installedExec + "\n");
        }
        std::string error;
        ASSERT_TRUE(item.registerItem(&error)) << error;
        EXPECT_NE(readFile(entry()).find("\nExec=" + c.expectedExec + "\n"), std::string::npos) << readFile(entry());
    }

    // An entry in the user's own data folder hides the system one, as it does in the menus.
    writeFile(shared / "applications" / XdgLoginItem::fileName(), "[Desktop Entry]\nExec=clicktrove\n");
    writeFile(tempHome.dataHome() / "applications" / XdgLoginItem::fileName(),
              "[Desktop Entry]\nExec=" + otherProgram.string() + "\n");
    EXPECT_EQ(XdgLoginItem::installedExec(program), std::nullopt);
}

TEST(XdgLoginItemExec, QuotesPathsAsDesktopEntriesRequire) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/clicktrove", "/usr/bin/clicktrove"},
        {"/home/a b/clicktrove", "\"/home/a b/clicktrove\""},
        {"/tmp/100%/ct", "\"/tmp/100%%/ct\""},
        {"/tmp/$HOME/ct", "\"/tmp/\\\\$HOME/ct\""},
        {"/tmp/back\\slash", "\"/tmp/back\\\\\\\\slash\""},
    };
    for (const auto& [path, exec] : cases) EXPECT_EQ(XdgLoginItem::execValue(path), exec) << path;
}

TEST(XdgLoginItemExec, StartsTheProgramAtItsPathAlsoAfterAnUpgradeReplacedIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/clicktrove", "/usr/bin/clicktrove"},
        {"/usr/bin/clicktrove (deleted)", "/usr/bin/clicktrove"},
        {"/opt/a (deleted) b/clicktrove", "/opt/a (deleted) b/clicktrove"},
    };
    for (const auto& [link, path] : cases) EXPECT_EQ(XdgLoginItem::programPath(link), path) << link;
}
