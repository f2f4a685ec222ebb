#include "services/profile_manager.hpp"
#include "engine/model_json.hpp"
#include "rename_watch.hpp"
#include "storage_fixture.hpp"

#include <gtest/gtest.h>
#include <QVariant>
#include <nlohmann/json.hpp>

using namespace clicktrove;
using clicktrove::testing::readFile;
using clicktrove::testing::renamesOnto;
using clicktrove::testing::writeFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> names(const std::vector<ClickPreset>& presets) {
    std::vector<std::string> out;
    for (const auto& p : presets) out.push_back(p.name);
    return out;
}

const std::vector<std::string> kDefaultNames = {"Gaming Speed Clicker", "Office Automation", "Quality Testing Mode"};

}  // namespace

class ProfileManagerTest : public clicktrove::testing::StorageFixture {
protected:
    std::unique_ptr<ProfileManager> start() {
        return std::make_unique<ProfileManager>(
            storage(), clock, [this](const platform::FileProblem& problem) { problems.push_back(problem); });
    }
    int presetWrites() const { return renamesOnto(presetsFile()); }
    std::vector<ClickPreset> onDisk() {
        return fromJsonText<std::vector<ClickPreset>>(readFile(presetsFile())).value_or(std::vector<ClickPreset>{});
    }
    // What the managers reported about the presets file.
    std::vector<platform::FileProblem> problems;
    // Starts with exactly these presets stored.
    std::unique_ptr<ProfileManager> startWith(const std::vector<ClickPreset>& presets) {
        writeFile(presetsFile(), *toPrettyJsonText(presets));
        return start();
    }
};

