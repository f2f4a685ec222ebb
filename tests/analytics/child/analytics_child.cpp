// A process that runs the analytics client as a program does, for the tests that quit or kill it: the production
// threads, libcurl and the XDG caches folder of its environment.
//
//   analytics_child <base URL> <application identifier> <signal prefix> <count> quit|stay
//
// It sends <count> signals named <prefix>0, <prefix>1, ... Then "quit" ends as the application does at a quit,
// with the termination save, and exits with status 0; "stay" waits for its end (a kill).
#include "analytics/tallywire.hpp"
#include "analytics/thread_main_queue.hpp"
#include "platform/file_user_defaults.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    using namespace clicktrove::analytics;
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s BASE_URL APP_ID PREFIX COUNT quit|stay\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[5];
    auto mainQueue = std::make_shared<ThreadMainQueue>();
    auto environment = TelemetryEnvironment::production(mainQueue, [](const std::string& suiteName) {
        return clicktrove::platform::FileUserDefaults::suite(suiteName);
    });
    auto configuration = std::make_shared<TelemetryManagerConfiguration>(argv[2], std::nullopt, std::string(argv[1]));
    configuration->setSendNewSessionBeganSignal(false);
    configuration->setSessionStatsEnabled(false);
    configuration->setLogHandler(LogHandler::printed(LogHandler::LogLevel::error));
    Tallywire::initialize(configuration, environment);
    const int count = std::atoi(argv[4]);
    for (int i = 0; i < count; ++i) Tallywire::signal(std::string(argv[3]).append(std::to_string(i)));

    if (mode == "quit") {
        // On the client's main queue, where the application's quit runs it.
        std::promise<void> saved;
        mainQueue->post([&saved] {
            Tallywire::applicationWillTerminate();
            saved.set_value();
        });
        saved.get_future().wait();
        Tallywire::terminate();
        return 0;
    }
    for (;;) ::pause();
}
