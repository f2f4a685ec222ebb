#include "engine/model_json.hpp"
#include "rename_watch.hpp"
#include "services/history_csv.hpp"
#include "storage_fixture.hpp"
#include "support/hostile_files.hpp"

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

using namespace clicktrove;
using clicktrove::testing::fingerprint;
using clicktrove::testing::HostileFile;
using clicktrove::testing::linkTarget;
using clicktrove::testing::readFile;
using clicktrove::testing::StorageFixture;
using clicktrove::testing::writeFile;
using platform::FileKind;
using platform::FileProblem;
using platform::OpenFileRequest;
using platform::SaveFileRequest;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const char* const kKey = "Clicktrove.lastActivePresetId";

ClickPreset preset(const std::string& name, Date at, std::int64_t milliseconds = 0) {
    ClickConfig config(at);
    config.intervalMilliseconds = milliseconds;
    return ClickPreset(name, config, false, at);
}

std::string jsonArray(const std::vector<std::string>& elements) {
    std::string out = "[";
    for (const auto& e : elements) out.append(out.size() > 1 ? "," : "").append(e);
    return out.append("]");
}

HistoryRecord run(Date at, std::int64_t clicks) {
    return HistoryRecord(at, clicks, 1.5, ClickType::right, 12.5);
}

}  // namespace

class StorageManagerTest : public StorageFixture {};

TEST_F(StorageManagerTest, FirstUseCreatesTheFolderAndItsMissingParents) {
    fs::remove_all(tempHome.dataHome());
    storage();
    EXPECT_TRUE(fs::is_directory(appFolder()));
    EXPECT_TRUE(folderEntries().empty());
}