TEST_F(ProfileManagerTest, FirstStartSeedsTheThreeDefaultsAndStoresThem) {
    const auto manager = start();
    const auto& presets = manager->presets();
    ASSERT_EQ(names(presets), kDefaultNames);
    EXPECT_EQ(onDisk(), presets);
    // The load is written back (an empty list), then the defaults.
    EXPECT_EQ(presetWrites(), 2);

    struct Expected {
        bool favorite;
        ClickType type;
        std::int64_t seconds, milliseconds;
        bool randomize;
        double range;
        std::uint64_t totalNs;
    };
    const Expected expected[] = {
        {true, ClickType::left, 1, 50, true, 10.0, 1'050'000'000},
        {false, ClickType::left, 2, 0, false, 50.0, 2'000'000'000},
        {false, ClickType::doubleClick, 5, 0, false, 50.0, 5'000'000'000},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(presets[i].name);
        const auto& e = expected[i];
        const auto& c = presets[i].config;
        EXPECT_EQ(presets[i].isFavorite, e.favorite);
        EXPECT_EQ(presets[i].createdAt, clock.now());
        EXPECT_EQ(c.clickType, e.type);
        EXPECT_EQ(c.intervalSeconds, e.seconds);
        EXPECT_EQ(c.intervalMilliseconds, e.milliseconds);
        EXPECT_EQ(c.randomizeInterval, e.randomize);
        EXPECT_EQ(c.intervalRandomRangeMs, e.range);
        EXPECT_EQ(c.totalIntervalNanoseconds(), e.totalNs);
        // Everything else keeps the configuration's defaults.
        ClickConfig rest = c;
        rest.clickType = ClickType::left;
        rest.intervalSeconds = 1;
        rest.intervalMilliseconds = 0;
        rest.randomizeInterval = false;
        rest.intervalRandomRangeMs = 50.0;
        EXPECT_EQ(rest, ClickConfig(clock.now()));
    }
    EXPECT_NE(presets[0].id, presets[1].id);
}

TEST_F(ProfileManagerTest, StoredPresetsLoadAsTheyAreAndAreWrittenBackOnce) {
    const std::vector<ClickPreset> stored = {ClickPreset("B", ClickConfig(clock.now()), true, clock.now()),
                                             ClickPreset("A", ClickConfig(clock.now()), false, clock.now() - 1h)};
    const auto manager = startWith(stored);
    EXPECT_EQ(manager->presets(), stored);
    EXPECT_EQ(presetWrites(), 1);
}

TEST_F(ProfileManagerTest, DefaultsReturnWhenNothingUsableIsStored) {
    struct Case {
        const char* what;
        std::string contents;
        bool keptAside;
    };
    const std::vector<Case> cases = {
        {"every preset deleted", "[]", false},
        {"one malformed element", R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"Mine"}])", true},
        {"not JSON", "{{{", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(appFolder());
        restart();
        problems.clear();
        writeFile(presetsFile(), c.contents);
        const auto manager = start();
        EXPECT_EQ(names(manager->presets()), kDefaultNames);
        EXPECT_EQ(onDisk(), manager->presets());
        EXPECT_EQ(folderEntries().size(), c.keptAside ? 2u : 1u);
        ASSERT_EQ(problems.size(), c.keptAside ? 1u : 0u) << "the user hears of a list that became the defaults";
        if (c.keptAside) {
            EXPECT_EQ(readFile(appFolder() / "presets.json.unreadable-20260101T000000Z"), c.contents);
            EXPECT_EQ(problems[0].kind, platform::FileProblem::Kind::keptAside);
            EXPECT_EQ(problems[0].keptAs, appFolder() / "presets.json.unreadable-20260101T000000Z");
        }
    }
}

TEST_F(ProfileManagerTest, DeletingEveryPresetBringsFreshDefaultsAtTheNextStart) {
    std::vector<Uuid> firstIds;
    {
        const auto manager = start();
        for (const auto& p : manager->presets()) firstIds.push_back(p.id);
        for (const auto& id : firstIds) manager->deletePreset(id);
        EXPECT_TRUE(manager->presets().empty());
        EXPECT_EQ(readFile(presetsFile()), "[]");
    }
    clock.advance(1h);
    restart();
    const auto manager = start();
    ASSERT_EQ(names(manager->presets()), kDefaultNames);
    for (const auto& p : manager->presets()) {
        EXPECT_EQ(std::count(firstIds.begin(), firstIds.end(), p.id), 0);
        EXPECT_EQ(p.createdAt, clock.now());
    }
}

TEST_F(ProfileManagerTest, AddAndDuplicateAppendNewPresetsWithoutCheckingNames) {
    const auto manager = startWith({ClickPreset("Office Automation", ClickConfig(clock.now()), true, clock.now())});
    const ClickPreset office = manager->presets()[0];
    clock.advance(5s);
    ClickConfig config(clock.now());
    config.maxClicks = 12;

    manager->addPreset("Office Automation", config);
    manager->addPreset("", config);
    manager->duplicatePreset(office);
    manager->duplicatePreset(office);
    manager->duplicatePreset(manager->presets().back());
    // The source of a copy need not be in the list any more.
    const ClickPreset gone("Gone", config, true, clock.now());
    manager->duplicatePreset(gone);

    const auto& presets = manager->presets();
    EXPECT_EQ(names(presets),
              (std::vector<std::string>{"Office Automation", "Office Automation", "", "Office Automation Copy",
                                        "Office Automation Copy", "Office Automation Copy Copy", "Gone Copy"}));
    for (std::size_t i = 1; i < presets.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(presets[i].isFavorite);
        EXPECT_EQ(presets[i].createdAt, clock.now());
        EXPECT_EQ(presets[i].config, i <= 2 || i == 6 ? config : office.config);
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(presets[i].id, presets[j].id);
    }
    EXPECT_EQ(onDisk(), presets);
    EXPECT_EQ(presetWrites(), 1 + 6);
}

TEST_F(ProfileManagerTest, ToggleAndRenameChangeTheFirstMatchAndWriteNothingForAnUnknownId) {
    const ClickPreset first("First", ClickConfig(clock.now()), false, clock.now());
    ClickPreset twin = first;  // the same id twice: only the first is changed
    twin.name = "Twin";
    const auto manager = startWith({first, twin});
    int changed = 0;
    QObject::connect(manager.get(), &ProfileManager::presetsChanged, [&] { ++changed; });
    const int writes = presetWrites();
    const Uuid unknown = Uuid::random();

    manager->toggleFavorite(unknown);
    manager->renamePreset(unknown, "Nobody");
    EXPECT_EQ(presetWrites(), writes);
    EXPECT_EQ(changed, 0);

    manager->toggleFavorite(first.id);
    manager->renamePreset(first.id, "  Renamed\t");
    EXPECT_EQ(presetWrites(), writes + 2);
    EXPECT_EQ(changed, 2);
    ASSERT_EQ(manager->presets().size(), 2u);
    EXPECT_TRUE(manager->presets()[0].isFavorite);
    EXPECT_EQ(manager->presets()[0].name, "  Renamed\t");
    EXPECT_FALSE(manager->presets()[1].isFavorite);
    EXPECT_EQ(manager->presets()[1].name, "Twin");
    EXPECT_EQ(onDisk(), manager->presets());

    manager->toggleFavorite(first.id);
    EXPECT_FALSE(manager->presets()[0].isFavorite);
}

TEST_F(ProfileManagerTest, DeleteRemovesEveryMatchAndAlwaysWrites) {
    const ClickPreset a("A", ClickConfig(clock.now()), false, clock.now());
    const ClickPreset b("B", ClickConfig(clock.now()), false, clock.now());
    ClickPreset aAgain = a;
    aAgain.name = "A again";
    const auto manager = startWith({a, b, aAgain});
    int changed = 0;
    QObject::connect(manager.get(), &ProfileManager::presetsChanged, [&] { ++changed; });
    const int writes = presetWrites();

    manager->deletePreset(Uuid::random());
    EXPECT_EQ(names(manager->presets()), (std::vector<std::string>{"A", "B", "A again"}));
    EXPECT_EQ(presetWrites(), writes + 1);

    manager->deletePreset(a.id);
    EXPECT_EQ(names(manager->presets()), std::vector<std::string>{"B"});
    EXPECT_EQ(names(onDisk()), std::vector<std::string>{"B"});
    EXPECT_EQ(presetWrites(), writes + 2);
    EXPECT_EQ(changed, 2);
}

TEST_F(ProfileManagerTest, DeletingAtOffsetsKeepsTheOrderOfTheRest) {
    const auto manager = start();  // the three defaults
    manager->addPreset("Fourth", ClickConfig(clock.now()));
    manager->deletePresets({0, 2, 17});
    EXPECT_EQ(names(manager->presets()), (std::vector<std::string>{"Office Automation", "Fourth"}));
    EXPECT_EQ(onDisk(), manager->presets());
}

TEST_F(ProfileManagerTest, StoringTheListPublishesThenWritesIt) {
    const auto manager = start();
    auto edited = manager->presets();
    edited[1].config.intervalSeconds = 9;
    std::vector<bool> editOnDiskAtSignal;
    QObject::connect(manager.get(), &ProfileManager::presetsChanged,
                     [&] { editOnDiskAtSignal.push_back(onDisk()[1].config.intervalSeconds == 9); });
    const int writes = presetWrites();
    manager->setPresets(edited);
    // Observers hear of the change before the file holds it; then it is written once.
    EXPECT_EQ(editOnDiskAtSignal, std::vector<bool>{false});
    EXPECT_EQ(presetWrites(), writes + 1);
    EXPECT_EQ(onDisk(), edited);
    EXPECT_EQ(manager->property("presets").value<std::vector<ClickPreset>>(), edited);
}
