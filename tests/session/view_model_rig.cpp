#include "session/view_model_rig.hpp"

#include "engine/permission_manager.hpp"
#include "services/settings_manager.hpp"

#include <thread>

namespace clicktrove::testing {

using namespace std::chrono_literals;

ViewModelRig::ViewModelRig() {
    permission->setAnswer(true);
    auto transport = std::make_unique<platform::FakeNotificationTransport>();
    notificationTransport = transport.get();
    notifications = std::make_unique<NotificationManager>(std::move(transport), log);
    notificationTransport->answerCheck(true);
}

ViewModelRig::~ViewModelRig() = default;

ViewModelServices ViewModelRig::services() {
    ViewModelServices s;
    s.mainQueue = ViewModelServices::borrow<platform::MainQueue>(mainQueue);
    s.clock = ViewModelServices::borrow<const platform::Clock>(clock);
    s.mouseInput = ViewModelServices::borrow<platform::MouseInput>(mouse);
    s.engineQueue = ViewModelServices::borrow<platform::WorkQueue>(engineQueue);
    s.inputPermission = permission;
    s.urlOpener = ViewModelServices::borrow<platform::UrlOpener>(urlOpener);
    s.keyMonitor = ViewModelServices::borrow<platform::KeyPressMonitor>(keys);
    s.mouseMonitor = ViewModelServices::borrow<platform::MouseButtonMonitor>(buttons);
    s.fileChooser = ViewModelServices::borrow<platform::FileChooser>(chooser);
    s.standardDefaults = ViewModelServices::borrow<platform::UserDefaults>(defaults);
    s.loginItem = ViewModelServices::borrow<platform::LoginItem>(loginItem);
    s.activationPolicy = ViewModelServices::borrow<platform::ActivationPolicy>(activationPolicy);
    s.log = log;
    s.storage = ViewModelServices::borrow(storage);
    s.analytics = ViewModelServices::borrow(analytics);
    s.audio = ViewModelServices::borrow(audio);
    s.notifications = [this]() -> NotificationManager& { return *notifications; };
    return s;
}

std::unique_ptr<AutoClickerViewModel> ViewModelRig::make() {
    auto vm = std::make_unique<AutoClickerViewModel>(services());
    EXPECT_TRUE(waitForPermission(*vm, permission->inputMayBePosted()));
    return vm;
}

void ViewModelRig::advance(std::chrono::nanoseconds delta) {
    const auto end = clock.monotonicNow() + delta;
    drain();
    while (clock.monotonicNow() < end) {
        mainQueue.advance(std::min<std::chrono::nanoseconds>(1ms, end - clock.monotonicNow()));
        engineQueue.advance(0ns);
        drain();
    }
}

void ViewModelRig::drain() {
    // The engine's queue may hand work back and forth with the main queue; settle both.
    while (mainQueue.drain() + engineQueue.runPending() > 0) {
    }
}

bool ViewModelRig::waitForPermission(AutoClickerViewModel& viewModel, bool expected) {
    // Generous: the worker thread answers on its own schedule on a loaded machine.
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (viewModel.permissionManager().hasAccessibilityPermission() != expected) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
        drain();
    }
    return true;
}

int ViewModelRig::settingsWrites() const {
    return defaults.writeCount(SettingsManager::userDefaultsKey);
}

std::vector<platform::MouseEvent> ViewModelRig::presses() const {
    std::vector<platform::MouseEvent> out;
    for (const auto& e : mouse.events()) {
        if (e.kind == platform::MouseEvent::Kind::buttonDown) out.push_back(e);
    }
    return out;
}

ClickConfig ViewModelTest::quickConfig() const {
    ClickConfig config(rig.clock.now());
    config.intervalSeconds = 0;
    config.intervalMilliseconds = 100;
    config.positionMode = ClickPositionMode::fixed;
    config.fixedCoordinates = {ScreenPoint{500, 400}};
    config.edgeStopEnabled = false;
    return config;
}

void ViewModelTest::startAndPassCountdown() {
    vm->startClicking();
    rig.advance(2s);
}

}  // namespace clicktrove::testing
