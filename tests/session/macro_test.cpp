// Macros: recording through the button monitor, playback at the recorded delays with its corner stop and tail,
// export and import of the macro file.
#include "session/view_model_rig.hpp"

#include "engine/model_json.hpp"
#include "services/settings_manager.hpp"
#include "session/macro_controller.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <limits>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

using platform::GlobalPoint;
using platform::MouseButton;
using platform::MouseButtonPress;
using platform::MouseEvent;

class MacroTest : public ViewModelTest {
protected:
    ClickRecord record(double delay, ClickType type = ClickType::left, ScreenPoint point = {100, 200}) const {
        // A whole second, which the file's seconds-as-a-number form keeps exactly.
        return ClickRecord(point, type, Date(std::chrono::seconds(1'700'000'000)), delay);
    }
    std::filesystem::path macroFile() const { return rig.home.root() / "macro.json"; }
    // Replaces the macro through the Recorder's import, as the user would.
    void importText(const std::string& text) {
        writeFile(macroFile(), text);
        rig.chooser.answer(macroFile());
        vm->importMacro();
        rig.drain();
    }
    void importRecords(const std::vector<ClickRecord>& records) {
        importText(toPrettyJsonText(records).value());
        ASSERT_EQ(vm->recordedClicks(), records);
    }
    void press(MouseButtonPress::Button button, unsigned int number, GlobalPoint point) {
        rig.buttons.press(MouseButtonPress{button, number, point});
    }
};

// The program's own presses (a run clicking during the recording, a macro playing) reach the monitor too,
// marked as such; the macro keeps the user's alone.
TEST_F(MacroTest, RecordingLeavesOutThePressesThisProgramPostedItself) {
    vm->startMacroRecording();
    rig.advance(100ms);
    rig.buttons.press(MouseButtonPress{MouseButtonPress::Button::left, 1, {500, 400}, true});
    press(MouseButtonPress::Button::right, 3, {30, 40});
    rig.buttons.press(MouseButtonPress{MouseButtonPress::Button::middle, 2, {500, 400}, true});
    vm->stopMacroRecording();
    rig.drain();
    ASSERT_EQ(vm->recordedClicks().size(), 1u);
    EXPECT_EQ(vm->recordedClicks()[0].clickType, ClickType::right);
    EXPECT_EQ(vm->recordedClicks()[0].point, (ScreenPoint{30, 40}));
}

TEST_F(MacroTest, RecordingCapturesPressesWithTheirButtonsDelaysAndPoints) {
    vm->startMacroRecording();
    EXPECT_TRUE(vm->isRecordingMacro());
    vm->startMacroRecording();  // already recording
    EXPECT_EQ(rig.analyticsClient->sentNamed(AnalyticsManager::kStartMacroRecording).size(), 1u);

    rig.advance(500ms);
    press(MouseButtonPress::Button::left, 1, {10, 20});
    rig.advance(700ms);
    press(MouseButtonPress::Button::right, 3, {30, 40});
    rig.advance(300ms);
    press(MouseButtonPress::Button::other, 8, {50, 60});
    vm->stopMacroRecording();  // the last press is still being appended
    rig.drain();
    press(MouseButtonPress::Button::left, 1, {70, 80});
    rig.drain();

    EXPECT_FALSE(vm->isRecordingMacro());
    EXPECT_EQ(rig.buttons.installedCount(), 0u);
    const auto& clicks = vm->recordedClicks();
    ASSERT_EQ(clicks.size(), 3u);
    const struct {
        ClickType type;
        double delay;
        ScreenPoint point;
    } expected[] = {
        {ClickType::left, 0.5, {10, 20}},
        {ClickType::right, 1.2, {30, 40}},
        {ClickType::middle, 1.5, {50, 60}},
    };
    for (std::size_t i = 0; i < clicks.size(); ++i) {
        EXPECT_EQ(clicks[i].clickType, expected[i].type) << i;
        EXPECT_DOUBLE_EQ(clicks[i].delaySinceStart, expected[i].delay) << i;
        EXPECT_EQ(clicks[i].point, expected[i].point) << i;
    }

    vm->startMacroRecording();
    EXPECT_TRUE(vm->recordedClicks().empty()) << "a new recording starts a fresh list";
}

TEST_F(MacroTest, PlaybackWaitsForEachRecordedDelayThenEndsAfterTheLast) {
    importRecords({record(2.5, ClickType::left, {100, 200}), record(3.0, ClickType::right, {300, 400})});
    const std::size_t idleTimers = rig.mainQueue.pendingDelayed();
    vm->playMacro();
    EXPECT_TRUE(vm->isPlayingMacro());

    rig.advance(2499ms);
    EXPECT_TRUE(rig.mouse.events().empty()) << "the pause before the first click is kept";
    rig.advance(1ms);
    EXPECT_EQ(rig.mouse.events(), (std::vector<MouseEvent>{MouseEvent::down(MouseButton::left, {100, 200}),
                                                           MouseEvent::up(MouseButton::left, {100, 200})}));
    rig.advance(500ms);
    EXPECT_EQ(rig.mouse.events().size(), 4u);
    EXPECT_EQ(rig.mouse.events()[2], MouseEvent::down(MouseButton::right, {300, 400}));
    rig.advance(99ms);
    EXPECT_TRUE(vm->isPlayingMacro());
    rig.advance(1ms);
    EXPECT_FALSE(vm->isPlayingMacro()) << "0.1 s after the last record";
    EXPECT_EQ(rig.mainQueue.pendingDelayed(), idleTimers) << "no step is left behind";
}

TEST_F(MacroTest, PlayIsRefusedWhileRecordingButRecordingIsAcceptedWhilePlaying) {
    importRecords({record(1.0), record(2.0)});
    vm->startMacroRecording();
    vm->playMacro();
    EXPECT_FALSE(vm->isPlayingMacro());
    vm->stopMacroRecording();

    importRecords({record(1.0, ClickType::right), record(2.0, ClickType::right)});
    vm->playMacro();
    vm->startMacroRecording();
    EXPECT_TRUE(vm->recordedClicks().empty());
    rig.advance(2100ms);
    const auto events = rig.mouse.events();
    ASSERT_EQ(events.size(), 4u) << "the scheduled steps keep their copies of the old records";
    EXPECT_EQ(events[0].button, MouseButton::right);
    EXPECT_FALSE(vm->isPlayingMacro());
}

TEST_F(MacroTest, PlayWithAnEmptyListOrTwiceDoesNothing) {
    vm->playMacro();
    EXPECT_FALSE(vm->isPlayingMacro());
    importRecords({record(1.0)});
    vm->playMacro();
    vm->playMacro();
    rig.advance(2s);
    EXPECT_EQ(rig.presses().size(), 1u);
}

TEST_F(MacroTest, CornerStopCountsThePrimaryMonitorOnly) {
    rig.mouse.setScreens({{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}});
    rig.mouse.setCursorFollowsEvents(false);
    const struct {
        const char* name;
        GlobalPoint cursor;
        bool edgeStop;
        bool plays;
    } cases[] = {
        {"primary bottom-right corner", {1919, 1079}, true, false},
        {"primary top-left corner", {2, 2}, true, false},
        {"just outside 3 points", {4, 0}, true, true},
        {"corner of the second monitor", {3199, 1023}, true, true},
        {"corner stop off", {0, 0}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.mouse.clear();
        vm->editConfig([&](ClickConfig& config) { config.edgeStopEnabled = c.edgeStop; });
        importRecords({record(0.5), record(1.0)});
        rig.mouse.setCursor(c.cursor);
        vm->playMacro();
        rig.advance(600ms);
        EXPECT_EQ(vm->isPlayingMacro(), c.plays);
        rig.advance(1s);
        EXPECT_EQ(rig.presses().size(), c.plays ? 2u : 0u) << "the remaining steps never run";
    }
}

TEST_F(MacroTest, TheTailFollowsTheLastRecordEvenWhenDelaysAreNotAscending) {
    importRecords({record(1.0, ClickType::left), record(3.0, ClickType::right), record(0.5, ClickType::middle)});
    vm->playMacro();
    rig.advance(599ms);
    EXPECT_TRUE(vm->isPlayingMacro());
    rig.advance(1ms);
    EXPECT_FALSE(vm->isPlayingMacro());
    rig.advance(5s);
    const auto presses = rig.presses();
    ASSERT_EQ(presses.size(), 1u) << "records due after the tail never play";
    EXPECT_EQ(presses[0].button, MouseButton::middle);
}

TEST_F(MacroTest, EachRecordTypePostsItsEventsAndEveryStepPlaysTheSound) {
    vm->settingsManager().setPlaySound(true);
    const GlobalPoint p{100, 200};
    const struct {
        ClickType type;
        std::vector<MouseEvent> events;
    } cases[] = {
        {ClickType::left, {MouseEvent::down(MouseButton::left, p), MouseEvent::up(MouseButton::left, p)}},
        {ClickType::right, {MouseEvent::down(MouseButton::right, p), MouseEvent::up(MouseButton::right, p)}},
        {ClickType::middle, {MouseEvent::down(MouseButton::middle, p), MouseEvent::up(MouseButton::middle, p)}},
        {ClickType::scrollUp, {MouseEvent::move(p), MouseEvent::scroll(5)}},
        {ClickType::scrollDown, {MouseEvent::move(p), MouseEvent::scroll(-5)}},
        {ClickType::doubleClick, {}},
        {ClickType::holdLeft, {}},
        {ClickType::holdRight, {}},
        {ClickType::holdMiddle, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(displayText(c.type)));
        rig.mouse.clear();
        rig.sounds->clear();
        importRecords({record(0.0, c.type, {p.x, p.y})});
        vm->playMacro();
        rig.advance(200ms);
        EXPECT_EQ(rig.mouse.events(), c.events);
        EXPECT_LE(rig.mouse.operationCount(), 1) << "down and up go out back to back";
        EXPECT_EQ(rig.sounds->playbacks().size(), 1u);
    }
}

TEST_F(MacroTest, StopAndTheEmergencyStopEndAPlayback) {
    const struct {
        const char* name;
        std::function<void(AutoClickerViewModel&)> stop;
        std::size_t releases;
    } cases[] = {
        {"stop", [](AutoClickerViewModel& v) { v.stopMacroPlayback(); }, 0},
        {"emergency stop", [](AutoClickerViewModel& v) { v.emergencyStop(); }, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.mouse.clear();
        importRecords({record(0.5), record(1.0), record(1.5)});
        vm->playMacro();
        rig.advance(700ms);
        c.stop(*vm);
        EXPECT_FALSE(vm->isPlayingMacro());
        rig.advance(3s);
        EXPECT_EQ(rig.presses().size(), 1u);
        EXPECT_EQ(rig.mouse.events().size(), 2 + c.releases);
    }
}

TEST_F(MacroTest, ExportWritesTheListAndShowsNoDialogForAnEmptyOne) {
    vm->exportMacro();
    rig.drain();
    EXPECT_TRUE(rig.chooser.requests().empty());

    const std::vector<ClickRecord> records{record(0.25, ClickType::scrollDown, {1.5, 2.5}), record(1.0)};
    importRecords(records);
    const auto out = rig.home.root() / "exported.json";
    rig.chooser.answer(out);
    vm->exportMacro();
    rig.drain();
    ASSERT_EQ(rig.chooser.requests().size(), 2u);
    const auto& request = std::get<platform::SaveFileRequest>(rig.chooser.requests()[1]);
    EXPECT_EQ(request.title, "Export Macro Recording");
    EXPECT_EQ(request.proposedName, "macro_recording.json");
    EXPECT_EQ(request.kind, platform::FileKind::json);
    EXPECT_EQ(readFile(out), toPrettyJsonText(records).value());
    EXPECT_EQ(std::get<platform::OpenFileRequest>(rig.chooser.requests()[0]).title, "Import Macro Recording");
}

TEST_F(MacroTest, ABadImportChangesNothing) {
    const std::vector<ClickRecord> kept{record(1.0)};
    importRecords(kept);
    const std::string good = toPrettyJsonText(std::vector<ClickRecord>{record(2.0)}).value();
    auto without = [&](const std::string& key) {
        auto json = nlohmann::json::parse(good);
        json[0].erase(key);
        return json.dump();
    };
    auto with = [&](const std::string& key, const nlohmann::json& value) {
        auto json = nlohmann::json::parse(good);
        json[0][key] = value;
        return json.dump();
    };
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"not JSON", "[{"},
        {"not an array", nlohmann::json::parse(good)[0].dump()},
        {"no delaySinceStart", without("delaySinceStart")},
        {"no id", without("id")},
        {"unknown click type", with("clickType", "Triple Click")},
        {"click type in lower case", with("clickType", "left click")},
        {"point of one number", with("point", {1.0})},
        {"delay as text", with("delaySinceStart", "2")},
        {"delay beyond a double", R"([{"id":"5B3F1C2A-0D4E-4F5A-8B6C-7D8E9F0A1B2C","point":[1,2],)"
                                  R"("clickType":"Left Click","timestamp":0,"delaySinceStart":1e400}])"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        importText(c.text);
        EXPECT_EQ(vm->recordedClicks(), kept);
        EXPECT_EQ(vm->toastMessage(), "Could not import 'macro.json': not a macro recording");
        EXPECT_TRUE(vm->toastIsFailure());
    }
    rig.advance(10s);
    rig.chooser.cancel();
    vm->importMacro();
    rig.drain();
    EXPECT_EQ(vm->recordedClicks(), kept);
    EXPECT_FALSE(vm->toastMessage().has_value()) << "a cancelled dialog is no failure";
}

TEST_F(MacroTest, AnImportOrExportThatCannotReachItsFileSaysWhy) {
    const auto fifo = rig.home.root() / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    rig.chooser.answer(fifo);
    vm->importMacro();
    rig.drain();
    EXPECT_EQ(vm->toastMessage(), "Could not import 'fifo.json': not a regular file") << "and without waiting";

    importRecords({record(1.0)});
    rig.chooser.answer(rig.home.root() / "missing" / "out.json");
    vm->exportMacro();
    rig.drain();
    EXPECT_EQ(vm->toastMessage(), QString("Could not export to 'out.json': ") + std::strerror(ENOENT));
    EXPECT_TRUE(vm->toastIsFailure());
}

// Files from elsewhere may carry numbers no recording makes; playback must neither crash nor wait forever on them.
TEST_F(MacroTest, AbsurdDelaysAndPointsFromAFileArePlayedSafely) {
    const double huge = std::numeric_limits<double>::max();
    importRecords({record(-huge, ClickType::left, {huge, -huge}), record(-5.0, ClickType::scrollUp, {-1e300, 1e300}),
                   record(huge, ClickType::right), record(1e12, ClickType::middle)});
    const std::size_t idleTimers = rig.mainQueue.pendingDelayed();
    vm->playMacro();
    rig.advance(1ms);
    const auto events = rig.mouse.events();
    ASSERT_EQ(events.size(), 4u) << "negative delays play at once";
    EXPECT_EQ(events[0].point, (GlobalPoint{huge, -huge}));
    EXPECT_TRUE(vm->isPlayingMacro()) << "the tail waits for the last record's delay";
    EXPECT_EQ(MacroController::queueDelay(huge), std::chrono::nanoseconds(1'000'000'000'000'000'000));
    EXPECT_EQ(MacroController::queueDelay(std::numeric_limits<double>::quiet_NaN()), std::chrono::nanoseconds(0));
    EXPECT_EQ(MacroController::queueDelay(-huge), std::chrono::nanoseconds(0));
    vm->stopMacroPlayback();
    EXPECT_EQ(rig.mainQueue.pendingDelayed(), idleTimers) << "every step and the tail are cancelled";
}

}  // namespace
}  // namespace clicktrove::testing
