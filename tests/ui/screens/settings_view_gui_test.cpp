#include "ui/screens/settings_view.hpp"

#include "engine/permission_manager.hpp"
#include "platform/xdg_login_item.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/screens/accent_swatch.hpp"
#include "ui/screens/theme_chip.hpp"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <functional>
#include <memory>

namespace clicktrove::testing {
namespace {

class SettingsViewTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        view = std::make_unique<SettingsView>(settings(), vm->permissionManager(), rig.audio);
        view->resize(560, 1100);
        rig.sounds->clear();
        rig.analyticsClient->clear();
    }

    SettingsManager& settings() { return vm->settingsManager(); }

    QCheckBox* toggle(const QString& title) {
        for (auto* box : view->findChildren<QCheckBox*>()) {
            if (box->accessibleName() == title) return box;
        }
        ADD_FAILURE() << "no switch " << title.toStdString();
        return nullptr;
    }
    QComboBox* soundPicker() { return view->findChild<QComboBox*>(); }
    QSlider* volumeSlider() { return view->findChild<QSlider*>(); }
    QWidget* named(const char* name) { return view->findChild<QWidget*>(QString::fromLatin1(name)); }
    QString percentage() { return view->findChild<QLabel*>(QStringLiteral("volumePercentage"))->text(); }

    // Playbacks of named sounds (not beeps), in order.
    std::vector<std::pair<std::string, double>> previews() {
        std::vector<std::pair<std::string, double>> out;
        for (const auto& p : rig.sounds->playbacks()) out.emplace_back(p.soundId, p.volume);
        return out;
    }

    std::unique_ptr<SettingsView> view;
};

// With a file where the autostart folder goes, Launch at Login cannot be on: the switch goes back off, the
// stored setting with it, and the notice says why, also at a start whose stored setting asks for it.
TEST(SettingsViewLaunchAtLogin, ARefusedLaunchAtLoginShowsOffAndSaysWhy) {
    ViewModelRig rig;
    writeFile(rig.home.configHome() / "autostart", "not a folder");
    auto services = rig.services();
    services.loginItem = std::make_shared<platform::XdgLoginItem>("/usr/bin/clicktrove");
    const std::string expected =
        "Launch at Login could not be turned on: cannot create " + (rig.home.configHome() / "autostart").string();
    {
        AutoClickerViewModel vm(services);
        ASSERT_TRUE(rig.waitForPermission(vm, true));
        SettingsView view(vm.settingsManager(), vm.permissionManager(), rig.audio);
        QCheckBox* box = nullptr;
        for (auto* b : view.findChildren<QCheckBox*>()) {
            if (b->accessibleName() == QStringLiteral("Launch at Login")) box = b;
        }
        ASSERT_NE(box, nullptr);
        box->click();
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(vm.settingsManager().launchAtLogin());
        EXPECT_TRUE(vm.toastText().startsWith(QString::fromStdString(expected))) << vm.toastText().toStdString();
        EXPECT_TRUE(vm.toastIsFailure());
        EXPECT_EQ(rig.log->lines().size(), 1u) << "the system log has it too";
    }
    auto record = nlohmann::json::parse(rig.defaults.value(SettingsManager::userDefaultsKey)->get<std::string>());
    EXPECT_EQ(record["launchAtLogin"], false);
    record["launchAtLogin"] = true;
    rig.defaults.setValue(SettingsManager::userDefaultsKey, record.dump());

    AutoClickerViewModel vm(services);
    ASSERT_TRUE(rig.waitForPermission(vm, true));
    EXPECT_FALSE(vm.settingsManager().launchAtLogin());
    EXPECT_TRUE(vm.toastText().startsWith(QString::fromStdString(expected))) << "told once the window is there";
    EXPECT_TRUE(vm.toastIsFailure());
}

// Without a tray icon on show the taskbar entry cannot go away, and the line under its switch says so; the tray
// is asked again when the switch changes and when the screen is shown.
TEST_F(SettingsViewTest, TheTaskbarSwitchSaysWhenNoTrayIconLetsTheEntryGo) {
    const QString withTray = QStringLiteral("Hide to run exclusively from the tray.");
    const QString withoutTray =
        QStringLiteral("No tray icon on this desktop: the taskbar entry stays, and closing the window quits.");
    EXPECT_EQ(view->taskbarEntryNote(), withTray) << "nothing known of a tray";
    bool trayShown = false;
    view->setTrayIconShown([&] { return trayShown; });
    EXPECT_EQ(view->taskbarEntryNote(), withoutTray);
    trayShown = true;
    toggle(QStringLiteral("Show Taskbar Entry"))->click();
    EXPECT_EQ(view->taskbarEntryNote(), withTray);
    trayShown = false;
    view->show();
    EXPECT_EQ(view->taskbarEntryNote(), withoutTray);
}

