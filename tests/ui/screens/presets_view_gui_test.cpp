#include "ui/screens/presets_view.hpp"

#include "engine/model_json.hpp"
#include "services/profile_manager.hpp"
#include "session/view_model_rig.hpp"
#include "support/file_access.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/screens/preset_row.hpp"
#include "ui/screens/rename_preset_dialog.hpp"
#include "ui/support/pinned_look.hpp"
#include "ui/widgets/themed_label.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace clicktrove::testing {
namespace {

ClickConfig intervalOf(std::int64_t h, std::int64_t m, std::int64_t s, std::int64_t ms, std::int64_t us = 0) {
    ClickConfig config;
    config.intervalHours = h;
    config.intervalMinutes = m;
    config.intervalSeconds = s;
    config.intervalMilliseconds = ms;
    config.intervalMicroseconds = us;
    return config;
}

void pressReturn(QWidget* widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(widget, &release);
}

TEST(PresetsViewText, IntervalTextListsTheNonZeroPartsOrSaysInstant) {
    struct Case {
        ClickConfig config;
        const char* text;
    };
    const std::vector<Case> cases = {
        {intervalOf(0, 0, 1, 0), "1s"},           {intervalOf(1, 0, 30, 250), "1h 30s 250ms"},
        {intervalOf(2, 0, 0, 5), "2h 5ms"},       {intervalOf(0, 0, 0, 0), "Instant"},
        {intervalOf(0, 0, 0, 0, 500), "Instant"}, {intervalOf(-1, 3, -2, 0), "3m"},
    };
    for (const auto& c : cases) EXPECT_EQ(PresetsView::intervalText(c.config), QString::fromLatin1(c.text));
    EXPECT_EQ(PresetsView::countLine(0), QStringLiteral("0 saved profiles"));
    EXPECT_EQ(PresetsView::countLine(1), QStringLiteral("1 saved profiles"));
}

class PresetsViewTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        QObject::connect(vm.get(), &AutoClickerViewModel::toastMessageChanged, [this] {
            if (!vm->toastText().isEmpty()) toasts.push_back(vm->toastText().toStdString());
        });
        view = std::make_unique<PresetsView>(*vm, rig.storage);
        view->resize(640, 720);
    }

    ProfileManager& profiles() { return vm->profileManager(); }

    void usePresets(std::vector<std::pair<std::string, bool>> namesAndFavorites) {
        std::vector<ClickPreset> list;
        for (const auto& [name, favorite] : namesAndFavorites) {
            list.emplace_back(name, intervalOf(0, 0, 1, 0), favorite, rig.clock.now());
        }
        profiles().setPresets(std::move(list));
    }

    std::vector<std::string> shownNames() {
        std::vector<std::string> out;
        for (auto* row : view->rows()) out.push_back(row->preset().name);
        return out;
    }

    PresetRow* row(const std::string& name) {
        for (auto* r : view->rows()) {
            if (r->preset().name == name) return r;
        }
        ADD_FAILURE() << "no row " << name;
        return nullptr;
    }

    // The context-menu entry with this text.
    void choose(const std::string& rowName, const QString& entry) {
        for (auto* action : row(rowName)->menuActions()) {
            if (action->text() == entry) return action->trigger();
        }
        ADD_FAILURE() << "no menu entry " << entry.toStdString();
    }

    std::unique_ptr<PresetsView> view;
    std::vector<std::string> toasts;
};

TEST_F(PresetsViewTest, ALongNameDoesNotWidenTheScreen) {
    // The list scrolls only vertically, so its content's minimum width is what the window has to give it.
    const auto listWidth = [&] {
        QWidget* list = view->rows().front()->parentWidget();
        return list->minimumSizeHint().width();
    };
    usePresets({{"Short", false}});
    const int shortWidth = listWidth();
    usePresets({{"Short", false}, {std::string(300, 'W'), true}});
    EXPECT_LE(listWidth(), shortWidth + 200);
}

