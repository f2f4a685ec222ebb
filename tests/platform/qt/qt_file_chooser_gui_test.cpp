#include "platform/qt/qt_file_chooser.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <functional>

using clicktrove::platform::FileKind;
using clicktrove::platform::OpenFileRequest;
using clicktrove::platform::QtFileChooser;
using clicktrove::platform::SaveFileRequest;
using clicktrove::testing::TempHomeTest;
namespace fs = std::filesystem;

namespace {

// Runs act on the dialog once its modal loop has shown it. The check is re-armed until the dialog is there, so
// it does not depend on how quickly exec() gets going.
void whenDialogOpens(std::function<void(QFileDialog&)> act) {
    QTimer::singleShot(0, [act = std::move(act)]() mutable {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                act(*dialog);
                return;
            }
        }
        whenDialogOpens(std::move(act));
    });
}

struct Seen {
    QString title;
    QStringList filters;
    QFileDialog::AcceptMode acceptMode{};
    QFileDialog::FileMode fileMode{};
    QString proposedName;
};

Seen inspect(QFileDialog& dialog) {
    Seen seen;
    seen.title = dialog.windowTitle();
    seen.filters = dialog.nameFilters();
    seen.acceptMode = dialog.acceptMode();
    seen.fileMode = dialog.fileMode();
    const QStringList selected = dialog.selectedFiles();
    seen.proposedName = selected.isEmpty() ? QString() : QFileInfo(selected.front()).fileName();
    return seen;
}

}  // namespace

class QtFileChooserTest : public TempHomeTest {
protected:
    QtFileChooser chooser{/*allowNativeDialogs=*/false};
};

TEST_F(QtFileChooserTest, SaveDialogsShowTheirTitleNameAndFilterAndGiveTheChosenPath) {
    struct Case {
        SaveFileRequest request;
        std::string typed;  // what the user enters as the file name
        std::string expected;
        QString filter;
    };
    const std::vector<Case> cases = {
        {{"Export Click Configuration", "click_config.json", FileKind::json},
         "mine.json",
         "mine.json",
         "JSON (*.json)"},
        {{"Export Click History to CSV", "click_history.csv", FileKind::csv}, "report", "report.csv", "CSV (*.csv)"},
        {{"Export Click Configuration", "click_config.json", FileKind::json},
         "Übersicht",
         "Übersicht.json",
         "JSON (*.json)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Seen seen;
        const fs::path folder = tempHome.home();
        whenDialogOpens([&](QFileDialog& dialog) {
            seen = inspect(dialog);
            dialog.selectFile(QString::fromStdString((folder / c.typed).string()));
            static_cast<QDialog&>(dialog).accept();
        });
        const auto chosen = chooser.chooseSaveFile(c.request);
        EXPECT_EQ(seen.title.toStdString(), c.request.title);
        EXPECT_EQ(seen.filters, QStringList{c.filter});
        EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptSave);
        EXPECT_EQ(seen.proposedName.toStdString(), c.request.proposedName);
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(*chosen, folder / c.expected);
    }
}

TEST_F(QtFileChooserTest, OpenDialogOffersOneExistingJsonFile) {
    const fs::path file = tempHome.home() / "Einstellungen ä.json";
    clicktrove::testing::writeFile(file, "{}");
    Seen seen;
    whenDialogOpens([&](QFileDialog& dialog) {
        seen = inspect(dialog);
        dialog.selectFile(QString::fromStdString(file.string()));
        static_cast<QDialog&>(dialog).accept();
    });
    const auto chosen = chooser.chooseOpenFile({"Import Click Configuration", FileKind::json});
    EXPECT_EQ(seen.title, "Import Click Configuration");
    EXPECT_EQ(seen.filters, QStringList{"JSON (*.json)"});
    EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptOpen);
    EXPECT_EQ(seen.fileMode, QFileDialog::ExistingFile);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, file);
}

TEST_F(QtFileChooserTest, CancellingGivesNoPath) {
    whenDialogOpens([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(chooser.chooseSaveFile({"Export Click History to CSV", "click_history.csv", FileKind::csv}));
    whenDialogOpens([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(chooser.chooseOpenFile({"Import Click Configuration", FileKind::json}));
}
