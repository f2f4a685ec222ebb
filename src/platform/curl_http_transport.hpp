#pragma once

#include "platform/http_transport.hpp"

#include <memory>
#include <thread>

namespace clicktrove::platform {

// HTTP over libcurl on one worker thread of its own; requests run one after another and their completions run
// on that thread. The destructor aborts the request in flight and completes the queued ones with an error;
// when a completion itself releases the last owner, the worker finishes on its own.
class CurlHttpTransport final : public HttpTransport {
public:
    // Redirects followed for one request before it counts as failed.
    static constexpr long maximumRedirects = 5;

    // timeoutCap, when set, shortens every request's time-out to at most that (tests of a stalled server).
    explicit CurlHttpTransport(std::optional<std::chrono::milliseconds> timeoutCap = std::nullopt);
    CurlHttpTransport(const CurlHttpTransport&) = delete;
    CurlHttpTransport& operator=(const CurlHttpTransport&) = delete;
    ~CurlHttpTransport() override;

    void send(HttpRequest request, Completion completion) override;

private:
    struct State;
    static void run(std::shared_ptr<State> state);
    static HttpResponse perform(State& state, const HttpRequest& request);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace clicktrove::platform