// The shared instance is the standard one made at its first use; each test makes its own in its own home.
TEST_F(StorageManagerTest, StandardStorageLivesInTheDataHomeAndKeepsTheLastPresetInTheStandardDefaults) {
    fs::remove_all(tempHome.dataHome());
    const auto standard = StorageManager::makeStandard();
    EXPECT_EQ(standard->appFolder(), tempHome.dataHome() / "Clicktrove");
    EXPECT_TRUE(fs::is_directory(standard->appFolder()));
    EXPECT_EQ(standard->lastActivePresetKey(), kKey);

    ASSERT_TRUE(standard->savePresets({preset("Mine", clock.now())}));
    EXPECT_FALSE(readFile(tempHome.dataHome() / "Clicktrove" / "presets.json").empty());
    const Uuid id = *Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    standard->setLastActivePresetId(id);
    const auto stored = nlohmann::json::parse(readFile(tempHome.configHome() / "Clicktrove" / "Clicktrove.json"));
    EXPECT_EQ(stored.at(kKey), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

    EXPECT_EQ(&StorageManager::shared(), &StorageManager::shared());
    EXPECT_NE(&StorageManager::shared(), standard.get());
}

TEST_F(StorageManagerTest, LastActivePresetIdIsStoredAsUpperCaseTextAndRemovedForNone) {
    const Uuid id = *Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    storage().setLastActivePresetId(id);
    EXPECT_EQ(defaults.value(kKey), nlohmann::json("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
    EXPECT_EQ(storage().lastActivePresetId(), id);

    storage().setLastActivePresetId(std::nullopt);
    EXPECT_FALSE(defaults.value(kKey).has_value());
    EXPECT_FALSE(storage().lastActivePresetId().has_value());
}

TEST_F(StorageManagerTest, LastActivePresetIdReadsOnlyUuidTexts) {
    struct Case {
        nlohmann::json stored;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"e621e1f8-c36c-495a-93fc-0c247a3e6e5f", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"},
        {"not-a-uuid", std::nullopt},
        {"", std::nullopt},
        {"E621E1F8C36C495A93FC0C247A3E6E5F", std::nullopt},
        {42, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.dump());
        defaults.setValue(kKey, c.stored);
        const auto id = storage().lastActivePresetId();
        EXPECT_EQ(id ? std::optional(id->text()) : std::nullopt, c.expected);
    }
}

TEST_F(StorageManagerTest, MissingFilesLoadAsEmptyListsAndCreateNothing) {
    EXPECT_TRUE(storage().loadPresets().empty());
    EXPECT_TRUE(storage().loadHistory().empty());
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(StorageManagerTest, UndecodableFilesLoadEmptyAndAreKeptAsideUnderTheirUtcTime) {
    const std::string goodPreset = *toCompactJsonText(preset("Good", clock.now()));
    nlohmann::json brokenPreset = nlohmann::json::parse(goodPreset);
    brokenPreset["config"].erase("notifyOnComplete");
    nlohmann::json recordWithoutType = nlohmann::json::parse(*toCompactJsonText(run(clock.now(), 5)));
    recordWithoutType.erase("clickType");
    nlohmann::json recordOfUnknownType = nlohmann::json::parse(*toCompactJsonText(run(clock.now(), 5)));
    recordOfUnknownType["clickType"] = "Triple Click";

    struct Case {
        const char* file;
        std::string contents;
    };
    const std::vector<Case> cases = {
        {"presets.json", "not json at all"},
        {"presets.json", ""},
        {"presets.json", "{}"},
        {"presets.json", jsonArray({goodPreset, brokenPreset.dump()})},
        {"presets.json", jsonArray({goodPreset}).substr(0, goodPreset.size() / 2)},
        {"history.json", jsonArray({recordWithoutType.dump()})},
        {"history.json", jsonArray({recordOfUnknownType.dump()})},
        {"history.json", "[\xff\xfe]"},
    };
    clock.setNow(Date(std::chrono::seconds(1765355400)));  // 2025-12-10 08:30:00 UTC
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents);
        fs::remove_all(appFolder());
        restart();
        writeFile(appFolder() / c.file, c.contents);
        const bool empty =
            std::string(c.file) == "presets.json" ? storage().loadPresets().empty() : storage().loadHistory().empty();
        EXPECT_TRUE(empty);
        const std::string kept = std::string(c.file) + ".unreadable-20251210T083000Z";
        EXPECT_EQ(folderEntries(), std::vector<std::string>{kept});
        EXPECT_EQ(readFile(appFolder() / kept), c.contents);
    }
}

TEST_F(StorageManagerTest, HostilePresetsAndHistoryFilesGiveTheirOutcomeAndNothingIsDestroyed) {
    const std::vector<ClickPreset> presets = {preset("Fresh", clock.now())};
    const std::vector<HistoryRecord> history = {run(clock.now(), 3)};
    for (const char* name : {StorageManager::kPresetsFileName, StorageManager::kHistoryFileName}) {
        const bool isPresets = std::string(name) == StorageManager::kPresetsFileName;
        for (const HostileFile& row : clicktrove::testing::hostileFiles()) {
            SCOPED_TRACE(std::string(name) + ": " + row.name);
            fs::remove_all(appFolder());
            fs::create_directories(appFolder());
            restart();
            const fs::path file = appFolder() / name;
            row.plant(file, tempHome.root() / "elsewhere" / name / row.name);
            const std::string before = fingerprint(file);
            const std::string targetBefore = fingerprint(linkTarget(file));
            storage();  // created before the folder turns read-only, as at any start

            std::optional<FileProblem> problem;
            bool empty = false;
            bool saved = false;
            clicktrove::testing::underConditions(row, file, tempHome.root(), [&] {
                empty = isPresets ? storage().loadPresets(&problem).empty() : storage().loadHistory(&problem).empty();
                saved = isPresets ? storage().savePresets(presets) : storage().saveHistory(history);
            });
            EXPECT_TRUE(empty);
            switch (row.outcome) {
                case HostileFile::Outcome::keptAside:
                    ASSERT_TRUE(problem.has_value());
                    EXPECT_EQ(problem->kind, FileProblem::Kind::keptAside);
                    EXPECT_EQ(fingerprint(problem->keptAs), before);
                    EXPECT_TRUE(saved);
                    break;
                case HostileFile::Outcome::startsAfresh:
                    EXPECT_FALSE(problem.has_value());
                    EXPECT_TRUE(saved);
                    EXPECT_EQ(fingerprint(file), before) << "still the link";
                    break;
                case HostileFile::Outcome::leftAlone:
                    ASSERT_TRUE(problem.has_value());
                    EXPECT_EQ(problem->kind, FileProblem::Kind::notKept);
                    EXPECT_FALSE(saved) << "nothing is written over what could not be kept";
                    EXPECT_EQ(fingerprint(file), before);
                    EXPECT_EQ(fingerprint(linkTarget(file)), targetBefore);
                    break;
            }
            EXPECT_EQ(fingerprint("/dev/zero"), "character device");
            if (row.outcome == HostileFile::Outcome::leftAlone) continue;
            restart();
            std::optional<FileProblem> again;
            if (isPresets) {
                EXPECT_EQ(storage().loadPresets(&again), presets);
            } else {
                EXPECT_EQ(storage().loadHistory(&again), history);
            }
            EXPECT_FALSE(again.has_value());
        }
    }
}

TEST_F(StorageManagerTest, AnotherBadFileInTheSameSecondDoesNotReplaceTheFirstCopy) {
    writeFile(presetsFile(), "first");
    storage().loadPresets();
    writeFile(presetsFile(), "second");
    storage().loadPresets();
    EXPECT_EQ(readFile(appFolder() / "presets.json.unreadable-20260101T000000Z"), "first");
    EXPECT_EQ(readFile(appFolder() / "presets.json.unreadable-20260101T000000Z-2"), "second");
}

TEST_F(StorageManagerTest, PresetsRoundTripWithNonAsciiNamesAsAPrettyPrintedArray) {
    const std::vector<ClickPreset> presets = {
        preset("Überweisung – schnell", clock.now(), 5),
        preset("日本語のプリセット", clock.now() + 1s, 10),
        preset("🖱️ \"quoted\" \\ back", clock.now() + 2s, 15),
        preset("", clock.now() + 3s, 20),
    };
    storage().savePresets(presets);
    const std::string text = readFile(presetsFile());
    EXPECT_NE(text.find('\n'), std::string::npos);
    const auto parsed = nlohmann::json::parse(text);
    ASSERT_TRUE(parsed.is_array());
    ASSERT_EQ(parsed.size(), presets.size());
    for (std::size_t i = 0; i < presets.size(); ++i) EXPECT_EQ(parsed[i]["name"], presets[i].name);

    restart();
    EXPECT_EQ(storage().loadPresets(), presets);
}

TEST_F(StorageManagerTest, HistoryIsWrittenCompactInListOrder) {
    const std::vector<HistoryRecord> records = {run(clock.now() + 2h, 3), run(clock.now() + 1h, 2),
                                                run(clock.now(), 1)};
    storage().saveHistory(records);
    const std::string text = readFile(historyFile());
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(text).size(), 3u);
    restart();
    EXPECT_EQ(storage().loadHistory(), records);
}

TEST_F(StorageManagerTest, AListThatCannotBeEncodedLeavesThePreviousFileAsItWas) {
    const std::vector<ClickPreset> oldPresets = {preset("Old", clock.now())};
    const std::vector<HistoryRecord> oldHistory = {run(clock.now(), 4)};
    storage().savePresets(oldPresets);
    storage().saveHistory(oldHistory);
    const std::string presetsBefore = readFile(presetsFile());
    const std::string historyBefore = readFile(historyFile());

    auto badPreset = preset("NaN jitter", clock.now());
    badPreset.config.intervalRandomRangeMs = std::numeric_limits<double>::quiet_NaN();
    storage().savePresets({oldPresets[0], badPreset});
    auto badRun = run(clock.now(), 9);
    badRun.duration = std::numeric_limits<double>::infinity();
    storage().saveHistory({badRun});

    EXPECT_EQ(readFile(presetsFile()), presetsBefore);
    EXPECT_EQ(readFile(historyFile()), historyBefore);
}

TEST_F(StorageManagerTest, ACrashBetweenWriteAndRenameLeavesTheOldFileIntact) {
    const std::vector<ClickPreset> oldPresets = {preset("Old", clock.now())};
    const std::vector<ClickPreset> newPresets = {preset("New", clock.now()), preset("Newer", clock.now())};
    const std::vector<HistoryRecord> oldHistory = {run(clock.now(), 1)};
    const std::vector<HistoryRecord> newHistory = {run(clock.now() + 1h, 2), run(clock.now(), 1)};
    storage().savePresets(oldPresets);
    storage().saveHistory(oldHistory);
    const std::string presetsBefore = readFile(presetsFile());
    const std::string historyBefore = readFile(historyFile());

    ASSERT_TRUE(clicktrove::testing::runAndCrashAtRename([&] { storage().savePresets(newPresets); }));
    ASSERT_TRUE(clicktrove::testing::runAndCrashAtRename([&] { storage().saveHistory(newHistory); }));

    EXPECT_EQ(readFile(presetsFile()), presetsBefore);
    EXPECT_EQ(readFile(historyFile()), historyBefore);
    // The writer did get as far as the new bytes: they sit complete in its temporary file.
    int temporaries = 0;
    for (const auto& name : folderEntries()) {
        if (name.rfind(".presets.json.tmp-", 0) == 0) {
            ++temporaries;
            EXPECT_EQ(fromJsonText<std::vector<ClickPreset>>(readFile(appFolder() / name)), newPresets);
        }
    }
    EXPECT_EQ(temporaries, 1);

    restart();
    EXPECT_EQ(storage().loadPresets(), oldPresets);
    EXPECT_EQ(storage().loadHistory(), oldHistory);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"history.json", "presets.json"}))
        << "the next start removes what the killed saves left";
    storage().savePresets(newPresets);
    EXPECT_EQ(storage().loadPresets(), newPresets);
}

