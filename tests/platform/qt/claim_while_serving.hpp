#pragma once

#include "platform/single_instance.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

namespace clicktrove::testing {

// A later launch claims on a worker thread while the main thread runs the event loop, so the running instance
// of this same process can answer it as another process would.
inline platform::SingleInstance::Claim claimWhileServing(platform::SingleInstance& later) {
    std::atomic<bool> done{false};
    auto result = platform::SingleInstance::Claim::unguarded;
    std::thread worker([&] {
        result = later.claim(nullptr);
        done = true;
    });
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done && elapsed.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    // The instance's side of the conversation finishes on the next turns of the loop.
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return result;
}

}  // namespace clicktrove::testing
