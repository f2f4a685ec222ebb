// The floating control panel: its buttons drive the view model, its texts and status light follow the run, and
// the toggle opens a new panel each time and forgets a closed one.
#include "session/view_model_rig.hpp"

#include "session/run_controller.hpp"
#include "ui/design/live_text.hpp"
#include "ui/shell/floating_panel.hpp"
#include "ui/shell/floating_panel_toggle.hpp"
#include "ui/shell/floating_panel_view.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

const QColor kGreen = FloatingPanelView::statusColor(QStringLiteral("Running"));
const QColor kYellow = FloatingPanelView::statusColor(QStringLiteral("Paused"));
const QColor kRed = FloatingPanelView::statusColor(QStringLiteral("Stopped"));

TEST(FloatingPanelTexts, DurationIsMinutesAndSecondsWithoutHours) {
    const std::pair<double, const char*> cases[] = {
        {0, "00:00"},
        {59.99, "00:59"},
        {61, "01:01"},
        {3725, "62:05"},
        {-4, "00:00"},
        {std::numeric_limits<double>::quiet_NaN(), "00:00"},
        {std::numeric_limits<double>::infinity(), "00:00"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(FloatingPanelView::durationText(seconds), QString::fromLatin1(text)) << seconds;
    }
    EXPECT_FALSE(FloatingPanelView::durationText(1e300).isEmpty());
}

TEST(FloatingPanelTexts, StatusLightIsGreenOnlyWhileRunningAndYellowOnlyWhilePaused) {
    EXPECT_NE(kGreen, kRed);
    EXPECT_NE(kYellow, kRed);
    EXPECT_NE(kGreen, kYellow);
    const std::pair<const char*, QColor> cases[] = {
        {"Running", kGreen},      {"Paused", kYellow}, {"Stopped", kRed}, {"Starting in 2s...", kRed},
        {"Emergency Stop", kRed}, {"running", kRed},   {"", kRed},
    };
    for (const auto& [status, color] : cases) {
        EXPECT_EQ(FloatingPanelView::statusColor(QString::fromLatin1(status)), color) << status;
    }
}

class FloatingPanelViewTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        vm->setConfig(quickConfig());
        view = std::make_unique<FloatingPanelView>(*vm);
    }

    // The buttons shown, left to right.
    std::vector<QString> buttons() const {
        std::vector<QString> shown;
        for (QPushButton* b : {view->startButton(), view->stopButton(), view->pauseButton(), view->resumeButton()}) {
            if (!b->isHidden()) shown.push_back(b->objectName());
        }
        return shown;
    }

    std::unique_ptr<FloatingPanelView> view;
};

using Names = std::vector<QString>;
const Names kIdle{"Start"};
const Names kRunning{"Stop", "Pause"};
const Names kPaused{"Stop", "Resume"};

TEST_F(FloatingPanelViewTest, ButtonsDriveTheRunAndTheViewFollowsIt) {
    struct Step {
        const char* name;
        QPushButton* (FloatingPanelView::*press)() const;
        std::chrono::milliseconds wait;
        const char* status;
        QColor light;
        Names shown;
        bool running;
        bool paused;
    };
    const Step steps[] = {
        {"start begins the countdown", &FloatingPanelView::startButton, 0ms, "Starting in 2s...", kRed, kRunning, true,
         false},
        {"the countdown ends", nullptr, 2000ms, "Running", kGreen, kRunning, true, false},
        {"pause", &FloatingPanelView::pauseButton, 0ms, "Paused", kYellow, kPaused, true, true},
        {"resume", &FloatingPanelView::resumeButton, 0ms, "Running", kGreen, kRunning, true, false},
        {"stop", &FloatingPanelView::stopButton, 0ms, "Stopped", kRed, kIdle, false, false},
    };
    EXPECT_EQ(view->statusLabel()->text(), QStringLiteral("Stopped"));
    EXPECT_EQ(view->statusDotColor(), kRed);
    EXPECT_EQ(buttons(), kIdle);
    for (const auto& step : steps) {
        if (step.press != nullptr) {
            QPushButton* button = (view.get()->*step.press)();
            ASSERT_FALSE(button->isHidden()) << step.name;
            button->click();
        }
        rig.advance(step.wait);
        EXPECT_EQ(vm->isRunning(), step.running) << step.name;
        EXPECT_EQ(vm->isPaused(), step.paused) << step.name;
        EXPECT_EQ(view->statusLabel()->text(), QString::fromLatin1(step.status)) << step.name;
        EXPECT_EQ(view->statusDotColor(), step.light) << step.name;
        EXPECT_EQ(buttons(), step.shown) << step.name;
    }
}

TEST_F(FloatingPanelViewTest, ShowsTheCountSpeedAndDurationOfTheRun) {
    EXPECT_EQ(view->clicksLabel()->text(), QStringLiteral("0 clicks"));
    EXPECT_EQ(view->speedLabel()->text(), QStringLiteral("0 CPS"));
    EXPECT_EQ(view->durationLabel()->text(), QStringLiteral("00:00"));

    view->startButton()->click();
    rig.advance(2s + 300ms + 1500ms);
    ASSERT_GT(vm->totalClicks(), 5);
    EXPECT_EQ(view->clicksLabel()->text(), QString::number(vm->totalClicks()) + QStringLiteral(" clicks"));
    EXPECT_EQ(view->speedLabel()->text(), QString::number(vm->cps()) + QStringLiteral(" CPS"));
    EXPECT_GT(vm->cps(), 0);
    EXPECT_EQ(view->durationLabel()->text(), FloatingPanelView::durationText(vm->elapsedTime()));
    EXPECT_EQ(view->durationLabel()->text(), QStringLiteral("00:01"));

    // A run started elsewhere (menu, shortcut) shows here too.
    view->stopButton()->click();
    vm->startClicking();
    EXPECT_EQ(buttons(), kRunning);
}