TEST_F(PresetsViewTest, ALongNameEndsInAnEllipsisWithTheWholeNameAsTooltip) {
    PinnedFont font;
    ASSERT_TRUE(PinnedFont::isAvailable()) << "the test dependencies install DejaVu Sans";
    const std::string longName(300, 'W');
    usePresets({{"Short", false}, {longName, true}});
    view->show();
    for (const AppTheme theme : {AppTheme::light, AppTheme::dark}) {
        SCOPED_TRACE(theme == AppTheme::dark ? "dark" : "light");
        PinnedTheme pinned(theme);
        for (int level = 0; level < 12; ++level) QCoreApplication::sendPostedEvents();

        const ThemedLabel& cut = *row(longName)->nameLabel();
        EXPECT_TRUE(cut.isElided());
        EXPECT_TRUE(cut.shownText().endsWith(QStringLiteral("…")));
        EXPECT_LE(cut.fontMetrics().horizontalAdvance(cut.shownText()), cut.contentsRect().width()) << "no glyph cut";
        EXPECT_TRUE(view->rect().contains(QRect(cut.mapTo(view.get(), QPoint(0, 0)), cut.size())));
        EXPECT_EQ(cut.toolTip(), QString::fromStdString(longName));

        const ThemedLabel& whole = *row("Short")->nameLabel();
        EXPECT_FALSE(whole.isElided());
        EXPECT_TRUE(whole.toolTip().isEmpty()) << "a name shown whole needs no tooltip";
    }
}

TEST_F(PresetsViewTest, SectionsFollowTheFavouritesInListOrder) {
    usePresets({{"A", false}, {"B", true}, {"C", false}});
    EXPECT_EQ(view->sectionTitles(), (QStringList{"Favorites", "All Profiles"}));
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("3 saved profiles"));

    // The star toggles silently; a new favourite takes its list position among the favourites.
    row("C")->favoriteButton()->click();
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"B", "C", "A"}));
    row("A")->favoriteButton()->click();
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(view->sectionTitles(), (QStringList{"Favorites"}));
    EXPECT_TRUE(toasts.empty());

    usePresets({{"X", false}});
    EXPECT_EQ(view->sectionTitles(), (QStringList{"All Profiles"}));
    EXPECT_EQ(row("X")->detailLabel()->text(), QStringLiteral("Left Click \u00B7 1s"));

    profiles().setPresets({});
    EXPECT_TRUE(view->isShowingEmptyState());
    EXPECT_TRUE(view->sectionTitles().isEmpty());
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("0 saved profiles"));
}

TEST_F(PresetsViewTest, MenuFavouriteEntryTogglesAndSaysSo) {
    usePresets({{"A", false}});
    choose("A", QStringLiteral("Make Favorite"));
    EXPECT_TRUE(profiles().presets()[0].isFavorite);
    choose("A", QStringLiteral("Remove Favorite"));
    EXPECT_FALSE(profiles().presets()[0].isFavorite);
    EXPECT_EQ(toasts, (std::vector<std::string>{"Added to Favorites", "Removed from Favorites"}));
}

TEST_F(PresetsViewTest, AddCurrentTakesTheTrimmedNameAndTheCurrentConfiguration) {
    usePresets({});
    vm->editConfig([](ClickConfig& c) { c.intervalMilliseconds = 250; });
    QLineEdit* field = view->newPresetField();
    for (const char* blank : {"", "   ", " \t "}) {
        field->setText(QString::fromLatin1(blank));
        EXPECT_FALSE(view->addCurrentButton()->isEnabled()) << '"' << blank << '"';
    }
    field->setText(QStringLiteral("  Fast  "));
    pressReturn(field);
    EXPECT_TRUE(profiles().presets().empty()) << "Return must not add";

    ASSERT_TRUE(view->addCurrentButton()->isEnabled());
    view->addCurrentButton()->click();
    ASSERT_EQ(profiles().presets().size(), 1u);
    EXPECT_EQ(profiles().presets()[0].name, "Fast");
    EXPECT_EQ(profiles().presets()[0].config, vm->config());
    EXPECT_FALSE(profiles().presets()[0].isFavorite);
    EXPECT_EQ(toasts, (std::vector<std::string>{"Preset 'Fast' created"}));
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_FALSE(vm->activePresetId().has_value());
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Fast"}));
}