TEST_F(SettingsViewTest, EachSwitchWritesItsSettingOnceAndFollowsOutsideChanges) {
    struct Case {
        const char* title;
        std::function<bool(const SettingsManager&)> get;
        std::function<void(SettingsManager&, bool)> set;
    };
    const std::vector<Case> cases = {
        {"Launch at Login", &SettingsManager::launchAtLogin, &SettingsManager::setLaunchAtLogin},
        {"Start Minimized", &SettingsManager::startMinimized, &SettingsManager::setStartMinimized},
        {"Remember Last Configuration", &SettingsManager::rememberLastConfig, &SettingsManager::setRememberLastConfig},
        {"Show Taskbar Entry", &SettingsManager::showDockIcon, &SettingsManager::setShowDockIcon},
        {"Enable Click Sound", &SettingsManager::playSound, &SettingsManager::setPlaySound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        QCheckBox* box = toggle(QString::fromLatin1(c.title));
        ASSERT_NE(box, nullptr);
        const bool before = c.get(settings());
        EXPECT_EQ(box->isChecked(), before);

        const int writes = rig.settingsWrites();
        box->click();
        EXPECT_EQ(c.get(settings()), !before);
        EXPECT_EQ(rig.settingsWrites(), writes + 1);

        // A change made elsewhere moves the switch and writes nothing more than its own store.
        c.set(settings(), before);
        EXPECT_EQ(box->isChecked(), before);
        EXPECT_EQ(rig.settingsWrites(), writes + 2);
    }
}

TEST_F(SettingsViewTest, SwitchSideEffectsReachTheLoginItemAndTheTaskbarPolicy) {
    rig.loginItem.clearCalls();
    rig.activationPolicy.clear();
    toggle(QStringLiteral("Launch at Login"))->click();
    ASSERT_FALSE(rig.loginItem.calls().empty());
    toggle(QStringLiteral("Show Taskbar Entry"))->click();
    ASSERT_EQ(rig.activationPolicy.applied().size(), 1u);
    EXPECT_EQ(rig.activationPolicy.current(), platform::ActivationPolicy::Policy::accessory);
    toggle(QStringLiteral("Show Taskbar Entry"))->click();
    EXPECT_EQ(rig.activationPolicy.current(), platform::ActivationPolicy::Policy::regular);
}

TEST_F(SettingsViewTest, SoundRowsAppearOnlyWhileTheClickSoundIsOn) {
    settings().setPlaySound(false);
    EXPECT_FALSE(named("soundRow")->isVisibleTo(view.get()));
    EXPECT_FALSE(named("volumeRow")->isVisibleTo(view.get()));
    toggle(QStringLiteral("Enable Click Sound"))->click();
    EXPECT_TRUE(named("soundRow")->isVisibleTo(view.get()));
    EXPECT_TRUE(named("volumeRow")->isVisibleTo(view.get()));
}

TEST_F(SettingsViewTest, PickingASoundStoresItOnceAndPreviewsOnlyARealChange) {
    settings().setPlaySound(true);
    settings().setSoundVolume(0.3);
    settings().setSoundName("Tink");
    rig.sounds->clear();
    QComboBox* picker = soundPicker();
    ASSERT_EQ(picker->count(), 15);
    EXPECT_EQ(picker->itemText(0), QStringLiteral("None"));
    EXPECT_EQ(picker->currentText(), QStringLiteral("Tink"));

    const int writes = rig.settingsWrites();
    picker->setCurrentIndex(picker->findText(QStringLiteral("Glass")));
    EXPECT_EQ(settings().soundName(), "Glass");
    EXPECT_EQ(rig.settingsWrites(), writes + 1);
    ASSERT_EQ(rig.sounds->playbacks().size(), 1u);
    EXPECT_DOUBLE_EQ(rig.sounds->playbacks()[0].volume, 0.3);

    // The same name again is no change: nothing stored, nothing played.
    picker->setCurrentIndex(picker->findText(QStringLiteral("Glass")));
    EXPECT_EQ(rig.settingsWrites(), writes + 1);
    EXPECT_EQ(rig.sounds->playbacks().size(), 1u);

    picker->setCurrentIndex(0);
    EXPECT_EQ(settings().soundName(), "None");
    EXPECT_EQ(rig.sounds->playbacks().size(), 1u);
    EXPECT_EQ(rig.sounds->beepCount(), 0);

    // A name set elsewhere is shown.
    settings().setSoundName("Pop");
    EXPECT_EQ(picker->currentText(), QStringLiteral("Pop"));
}

TEST_F(SettingsViewTest, DraggingTheVolumeSavesEveryValueAndPreviewsOnceAtTheEnd) {
    settings().setPlaySound(true);
    settings().setSoundName("Ping");
    rig.sounds->clear();
    QSlider* slider = volumeSlider();
    const int writes = rig.settingsWrites();
    slider->setSliderDown(true);
    slider->setSliderPosition(200);
    slider->setSliderPosition(500);
    slider->setSliderPosition(800);
    EXPECT_EQ(rig.settingsWrites(), writes + 3);
    EXPECT_TRUE(rig.sounds->playbacks().empty());
    EXPECT_EQ(percentage(), QStringLiteral("80%"));
    slider->setSliderDown(false);
    ASSERT_EQ(rig.sounds->playbacks().size(), 1u);
    EXPECT_DOUBLE_EQ(rig.sounds->playbacks()[0].volume, 0.8);
    EXPECT_DOUBLE_EQ(settings().soundVolume(), 0.8);

    // A volume set elsewhere moves the slider and the percentage.
    settings().setSoundVolume(0.25);
    EXPECT_EQ(slider->value(), 250);
    EXPECT_EQ(percentage(), QStringLiteral("25%"));
}

TEST(SettingsViewText, PercentageIsTheVolumeTruncatedToWholePercent) {
    const std::vector<std::pair<double, const char*>> cases = {
        {0.0, "0%"}, {0.5, "50%"}, {0.999, "99%"}, {1.0, "100%"}, {0.29, "29%"}, {0.57, "57%"}, {0.0049, "0%"},
    };
    for (const auto& [volume, text] : cases) {
        EXPECT_EQ(SettingsView::percentageText(volume), QString::fromLatin1(text)) << volume;
    }
}

TEST_F(SettingsViewTest, ThemeChipsAndSwatchesStoreEvenTheSelectedChoiceAgain) {
    auto chips = view->findChildren<ThemeChip*>();
    auto swatches = view->findChildren<AccentSwatch*>();
    ASSERT_EQ(chips.size(), 3);
    ASSERT_EQ(swatches.size(), 10);

    ThemeChip* dark = nullptr;
    for (auto* c : chips) {
        if (c->theme() == AppTheme::dark) dark = c;
    }
    dark->click();
    dark->click();
    EXPECT_EQ(settings().theme(), AppTheme::dark);
    EXPECT_EQ(rig.analyticsClient->sentNamed("ThemeChanged").size(), 2u);
    EXPECT_EQ(std::count_if(chips.begin(), chips.end(), [](auto* c) { return c->isSelected(); }), 1);
    EXPECT_TRUE(dark->isSelected());

    AccentSwatch* mint = nullptr;
    for (auto* s : swatches) {
        if (s->color() == AccentThemeColor::mint) mint = s;
    }
    mint->click();
    mint->click();
    EXPECT_EQ(settings().accentColor(), AccentThemeColor::mint);
    const auto sent = rig.analyticsClient->sentNamed("AccentColorChanged");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].parameters.at("color"), "Mint");
    EXPECT_EQ(std::count_if(swatches.begin(), swatches.end(), [](auto* s) { return s->isSelected(); }), 1);

    // Changes made elsewhere move the selection.
    settings().setTheme(AppTheme::light);
    settings().setAccentColor(AccentThemeColor::red);
    for (auto* c : chips) EXPECT_EQ(c->isSelected(), c->theme() == AppTheme::light);
    for (auto* s : swatches) EXPECT_EQ(s->isSelected(), s->color() == AccentThemeColor::red);
}

TEST_F(SettingsViewTest, PermissionRowOffersGrantAccessOnlyWhileInputIsNotAllowed) {
    auto* grant = view->findChild<VaqPrimaryButton*>(QStringLiteral("grantAccess"));
    auto* status = view->findChild<QLabel*>(QStringLiteral("permissionStatus"));
    ASSERT_TRUE(vm->permissionManager().hasAccessibilityPermission());
    EXPECT_FALSE(grant->isVisibleTo(view.get()));
    EXPECT_EQ(status->text(), QStringLiteral("Granted — Clicktrove can simulate inputs system-wide."));

    rig.permission->setAnswer(false);
    vm->permissionManager().checkPermission();
    ASSERT_TRUE(rig.waitForPermission(*vm, false));
    EXPECT_TRUE(grant->isVisibleTo(view.get()));
    EXPECT_EQ(status->text(), QStringLiteral("Required to simulate clicks and keyboard events."));

    const auto opened = rig.urlOpener.opened().size();
    grant->click();
    EXPECT_EQ(rig.urlOpener.opened().size(), opened + 1);
    EXPECT_FALSE(vm->permissionManager().hasAccessibilityPermission());
}

}  // namespace
}  // namespace clicktrove::testing
