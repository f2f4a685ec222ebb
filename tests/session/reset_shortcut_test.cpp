// The reset shortcut (Ctrl+Shift+T) at the view model: it zeroes the four figures on show in any state and
// touches nothing else, neither the run nor its record.
#include "session/view_model_rig.hpp"

#include "platform/modifier_flags.hpp"
#include "services/history_manager.hpp"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

constexpr std::uint16_t kT = 28;
constexpr std::uint64_t kCtrlShift = platform::ModifierFlags::command | platform::ModifierFlags::shift;

class ResetShortcutTest : public ViewModelTest {
protected:
    void pressReset() {
        rig.keys.press(kT, kCtrlShift);
        rig.drain();
    }
    void expectZeros() const {
        EXPECT_EQ(vm->totalClicks(), 0);
        EXPECT_EQ(vm->elapsedTime(), 0);
        EXPECT_EQ(vm->cps(), 0);
        EXPECT_EQ(vm->cpsHistory(), std::vector<double>(AutoClickerViewModel::kChartSamples, 0.0));
    }
};

TEST_F(ResetShortcutTest, AfterARunItZeroesTheFiguresAndKeepsTheRecordAndTheRest) {
    ClickConfig config = quickConfig();
    config.maxClicks = 4;
    vm->setConfig(config);
    startAndPassCountdown();
    rig.advance(300ms + 400ms);
    ASSERT_FALSE(vm->isRunning());
    ASSERT_EQ(vm->totalClicks(), 4);
    const double average = vm->averageIntervalMs();
    ASSERT_GT(average, 0);
    const auto remaining = vm->remainingClicks();
    const auto posted = rig.mouse.events().size();
    const auto signalsSent = rig.analyticsClient->sent().size();

    pressReset();
    expectZeros();
    // What the reset leaves: the last remaining count and average, the status, the history and the pointer.
    EXPECT_EQ(vm->remainingClicks(), remaining);
    EXPECT_EQ(vm->averageIntervalMs(), average);
    EXPECT_EQ(vm->status(), "Stopped");
    ASSERT_EQ(vm->historyManager().historyRecords().size(), 1u);
    EXPECT_EQ(vm->historyManager().historyRecords()[0].totalClicks, 4);
    EXPECT_EQ(rig.mouse.events().size(), posted);
    EXPECT_EQ(rig.analyticsClient->sent().size(), signalsSent);

    // The idle chart goes on from the zeros.
    rig.advance(1s);
    EXPECT_EQ(vm->cpsHistory(), std::vector<double>(AutoClickerViewModel::kChartSamples, 0.0));
}

TEST_F(ResetShortcutTest, WhilePausedTheRunStaysPausedAndItsTotalsReturnOnResume) {
    vm->setConfig(quickConfig());
    startAndPassCountdown();
    rig.advance(300ms + 200ms);
    ASSERT_EQ(vm->totalClicks(), 3);
    vm->pauseClicking();
    rig.drain();

    pressReset();
    expectZeros();
    EXPECT_TRUE(vm->isRunning());
    EXPECT_TRUE(vm->isPaused());
    EXPECT_EQ(vm->status(), "Paused");

    vm->resumeClicking();
    rig.advance(300ms);
    EXPECT_GE(vm->totalClicks(), 4) << "the engine's own count was never reset";
    vm->stopClicking();
    rig.advance(100ms);
    ASSERT_EQ(vm->historyManager().historyRecords().size(), 1u);
    EXPECT_GE(vm->historyManager().historyRecords()[0].totalClicks, 4);
}

}  // namespace
}  // namespace clicktrove::testing
