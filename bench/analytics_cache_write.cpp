// How long the analytics client takes to bring a full cache file up to date (10,000 signals with the 62
// parameters of a real signal, about 35 MB), how long another thread waits meanwhile for the cache (the quit and
// an upload's outcome need it, and the quit runs on the window's thread), and how long a start with that file
// takes to make its cache (on the window's thread, before the window shows).
//
//   analytics_cache_write [--signals N] [--writes N]
//
// Each write follows one new signal, so every one rewrites the whole file, as when the service has been down long
// enough to fill the cache. The file lives in a fresh folder under $TMPDIR (default /tmp).
#include "analytics/signal_cache.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using clicktrove::analytics::SignalCache;
using clicktrove::analytics::SignalPostBody;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A signal of the size the client sends: 61 default parameters with their kind of names and values, and one of
// its own.
SignalPostBody realisticSignal(int i) {
    SignalPostBody body;
    body.receivedAt = std::chrono::system_clock::now();
    body.appID = "0F0E0D0C-1111-4000-8000-000000000001";
    body.clientUser = std::string(64, 'a');
    body.sessionID = "0F0E0D0C-2222-4000-8000-000000000002";
    body.type = "StartClicking" + std::to_string(i);
    for (int k = 0; k < 61; ++k) {
        body.payload["Tallywire.DefaultParameter.number" + std::to_string(k)] = "value " + std::to_string(k * 7919 + i);
    }
    body.payload["clickType"] = "Double Click";
    body.isTestMode = "false";
    return body;
}

}  // namespace

int main(int argc, char** argv) {
    int signals = 10000;
    int writes = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--signals") signals = std::atoi(argv[i + 1]);
        if (flag == "--writes") writes = std::atoi(argv[i + 1]);
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/analytics-cache-write-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    {
        SignalCache cache(std::nullopt, signals, folder / "com.tallywire.000000000000" / SignalCache::fileName);
        for (int i = 0; i < signals; ++i) cache.push(realisticSignal(i));
        if (!cache.write()) {
            std::fprintf(stderr, "the cache file could not be written\n");
            return 1;
        }
        std::printf("%d signals, file of %.1f MB\n", signals,
                    static_cast<double>(std::filesystem::file_size(cache.fileURL())) / 1e6);

        std::vector<double> writeMs;
        std::vector<double> longestWaitMs;
        for (int w = 0; w < writes; ++w) {
            cache.push(realisticSignal(signals + w));
            std::atomic<bool> done{false};
            double longest = 0;
            std::thread other([&] {
                // As an upload's outcome or the quit would, over and over while the write runs.
                while (!done.load()) {
                    const auto before = Clock::now();
                    cache.finishBatch(0);
                    longest = std::max(longest, msSince(before));
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
            });
            const auto start = Clock::now();
            cache.write();
            writeMs.push_back(msSince(start));
            done = true;
            other.join();
            longestWaitMs.push_back(longest);
        }
        std::sort(writeMs.begin(), writeMs.end());
        std::sort(longestWaitMs.begin(), longestWaitMs.end());
        std::printf("write: median %.1f ms, max %.1f ms\n", writeMs[writeMs.size() / 2], writeMs.back());
        std::printf("longest wait for the cache beside it: median %.2f ms, max %.2f ms\n",
                    longestWaitMs[longestWaitMs.size() / 2], longestWaitMs.back());
    }
    // The next start finds the full file: it is loaded (and proved replaceable) before the window shows.
    std::vector<double> loadMs;
    for (int w = 0; w < writes; ++w) {
        const auto start = Clock::now();
        SignalCache next(std::nullopt, signals, folder / "com.tallywire.000000000000" / SignalCache::fileName);
        loadMs.push_back(msSince(start));
    }
    std::sort(loadMs.begin(), loadMs.end());
    std::printf("start with the full file: median %.1f ms, max %.1f ms\n", loadMs[loadMs.size() / 2], loadMs.back());
    std::filesystem::remove_all(folder);
    return 0;
}
