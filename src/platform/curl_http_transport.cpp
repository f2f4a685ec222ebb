#include "platform/curl_http_transport.hpp"

#include "platform/alternate_signal_stack.hpp"

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace clicktrove::platform {

namespace {

std::once_flag curlInitOnce;

size_t collectBody(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

int abortWhenAsked(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::atomic<bool>*>(user)->load() ? 1 : 0;
}

}  // namespace

struct CurlHttpTransport::State {
    std::optional<std::chrono::milliseconds> timeoutCap;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::pair<HttpRequest, Completion>> queue;
    bool stopping = false;
    std::atomic<bool> abort{false};
};

CurlHttpTransport::CurlHttpTransport(std::optional<std::chrono::milliseconds> timeoutCap)
    : state_(std::make_shared<State>()) {
    std::call_once(curlInitOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    state_->timeoutCap = timeoutCap;
    thread_ = std::thread(&CurlHttpTransport::run, state_);
}

CurlHttpTransport::~CurlHttpTransport() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->abort = true;
    state_->wake.notify_all();
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

void CurlHttpTransport::send(HttpRequest request, Completion completion) {
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->stopping) {
            state_->queue.emplace_back(std::move(request), std::move(completion));
            state_->wake.notify_all();
            return;
        }
    }
    completion(HttpResponse{std::string("The transport is shut down"), 0, {}});
}

void CurlHttpTransport::run(std::shared_ptr<State> state) {
    useAlternateSignalStack();
    while (true) {
        std::pair<HttpRequest, Completion> job;
        {
            std::unique_lock lock(state->mutex);
            state->wake.wait(lock, [&] { return state->stopping || !state->queue.empty(); });
            if (state->queue.empty()) return;
            job = std::move(state->queue.front());
            state->queue.pop_front();
        }
        HttpResponse response =
            state->abort ? HttpResponse{std::string("The transport is shut down"), 0, {}} : perform(*state, job.first);
        if (job.second) job.second(std::move(response));
    }
}

HttpResponse CurlHttpTransport::perform(State& state, const HttpRequest& request) {
    HttpResponse response;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        response.error = "Cannot create an HTTP request";
        return response;
    }
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : request.headers) {
        headers = curl_slist_append(headers, (name + ": " + value).c_str());
    }
    // Only the request's own headers: libcurl would otherwise add "Expect: 100-continue" to a large batch and
    // hold the body back for a second waiting for a reply that servers are not bound to send, and a server or
    // proxy that refuses the expectation (417) would fail every attempt of that batch.
    headers = curl_slist_append(headers, "Expect:");
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers, &curl_slist_free_all);

    auto timeout = std::chrono::duration_cast<std::chrono::milliseconds>(request.timeout);
    if (state.timeoutCap && *state.timeoutCap < timeout) timeout = *state.timeoutCap;

    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    // Only the web: a configured base URL must never make the client read files or talk other protocols.
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (request.method == "POST") {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    } else {
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }
    // A moved endpoint is followed a few times; a loop ends as an error (a failed attempt), not as a 3xx
    // status retried for ever. 307 and 308 repeat the method and body by definition; 301 and 302 are made to
    // as well, since turning an upload into a GET would lose the batch while its answer counted as accepted.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, maximumRedirects);
    curl_easy_setopt(h, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_301 | CURL_REDIR_POST_302));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    // Worker threads must not take signals for DNS time-outs.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &collectBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &response.body);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &abortWhenAsked);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &state.abort);

    const CURLcode code = curl_easy_perform(h);
    if (code != CURLE_OK) {
        response.error = curl_easy_strerror(code);
        response.body.clear();
        return response;
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    response.status = static_cast<int>(status);
    // The answer's own headers only: not those of a redirect on the way, nor trailers or a proxy's.
    for (curl_header* header = nullptr; (header = curl_easy_nextheader(h, CURLH_HEADER, -1, header));) {
        response.headers.emplace_back(header->name, header->value);
    }
    return response;
}

}  // namespace clicktrove::platform