TEST_F(PresetsViewTest, LoadMakesTheRowActiveAndDeletingItLeavesNoActiveRow) {
    usePresets({{"A", false}, {"B", false}});
    auto config = intervalOf(0, 2, 0, 0);
    auto list = profiles().presets();
    list[1].config = config;
    profiles().setPresets(list);

    row("B")->loadButton()->click();
    ASSERT_TRUE(vm->activePresetId().has_value());
    EXPECT_EQ(*vm->activePresetId(), list[1].id);
    EXPECT_EQ(vm->config(), config);
    EXPECT_TRUE(row("B")->isActive());
    EXPECT_FALSE(row("A")->isActive());
    EXPECT_NE(row("B")->findChild<QLabel*>(QStringLiteral("activeBadge")), nullptr);
    EXPECT_EQ(row("A")->findChild<QLabel*>(QStringLiteral("activeBadge")), nullptr);

    choose("B", QStringLiteral("Delete"));
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"A"}));
    EXPECT_EQ(*vm->activePresetId(), list[1].id);
    EXPECT_FALSE(row("A")->isActive());
    EXPECT_EQ(toasts.back(), "Deleted 'B'");
}

TEST_F(PresetsViewTest, DuplicateAppendsAPlainCopyAndNamesTheOriginal) {
    usePresets({{"Fav", true}, {"Other", false}});
    choose("Fav", QStringLiteral("Duplicate"));
    ASSERT_EQ(profiles().presets().size(), 3u);
    EXPECT_EQ(profiles().presets()[2].name, "Fav Copy");
    EXPECT_FALSE(profiles().presets()[2].isFavorite);
    EXPECT_EQ(toasts, (std::vector<std::string>{"Duplicated 'Fav'"}));
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Fav", "Other", "Fav Copy"}));
}

TEST_F(PresetsViewTest, RenameStoresTheTextAsTypedAndIgnoresBlankNames) {
    struct Case {
        QString typed;
        bool viaSave;
        std::string storedName;
        std::vector<std::string> toasts;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("  Spaced \t"), true, "  Spaced \t", {"Renamed to '  Spaced \t'"}},
        {QStringLiteral("Old"), true, "Old", {"Renamed to 'Old'"}},
        {QString(), true, "Old", {}},
        {QStringLiteral(" \t  "), true, "Old", {}},
        {QStringLiteral("Discarded"), false, "Old", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        usePresets({{"Old", false}});
        toasts.clear();
        choose("Old", QStringLiteral("Rename"));
        RenamePresetDialog* sheet = view->renameDialog();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->nameField()->text(), QStringLiteral("Old"));
        sheet->nameField()->setText(c.typed);
        pressReturn(sheet->nameField());
        ASSERT_EQ(view->renameDialog(), sheet) << "Return must not close the sheet";
        EXPECT_EQ(profiles().presets()[0].name, "Old");

        if (c.viaSave) {
            sheet->saveButton()->click();
        } else {
            sheet->cancelButton()->click();
        }
        EXPECT_EQ(view->renameDialog(), nullptr);
        EXPECT_EQ(profiles().presets()[0].name, c.storedName);
        EXPECT_EQ(toasts, c.toasts);
    }
}

