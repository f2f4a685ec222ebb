// The Settings screen's geometry in both appearances and a pinned font: the permission row's title and status
// stay 3 points apart beside the taller icon, and the plain controls take the design's look.
#include "engine/permission_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "ui/design/design_control_style.hpp"
#include "ui/screens/permission_row.hpp"
#include "ui/screens/settings_view.hpp"
#include "ui/support/pinned_look.hpp"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QSlider>
#include <memory>

namespace clicktrove::testing {
namespace {

class SettingsLayoutTest : public ViewModelTest, public ::testing::WithParamInterface<AppTheme> {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        vm->settingsManager().setPlaySound(true);
        view = std::make_unique<SettingsView>(vm->settingsManager(), vm->permissionManager(), rig.audio);
        view->resize(620, 1200);
        view->show();
        for (int level = 0; level < 12; ++level) QCoreApplication::sendPostedEvents();
    }

    PinnedFont font;
    PinnedTheme theme{GetParam()};
    std::unique_ptr<SettingsView> view;
};

TEST_P(SettingsLayoutTest, PermissionTitleAndStatusStandThreePointsApart) {
    auto* row = view->findChild<PermissionRow*>();
    ASSERT_NE(row, nullptr);
    for (const bool granted : {true, false}) {
        SCOPED_TRACE(granted ? "granted" : "missing");
        row->setGranted(granted);
        for (int level = 0; level < 12; ++level) QCoreApplication::sendPostedEvents();
        const QLabel& title = *row->titleLabel();
        const QLabel& status = *row->statusLabel();
        EXPECT_EQ(title.height(), title.sizeHint().height()) << "the title takes no slack";
        EXPECT_EQ(status.y() - (title.y() + title.height()), 3);
        // Centred as a block beside the 44-point icon.
        const int blockMiddle = (title.y() + status.y() + status.height()) / 2;
        EXPECT_NEAR(blockMiddle, row->height() / 2, 2);
    }
}

TEST_P(SettingsLayoutTest, PlainControlsTakeTheDesignsLook) {
    for (QWidget* control : view->findChildren<QWidget*>()) {
        if (qobject_cast<QCheckBox*>(control) || qobject_cast<QComboBox*>(control) || qobject_cast<QSlider*>(control)) {
            EXPECT_TRUE(DesignControlStyle::isApplied(control)) << control->accessibleName().toStdString();
        }
    }
    EXPECT_EQ(view->findChildren<QCheckBox*>().size(), 5);
}

INSTANTIATE_TEST_SUITE_P(Themes, SettingsLayoutTest, ::testing::Values(AppTheme::light, AppTheme::dark),
                         [](const auto& info) { return info.param == AppTheme::light ? "Light" : "Dark"; });

}  // namespace
}  // namespace clicktrove::testing