TEST_F(StorageManagerTest, ConfigExportAsksOnALaterTurnAndWritesTheConfigAsItWasAtTheCall) {
    const fs::path target = tempHome.home() / "mine.json";
    writeFile(target, std::string(20000, 'x'));  // an existing, longer file is replaced whole
    ClickConfig config(clock.now());
    config.intervalMilliseconds = 250;
    config.fixedCoordinates = {{10, 20}, {30.5, 40.25}};
    const ClickConfig exported = config;
    chooser.answer(target);

    storage().exportConfig(config);
    config.intervalMilliseconds = 999;
    EXPECT_TRUE(chooser.requests().empty());
    queue.drain();

    ASSERT_EQ(chooser.requests().size(), 1u);
    const auto& request = std::get<SaveFileRequest>(chooser.requests()[0]);
    EXPECT_EQ(request.title, "Export Click Configuration");
    EXPECT_EQ(request.proposedName, "click_config.json");
    EXPECT_EQ(request.kind, FileKind::json);
    const std::string text = readFile(target);
    EXPECT_NE(text.find('\n'), std::string::npos);
    EXPECT_EQ(fromJsonText<ClickConfig>(text), exported);
}

TEST_F(StorageManagerTest, HistoryExportWritesTheCsvOfTheListAsItWasAtTheCall) {
    const fs::path target = tempHome.home() / "runs.csv";
    writeFile(target, "old export");
    std::vector<HistoryRecord> records = {run(clock.now() + 1h, 20), run(clock.now(), 10)};
    const auto exported = records;
    chooser.answer(target);

    storage().exportHistoryCSV(records);
    records.clear();
    EXPECT_TRUE(chooser.requests().empty());
    queue.drain();

    ASSERT_EQ(chooser.requests().size(), 1u);
    const auto& request = std::get<SaveFileRequest>(chooser.requests()[0]);
    EXPECT_EQ(request.title, "Export Click History to CSV");
    EXPECT_EQ(request.proposedName, "click_history.csv");
    EXPECT_EQ(request.kind, FileKind::csv);
    EXPECT_EQ(readFile(target), HistoryCsv::text(exported));
}

