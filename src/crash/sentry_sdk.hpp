#pragma once

#include "crash/sentry_options.hpp"

#include <chrono>
#include <functional>

namespace clicktrove::crash {

// Crash reporting for the whole process. start installs the crash handler (reports are always written to the
// reports folder), deals with the reports of earlier runs on a worker thread (symbolised, and sent when the
// options carry a DSN) and, with a DSN and a sampled trace, opens the start-up span that appStartFinished closes.
class SentrySDK {
public:
    // Runs configureOptions on the calling thread over the defaults, then starts. Later calls do nothing.
    static void start(const std::function<void(SentryOptions&)>& configureOptions);

    // The program's window is shown: ends the start-up span (from the exec of the process) and sends it as one
    // transaction. Only the first call counts; without a started span it does nothing.
    static void appStartFinished();

    // Waits until the reports of earlier runs are dealt with and every request sent has its answer, at most
    // timeout. True when all was done.
    static bool flush(std::chrono::milliseconds timeout);
};

}  // namespace clicktrove::crash
