#pragma once

#include "analytics/http_transport.hpp"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace clicktrove::analytics {

// HTTP over libcurl on one worker thread of its own; requests run one after another. Completions run on that
// thread. The destructor aborts the request in flight and completes the queued ones with an error.
class CurlHttpTransport final : public HttpTransport {
public:
    // timeoutCap, when set, shortens every request's time-out to at most that (tests of a stalled server).
    explicit CurlHttpTransport(std::optional<std::chrono::milliseconds> timeoutCap = std::nullopt);
    CurlHttpTransport(const CurlHttpTransport&) = delete;
    CurlHttpTransport& operator=(const CurlHttpTransport&) = delete;
    ~CurlHttpTransport() override;

    void send(HttpRequest request, Completion completion) override;

private:
    void run();
    HttpResponse perform(const HttpRequest& request);

    const std::optional<std::chrono::milliseconds> timeoutCap_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<HttpRequest, Completion>> queue_;
    bool stopping_ = false;
    std::atomic<bool> abort_{false};
    std::thread thread_;
};

}  // namespace clicktrove::analytics