// Fixed Position without a point would click the primary monitor's corner: the panel's Start is refused like
// every other, with the notice.
TEST_F(FloatingPanelViewTest, StartWithFixedPositionAndNoPointIsRefusedWithTheNotice) {
    vm->editConfig([](ClickConfig& c) { c.fixedCoordinates.clear(); });
    view->startButton()->click();
    EXPECT_EQ(vm->toastMessage(), RunController::noPointsNotice());
    rig.advance(3s);
    EXPECT_FALSE(vm->isRunning());
    EXPECT_TRUE(rig.presses().empty());
    EXPECT_EQ(view->statusLabel()->text(), QStringLiteral("Stopped"));
    EXPECT_EQ(buttons(), kIdle);
}

TEST(FloatingPanelPermission, StartWithoutPermissionStartsNothing) {
    ViewModelRig rig;
    rig.permission->setAnswer(false);
    const auto vm = rig.make();
    FloatingPanelView view(*vm);
    view.startButton()->click();
    rig.advance(3s);
    EXPECT_FALSE(vm->isRunning());
    EXPECT_EQ(view.statusLabel()->text(), QStringLiteral("Stopped"));
    EXPECT_EQ(view.statusDotColor(), kRed);
}

class FloatingPanelToggleTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        toggle = std::make_unique<FloatingPanelToggle>(*vm);
        QObject::connect(toggle.get(), &FloatingPanelToggle::isOpenChanged,
                         [this](bool open) { changes.push_back(open); });
    }
    static void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::unique_ptr<FloatingPanelToggle> toggle;
    std::vector<bool> changes;
};

TEST_F(FloatingPanelToggleTest, OpensAFloatingCentredPanelAndClosesIt) {
    toggle->toggle();
    ASSERT_TRUE(toggle->isOpen());
    QPointer<FloatingPanel> panel = toggle->floatingPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Clicktrove Mini Control"));
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ((panel->windowFlags() & Qt::WindowType_Mask), Qt::Tool);
    EXPECT_EQ(panel->size(), QSize(FloatingPanel::kWidth, FloatingPanel::kHeight));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((panel->geometry().center() - available.center()).manhattanLength(), 2);
    EXPECT_NE(qobject_cast<FloatingPanelView*>(panel->contentView()), nullptr);

    toggle->toggle();
    EXPECT_FALSE(toggle->isOpen());
    EXPECT_EQ(toggle->floatingPanel(), nullptr);
    runDeferredDeletes();
    EXPECT_TRUE(panel.isNull());
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST_F(FloatingPanelToggleTest, ThePanelResizesFromItsCornerButNotBelowItsOpeningSize) {
    toggle->toggle();
    FloatingPanel& panel = *toggle->floatingPanel();
    const QSize opening(FloatingPanel::kWidth, FloatingPanel::kHeight);
    EXPECT_EQ(panel.minimumSize(), opening);
    EXPECT_GT(panel.maximumWidth(), opening.width()) << "not fixed";
    EXPECT_GT(panel.maximumHeight(), opening.height());

    auto& view = *static_cast<FloatingPanelView*>(panel.contentView());
    const int buttonAtOpening = view.startButton()->width();
    panel.resize(360, 260);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(panel.size(), QSize(360, 260));
    EXPECT_EQ(view.geometry(), QRect(0, FloatingPanel::kTitleHeight, 360, 260 - FloatingPanel::kTitleHeight))
        << "the content fills the panel under its title strip";
    EXPECT_GT(view.startButton()->width(), buttonAtOpening) << "the buttons share the width";
    const QRect grip = panel.resizeGrip()->geometry();
    EXPECT_EQ(grip.bottomRight(), panel.rect().bottomRight()) << "the grip stays in the corner";

    panel.resize(100, 80);
    EXPECT_EQ(panel.size(), opening) << "never smaller than it opened";
    toggle->toggle();
}

TEST_F(FloatingPanelToggleTest, TheCloseBoxDropsThePanelAndTheNextToggleOpensANewOne) {
    toggle->toggle();
    QPointer<FloatingPanel> first = toggle->floatingPanel();
    QPointer<QWidget> firstView = first->contentView();
    first->closeButton()->click();
    EXPECT_FALSE(toggle->isOpen());
    EXPECT_TRUE(firstView.isNull()) << "closing releases the panel's view";
    runDeferredDeletes();
    EXPECT_TRUE(first.isNull());

    toggle->toggle();
    ASSERT_TRUE(toggle->isOpen());
    EXPECT_TRUE(toggle->floatingPanel()->isVisible());
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));

    // The new panel drives the same view model.
    auto* view = qobject_cast<FloatingPanelView*>(toggle->floatingPanel()->contentView());
    ASSERT_NE(view, nullptr);
    view->startButton()->click();
    EXPECT_TRUE(vm->isRunning());
}

TEST(FloatingPanelWindow, ClosingRunsOnCloseOnceAfterDroppingTheContent) {
    int closes = 0;
    auto* content = new QWidget;
    QPointer<QWidget> watched = content;
    bool contentGoneAtClose = false;
    FloatingPanel panel(content, [&] {
        ++closes;
        contentGoneAtClose = watched.isNull();
    });
    panel.show();
    panel.close();
    panel.close();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(contentGoneAtClose);
    EXPECT_EQ(panel.contentView(), nullptr);
}

}  // namespace
}  // namespace clicktrove::testing
