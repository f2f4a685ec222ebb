#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clicktrove::testing {

// A tiny HTTP server on 127.0.0.1 and a port the kernel picks, for upload tests. It records each request and
// answers with the next scripted status (200 when the script is empty); the status 0 means "stall": the
// connection is held open without an answer, and kDrop closes it at once without one (an answer lost on the
// way). A 3xx answer carries the location given to redirectTo. It serves at most
// maxRequests and stops after lifetime, whatever the test does, and never listens on any other address.
class LoopbackIngestionServer {
public:
    struct Request {
        std::string method;
        std::string path;
        std::map<std::string, std::string> headers;  // names lower-cased
        std::string body;
    };

    static constexpr int kDrop = -1;

    explicit LoopbackIngestionServer(std::vector<int> statuses = {}, int maxRequests = 20,
                                     std::chrono::seconds lifetime = std::chrono::seconds(60));
    ~LoopbackIngestionServer();

    bool started() const { return port_ != 0; }
    int port() const { return port_; }
    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<Request> requests() const;
    // Every 3xx answer from now on points there ("Location").
    void redirectTo(std::string location);
    // Every answer from now on waits that long before it goes out.
    void delayReplies(std::chrono::milliseconds delay);
    // Every answer with that status from now on carries the header as well.
    void addHeader(int status, std::string name, std::string value);
    // Waits until at least count requests are recorded, or timeout; returns whether they are.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    void run();
    void serve(int fd);

    int listenFd_ = -1;
    int port_ = 0;
    int maxRequests_;
    std::chrono::steady_clock::time_point deadline_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable recorded_;
    std::deque<int> statuses_;
    std::vector<Request> requests_;
    std::vector<int> stalled_;
    std::string location_;
    std::multimap<int, std::pair<std::string, std::string>> extraHeaders_;
    std::chrono::milliseconds replyDelay_{0};
    std::thread thread_;
};

}  // namespace clicktrove::testing