TEST_F(PresetsViewTest, EscapeDismissesTheRenameSheetWithoutRenaming) {
    usePresets({{"Old", false}});
    choose("Old", QStringLiteral("Rename"));
    RenamePresetDialog* sheet = view->renameDialog();
    ASSERT_NE(sheet, nullptr);
    sheet->nameField()->setText(QStringLiteral("New"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(sheet->nameField(), &escape);
    EXPECT_EQ(view->renameDialog(), nullptr);
    EXPECT_EQ(profiles().presets()[0].name, "Old");
    EXPECT_TRUE(toasts.empty());

    // The next rename starts from the preset's name again.
    choose("Old", QStringLiteral("Rename"));
    ASSERT_NE(view->renameDialog(), nullptr);
    EXPECT_EQ(view->renameDialog()->nameField()->text(), QStringLiteral("Old"));
}

TEST_F(PresetsViewTest, ImportReplacesTheCurrentConfigurationOnlyAndExportWritesIt) {
    usePresets({{"Keep", false}});
    const auto presetsBefore = profiles().presets();
    ClickConfig imported = intervalOf(0, 0, 0, 40);
    imported.clickType = ClickType::right;
    // As the file holds it (dates to the file's precision).
    imported = *fromJsonText<ClickConfig>(*toPrettyJsonText(imported));
    const auto file = rig.home.root() / "in.json";
    writeFile(file, *toPrettyJsonText(imported));

    rig.chooser.cancel();
    view->importButton()->click();
    rig.drain();
    EXPECT_NE(vm->config(), imported);

    rig.chooser.answer(file);
    view->importButton()->click();
    EXPECT_NE(vm->config(), imported) << "the dialog opens on a later turn";
    rig.drain();
    EXPECT_EQ(vm->config(), imported);
    EXPECT_EQ(profiles().presets(), presetsBefore);
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("1 saved profiles"));
    EXPECT_FALSE(vm->activePresetId().has_value());

    const auto out = rig.home.root() / "out.json";
    rig.chooser.answer(out);
    view->exportButton()->click();
    rig.drain();
    const auto written = fromJsonText<ClickConfig>(readFile(out));
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(*written, imported);
    EXPECT_TRUE(toasts.empty());
}

// A change the presets file did not take is gone at the next start: the notice must say so, not claim success.
TEST_F(PresetsViewTest, AChangeThePresetsFileDidNotTakeIsToldAsAFailure) {
    const struct {
        const char* name;
        std::function<void()> act;
        std::string notice;
    } cases[] = {
        {"add current",
         [&] {
             view->newPresetField()->setText(QStringLiteral("NotSaved"));
             view->addCurrentButton()->click();
         },
         "Failed to save preset 'NotSaved'"},
        {"star", [&] { row("A")->favoriteButton()->click(); }, "Failed to save the favorite mark of 'A'"},
        {"menu favourite", [&] { choose("A", QStringLiteral("Make Favorite")); },
         "Failed to save the favorite mark of 'A'"},
        {"duplicate", [&] { choose("A", QStringLiteral("Duplicate")); }, "Failed to save preset 'A Copy'"},
        {"delete", [&] { choose("A", QStringLiteral("Delete")); },
         "Failed to save the deletion of 'A': it comes back at the next start"},
        {"rename",
         [&] {
             choose("A", QStringLiteral("Rename"));
             view->renameDialog()->nameField()->setText(QStringLiteral("B"));
             view->renameDialog()->saveButton()->click();
         },
         "Failed to save the new name 'B'"},
    };
    const auto folder = rig.presetsFile().parent_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        usePresets({{"A", false}});
        rig.advance(7s);  // the last notice goes
        toasts.clear();
        const std::string stored = readFile(rig.presetsFile());
        openToOthers(rig.presetsFile(), rig.home.root(), 04);
        openToOthers(folder, rig.home.root(), 05);
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
        {
            const ScopedUnprivilegedFileAccess unprivileged;
            c.act();
        }
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
        EXPECT_EQ(toasts, std::vector<std::string>{c.notice});
        EXPECT_TRUE(vm->toastIsFailure());
        EXPECT_EQ(readFile(rig.presetsFile()), stored) << "the file keeps the old presets";
    }

    // Once the file can be written again, the same change is told as done.
    usePresets({{"A", false}});
    toasts.clear();
    choose("A", QStringLiteral("Duplicate"));
    EXPECT_EQ(toasts, std::vector<std::string>{"Duplicated 'A'"});
    EXPECT_FALSE(vm->toastIsFailure());
}

TEST_F(PresetsViewTest, AnImportOrExportThatFailsIsToldAsAFailure) {
    const ClickConfig before = vm->config();
    const auto fifo = rig.home.root() / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    rig.chooser.answer(fifo);
    view->importButton()->click();
    rig.drain();
    EXPECT_EQ(vm->config(), before);
    EXPECT_EQ(vm->toastText(), QStringLiteral("Could not import 'fifo.json': not a regular file"))
        << "and without waiting for a writer";
    EXPECT_TRUE(vm->toastIsFailure());

    rig.chooser.answer(rig.home.root() / "missing" / "out.json");
    view->exportButton()->click();
    rig.drain();
    EXPECT_EQ(vm->toastText(),
              QStringLiteral("Could not export to 'out.json': ") + QString::fromUtf8(std::strerror(ENOENT)));
    EXPECT_TRUE(vm->toastIsFailure());
}

}  // namespace
}  // namespace clicktrove::testing
