#include "session/macro_controller.hpp"

#include "engine/model_json.hpp"
#include "platform/clock.hpp"
#include "platform/file_chooser.hpp"
#include "platform/file_in_place_write.hpp"
#include "platform/file_read.hpp"
#include "platform/mouse_input.hpp"
#include "services/analytics_manager.hpp"
#include "services/audio_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"

#include <array>
#include <cmath>

namespace clicktrove {

namespace {

using platform::MouseButton;
using platform::MouseEvent;

ClickType clickTypeOf(platform::MouseButtonPress::Button button) {
    switch (button) {
        case platform::MouseButtonPress::Button::left:
            return ClickType::left;
        case platform::MouseButtonPress::Button::right:
            return ClickType::right;
        case platform::MouseButtonPress::Button::middle:
        case platform::MouseButtonPress::Button::other:
            break;
    }
    return ClickType::middle;
}

// The events one record plays, in order; none for the types that only a run can make.
std::vector<MouseEvent> eventsFor(const ClickRecord& record) {
    const platform::GlobalPoint p{record.point.x, record.point.y};
    switch (record.clickType) {
        case ClickType::left:
            return {MouseEvent::down(MouseButton::left, p), MouseEvent::up(MouseButton::left, p)};
        case ClickType::right:
            return {MouseEvent::down(MouseButton::right, p), MouseEvent::up(MouseButton::right, p)};
        case ClickType::middle:
            return {MouseEvent::down(MouseButton::middle, p), MouseEvent::up(MouseButton::middle, p)};
        case ClickType::scrollUp:
            return {MouseEvent::move(p), MouseEvent::scroll(MacroController::kScrollLines)};
        case ClickType::scrollDown:
            return {MouseEvent::move(p), MouseEvent::scroll(-MacroController::kScrollLines)};
        case ClickType::doubleClick:
        case ClickType::holdLeft:
        case ClickType::holdRight:
        case ClickType::holdMiddle:
            break;
    }
    return {};
}

}  // namespace

std::chrono::nanoseconds MacroController::queueDelay(double seconds) {
    // `!(seconds > 0)` also catches NaN, which no comparison would.
    if (!(seconds > 0)) return std::chrono::nanoseconds(0);
    const double capped = std::min(seconds, kMaxDelaySeconds);
    return std::chrono::nanoseconds(static_cast<std::int64_t>(capped * 1e9));
}

MacroController::MacroController(AutoClickerViewModel& viewModel) : viewModel_(viewModel) {}

MacroController::~MacroController() {
    if (macroMonitor_) viewModel_.services_.mouseMonitor->removeMonitor(*macroMonitor_);
    cancelPlaybackItems();
}

void MacroController::startMacroRecording() {
    if (viewModel_.isRecordingMacro_) return;
    viewModel_.services_.analytics->track(AnalyticsManager::kStartMacroRecording);
    viewModel_.setIsRecordingMacro(true);
    viewModel_.setRecordedClicks({});
    macroStartTime_ = viewModel_.services_.clock->now();
    macroMonitor_ = viewModel_.services_.mouseMonitor->addMonitor(
        [weak = weak_from_this()](const platform::MouseButtonPress& press) {
            if (auto self = weak.lock()) self->recordMacroEvent(press);
        });
}

void MacroController::stopMacroRecording() {
    if (!viewModel_.isRecordingMacro_) return;
    viewModel_.setIsRecordingMacro(false);
    if (macroMonitor_) viewModel_.services_.mouseMonitor->removeMonitor(*macroMonitor_);
    macroMonitor_.reset();
}

void MacroController::recordMacroEvent(const platform::MouseButtonPress& press) {
    if (!macroStartTime_) return;
    // A macro is the user's own clicks: those of a run clicking meanwhile, or of a macro playing, stay out, and so
    // do the presses that drive the recorder itself (the one on Stop Recording would otherwise end every macro).
    if (press.postedByThisProgram || viewModel_.isOnRecorderControls(press.point)) return;
    const Date now = viewModel_.services_.clock->now();
    const double delay = std::chrono::duration<double>(now - *macroStartTime_).count();
    // The monitor reports global coordinates already (top-left origin, y down): nothing to flip.
    ClickRecord record(ScreenPoint{press.point.x, press.point.y}, clickTypeOf(press.button), now, delay);
    // Appended even when the recording stops in between: a press just before the stop still counts.
    viewModel_.services_.mainQueue->post([weak = weak_from_this(), record = std::move(record)] {
        auto self = weak.lock();
        if (!self) return;
        auto clicks = self->viewModel_.recordedClicks_;
        clicks.push_back(record);
        self->viewModel_.setRecordedClicks(std::move(clicks));
    });
}

void MacroController::playMacro() {
    if (viewModel_.isRecordingMacro_ || viewModel_.isPlayingMacro_ || viewModel_.recordedClicks_.empty()) return;
    viewModel_.setIsPlayingMacro(true);
    cancelPlaybackItems();
    platform::MainQueue& queue = *viewModel_.services_.mainQueue;
    for (const ClickRecord& record : viewModel_.recordedClicks_) {
        macroPlaybackWorkItems_.push_back(
            queue.postAfter(queueDelay(record.delaySinceStart), [weak = weak_from_this(), record] {
                if (auto self = weak.lock()) self->playMacroStep(record);
            }));
    }
    // The tail follows the last record of the list, not the largest delay: a file whose delays are not
    // ascending ends at the last record's time and drops anything due later.
    const double tail = viewModel_.recordedClicks_.back().delaySinceStart + kTailSeconds;
    macroPlaybackWorkItems_.push_back(queue.postAfter(queueDelay(tail), [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->stopMacroPlayback();
    }));
}

void MacroController::playMacroStep(const ClickRecord& record) {
    if (!viewModel_.isPlayingMacro_) return;
    if (viewModel_.config_.edgeStopEnabled && isCursorInMainScreenCorner()) {
        stopMacroPlayback();
        return;
    }
    const auto events = eventsFor(record);
    if (!events.empty()) viewModel_.services_.mouseInput->post(events);
    SettingsManager& settings = viewModel_.settingsManager();
    if (settings.playSound()) viewModel_.services_.audio->playSound(settings.soundName(), settings.soundVolume());
}

void MacroController::stopMacroPlayback() {
    if (!viewModel_.isPlayingMacro_) return;
    viewModel_.setIsPlayingMacro(false);
    cancelPlaybackItems();
}

void MacroController::cancelPlaybackItems() {
    platform::MainQueue& queue = *viewModel_.services_.mainQueue;
    for (const auto id : macroPlaybackWorkItems_) queue.cancel(id);
    macroPlaybackWorkItems_.clear();
}

bool MacroController::isCursorInMainScreenCorner() const {
    platform::MouseInput& input = *viewModel_.services_.mouseInput;
    const auto cursor = input.cursorPosition();
    if (!cursor) return false;
    const auto screens = input.screens();
    if (screens.empty()) return false;
    // Only the primary monitor counts here, unlike the engine's corner stop, which tests every monitor.
    const platform::ScreenRect& f = screens.front();
    const std::array<platform::GlobalPoint, 4> corners{{
        {f.minX(), f.minY()},
        {f.maxX(), f.minY()},
        {f.minX(), f.maxY()},
        {f.maxX(), f.maxY()},
    }};
    for (const auto& corner : corners) {
        if (std::hypot(cursor->x - corner.x, cursor->y - corner.y) <= kCornerDistance) return true;
    }
    return false;
}

void MacroController::exportMacro() {
    if (viewModel_.recordedClicks_.empty()) return;
    viewModel_.services_.mainQueue->post([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        const auto path =
            self->viewModel_.services_.fileChooser->chooseSaveFile({.title = "Export Macro Recording",
                                                                    .proposedName = "macro_recording.json",
                                                                    .kind = platform::FileKind::json});
        if (!path) return;
        // The list as it is now, after the dialog.
        std::string reason;
        const auto text = toPrettyJsonText(self->viewModel_.recordedClicks_, &reason);
        if (text && platform::writeFileInPlace(*path, *text, &reason)) return;
        self->viewModel_.showFileProblem(FileNoticeSubject::macroExport,
                                         {platform::FileProblem::Kind::notSaved, *path, {}, reason});
    });
}

void MacroController::importMacro() {
    viewModel_.services_.mainQueue->post([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        const auto path = self->viewModel_.services_.fileChooser->chooseOpenFile(
            {.title = "Import Macro Recording", .kind = platform::FileKind::json});
        if (!path) return;
        const auto read = platform::readRegularFile(*path);
        std::optional<std::vector<ClickRecord>> clicks;
        if (read.ok()) clicks = fromJsonText<std::vector<ClickRecord>>(read.contents);
        if (!clicks) {
            const std::string reason = read.ok()                                            ? "not a macro recording"
                                       : read.status == platform::FileRead::Status::missing ? "the file is gone"
                                                                                            : read.reason;
            self->viewModel_.showFileProblem(FileNoticeSubject::macroImport,
                                             {platform::FileProblem::Kind::notRead, *path, {}, reason});
            return;
        }
        self->viewModel_.setRecordedClicks(std::move(*clicks));
    });
}

}  // namespace clicktrove
