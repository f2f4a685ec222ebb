// The two preset sheets, Save as Preset and Rename, in both themes and a pinned font: their fixed sizes, and a
// dark look through and through, the name field included, whatever the theme.
#include "ui/dashboard/save_as_preset_sheet.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/screens/rename_preset_dialog.hpp"
#include "ui/support/pinned_look.hpp"

#include <gtest/gtest.h>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <functional>
#include <memory>

namespace clicktrove::testing {
namespace {

// Colours closer than this in every channel count as the same.
bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 6 && std::abs(a.green() - b.green()) <= 6 &&
           std::abs(a.blue() - b.blue()) <= 6;
}

struct SheetCase {
    const char* name;
    QSize size;
    std::function<std::unique_ptr<SheetDialog>()> make;
    std::function<QLineEdit*(SheetDialog&)> field;
};

class PresetSheetsTest : public ::testing::TestWithParam<AppTheme> {
protected:
    PinnedFont font;
    PinnedTheme theme{GetParam()};
};

TEST_P(PresetSheetsTest, FixedSizeAndDarkWhateverTheTheme) {
    const SheetCase cases[] = {
        {"save as",
         {300, 220},
         [] { return std::make_unique<SaveAsPresetSheet>(AccentThemeColor::blue); },
         [](SheetDialog& s) { return static_cast<SaveAsPresetSheet&>(s).nameField(); }},
        {"rename",
         {300, 180},
         [] { return std::make_unique<RenamePresetDialog>("Old", AccentThemeColor::blue); },
         [](SheetDialog& s) { return static_cast<RenamePresetDialog&>(s).nameField(); }},
    };
    ASSERT_TRUE(PinnedFont::isAvailable());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto sheet = c.make();
        sheet->show();
        EXPECT_EQ(sheet->size(), c.size);
        EXPECT_EQ(sheet->minimumSize(), c.size);
        EXPECT_EQ(sheet->maximumSize(), c.size);
        // Everything fits inside, with the 28 points at the sides.
        for (const QWidget* child : sheet->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            // A button's shadow may reach into the padding, as a shadow does.
            if (child->isHidden() || qobject_cast<const ShadowUnderlay*>(child) != nullptr) continue;
            const QRect g = child->geometry();
            EXPECT_GE(g.top(), SheetDialog::kMinimumVerticalPadding) << child->metaObject()->className();
            EXPECT_LE(g.bottom(), c.size.height() - SheetDialog::kMinimumVerticalPadding);
            EXPECT_GE(g.left(), SheetDialog::kSidePadding);
            EXPECT_LE(g.right(), c.size.width() - SheetDialog::kSidePadding);
        }

        QLineEdit& field = *c.field(*sheet);
        EXPECT_EQ(field.width(), 220);
        EXPECT_TRUE(ThemeAppearance::isDarkFor(&field));
        EXPECT_EQ(field.palette().color(QPalette::Text), ThemeColors::textPrimary(true));
        field.setText("A");
        const QImage drawn = field.grab().toImage();
        EXPECT_TRUE(near(drawn.pixelColor(drawn.width() - 6, drawn.height() / 2), ThemeColors::surface(true)))
            << "the field's surface is the dark one";
        EXPECT_TRUE(near(QImage(sheet->grab().toImage()).pixelColor(2, 2), ThemeColors::background(true)));
        const auto* title = sheet->findChild<QLabel*>(QStringLiteral("SheetTitle"));
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->palette().color(QPalette::WindowText), ThemeColors::textPrimary(true));
        const auto* cancel = sheet->findChild<VaqGhostButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->lookFor(false, ThemeAppearance::isDarkFor(cancel)).border, ThemeColors::border(true));
    }
}

INSTANTIATE_TEST_SUITE_P(Themes, PresetSheetsTest, ::testing::Values(AppTheme::light, AppTheme::dark),
                         [](const auto& info) { return info.param == AppTheme::light ? "Light" : "Dark"; });

}  // namespace
}  // namespace clicktrove::testing
