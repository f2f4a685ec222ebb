#include "services/shortcut_manager.hpp"

#include "platform/main_queue.hpp"
#include "platform/modifier_flags.hpp"

#include <QPointer>

namespace clicktrove {

namespace {

using platform::ModifierFlags;

constexpr std::uint64_t kCommandShift = ModifierFlags::command | ModifierFlags::shift;

// X keycodes of S, X, P, R and T: physical positions, the same keys whatever the layout.
constexpr std::array<std::pair<ShortcutManager::Action, KeyShortcut>, 5> kDefaultShortcuts = {{
    {ShortcutManager::Action::start, {39, kCommandShift}},
    {ShortcutManager::Action::stop, {53, kCommandShift}},
    {ShortcutManager::Action::pause, {33, kCommandShift}},
    {ShortcutManager::Action::resume, {27, kCommandShift}},
    {ShortcutManager::Action::reset, {28, kCommandShift}},
}};

}  // namespace

std::string_view ShortcutManager::rawValue(Action action) {
    switch (action) {
        case Action::start:
            return "Start Clicking";
        case Action::stop:
            return "Stop Clicking";
        case Action::pause:
            return "Pause Clicking";
        case Action::resume:
            return "Resume Clicking";
        case Action::reset:
            return "Reset Stats";
    }
    return {};
}

std::optional<ShortcutManager::Action> ShortcutManager::actionFromRawValue(std::string_view text) {
    for (const Action action : allActions) {
        if (rawValue(action) == text) return action;
    }
    return std::nullopt;
}

ShortcutManager::ShortcutManager(platform::KeyPressMonitor& monitor, platform::MainQueue& mainQueue, QObject* parent)
    : QObject(parent), keyMonitor_(monitor), mainQueue_(mainQueue) {
    for (const auto& [action, shortcut] : kDefaultShortcuts) shortcuts_.emplace(action, shortcut);
}

ShortcutManager::~ShortcutManager() {
    // Whatever isMonitoring says: a held monitor must never outlive the manager.
    if (monitor_) keyMonitor_.removeMonitor(*monitor_);
}

void ShortcutManager::startMonitoring() {
    if (isMonitoring_) return;
    isMonitoring_ = true;
    // The handler may run until removeMonitor returns, which the destructor waits for: `this` outlives it.
    // The main-thread part holds the manager weakly, since it runs after the handler has returned.
    monitor_ =
        keyMonitor_.addMonitor([this, self = QPointer<ShortcutManager>(this)](const platform::KeyPressEvent& press) {
            const Match matched = match(press);
            if (!matched.any()) return;
            // Queued first, so that whatever the first report sets off (an engine's stopped report, say) reaches
            // the main queue behind the press's own handling there.
            mainQueue_.post([self, press] {
                if (self) self->handleKeyEvent(press);
            });
            if (matched.emergency) {
                if (onEmergencyStopAtPress) onEmergencyStopAtPress();
            } else if (onActionAtPress) {
                onActionAtPress(*matched.action);
            }
        });
}

void ShortcutManager::stopMonitoring() {
    if (!isMonitoring_) return;
    isMonitoring_ = false;
    if (monitor_) keyMonitor_.removeMonitor(*monitor_);
    monitor_.reset();
}

ShortcutManager::Match ShortcutManager::match(const platform::KeyPressEvent& press) const {
    if (press.keyCode == escapeKeyCode || press.producesEscape) return {true, std::nullopt};
    for (const auto& [action, shortcut] : shortcuts_) {
        const bool sameKey = shortcut.keyCode == press.keyCode;
        const bool sameModifiers =
            ((shortcut.modifierFlags ^ press.modifierFlags) & ModifierFlags::deviceIndependentMask) == 0;
        if (sameKey && sameModifiers) return {false, action};
    }
    return {};
}

void ShortcutManager::handleKeyEvent(const platform::KeyPressEvent& press) {
    const Match matched = match(press);
    if (matched.emergency) {
        if (onEmergencyStopTriggered) onEmergencyStopTriggered();
    } else if (matched.action && onActionTriggered) {
        onActionTriggered(*matched.action);
    }
}

}  // namespace clicktrove