TEST_F(StorageManagerTest, CancelledExportsWriteNothing) {
    chooser.cancel();
    chooser.cancel();
    storage().exportConfig(ClickConfig(clock.now()));
    storage().exportHistoryCSV({run(clock.now(), 1)});
    queue.drain();
    EXPECT_EQ(chooser.requests().size(), 2u);
    EXPECT_TRUE(fs::is_empty(tempHome.home()));
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(StorageManagerTest, ConfigImportCompletesOnceAfterTheDialogWithTheConfigOrNothing) {
    ClickConfig config(clock.now());
    config.clickType = ClickType::scrollUp;
    config.maxClicks = 77;
    nlohmann::json lacking = nlohmann::json::parse(*toCompactJsonText(config));
    lacking.erase("soundVolume");

    struct Case {
        const char* what;
        std::optional<std::string> fileContents;  // none: the user cancels
        bool decodes;
    };
    const std::vector<Case> cases = {
        {"cancelled", std::nullopt, false},
        {"a bare configuration", *toPrettyJsonText(config), true},
        {"a preset", *toPrettyJsonText(preset("P", clock.now())), false},
        {"a presets file", *toPrettyJsonText(std::vector<ClickPreset>{preset("P", clock.now())}), false},
        {"a configuration lacking a key", lacking.dump(), false},
        {"not JSON", "click_config", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.fileContents) {
            const fs::path file = tempHome.home() / "chosen.json";
            writeFile(file, *c.fileContents);
            chooser.answer(file);
        } else {
            chooser.cancel();
        }
        int calls = 0;
        std::optional<ClickConfig> received;
        storage().importConfig([&](std::optional<ClickConfig> result) {
            ++calls;
            received = std::move(result);
        });
        EXPECT_EQ(calls, 0);
        queue.drain();
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(received.has_value(), c.decodes);
        if (c.decodes && received) {
            EXPECT_EQ(*received, config);
        }
    }
    ASSERT_EQ(chooser.requests().size(), cases.size());
    const auto& request = std::get<OpenFileRequest>(chooser.requests()[0]);
    EXPECT_EQ(request.title, "Import Click Configuration");
    EXPECT_EQ(request.kind, FileKind::json);
}

TEST_F(StorageManagerTest, FailedImportsAndExportsAreReportedAndCancelledOnesAreNot) {
    const fs::path fifo = tempHome.home() / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path folder = tempHome.home() / "a folder.json";
    fs::create_directories(folder);
    const fs::path noFolder = tempHome.home() / "missing" / "out.json";
    writeFile(tempHome.home() / "preset.json", *toPrettyJsonText(preset("P", clock.now())));
    const struct {
        const char* what;
        std::function<void(platform::FileProblemReport)> start;
        std::optional<fs::path> chosen;  // none: cancelled
        std::optional<FileProblem::Kind> reported;
        std::string reason;
    } cases[] = {
        {"import of a FIFO, without waiting", [&](auto r) { storage().importConfig({}, r); }, fifo,
         FileProblem::Kind::notRead, "not a regular file"},
        {"import of a preset", [&](auto r) { storage().importConfig({}, r); }, tempHome.home() / "preset.json",
         FileProblem::Kind::notRead, "not a click configuration"},
        {"import of a file that is gone", [&](auto r) { storage().importConfig({}, r); }, tempHome.home() / "gone.json",
         FileProblem::Kind::notRead, "the file is gone"},
        {"cancelled import", [&](auto r) { storage().importConfig({}, r); }, std::nullopt, std::nullopt, ""},
        {"export onto a folder", [&](auto r) { storage().exportConfig(ClickConfig(clock.now()), r); }, folder,
         FileProblem::Kind::notSaved, std::strerror(EISDIR)},
        {"export onto a FIFO nobody reads", [&](auto r) { storage().exportConfig(ClickConfig(clock.now()), r); }, fifo,
         FileProblem::Kind::notSaved, std::strerror(ENXIO)},
        {"CSV export into a missing folder", [&](auto r) { storage().exportHistoryCSV({}, r); }, noFolder,
         FileProblem::Kind::notSaved, std::strerror(ENOENT)},
        {"cancelled export", [&](auto r) { storage().exportConfig(ClickConfig(clock.now()), r); }, std::nullopt,
         std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.chosen) {
            chooser.answer(*c.chosen);
        } else {
            chooser.cancel();
        }
        std::vector<FileProblem> reports;
        c.start([&](const FileProblem& p) { reports.push_back(p); });
        EXPECT_TRUE(reports.empty()) << "only after the dialog";
        queue.drain();
        ASSERT_EQ(reports.size(), c.reported ? 1u : 0u);
        if (!c.reported) continue;
        EXPECT_EQ(reports[0].kind, *c.reported);
        EXPECT_EQ(reports[0].file, *c.chosen);
        EXPECT_EQ(reports[0].reason, c.reason);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(StorageManagerTest, ImportOfAFileThatVanishedCompletesWithNothing) {
    chooser.answer(tempHome.home() / "gone.json");
    int calls = 0;
    storage().importConfig([&](std::optional<ClickConfig> result) {
        ++calls;
        EXPECT_FALSE(result.has_value());
    });
    queue.drain();
    EXPECT_EQ(calls, 1);
}
