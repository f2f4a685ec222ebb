#include "support/loopback_ingestion_server.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace clicktrove::testing {

LoopbackIngestionServer::LoopbackIngestionServer(std::vector<int> statuses, int maxRequests,
                                                 std::chrono::seconds lifetime)
    : maxRequests_(maxRequests),
      deadline_(std::chrono::steady_clock::now() + lifetime),
      statuses_(statuses.begin(), statuses.end()) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 8) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
}

LoopbackIngestionServer::~LoopbackIngestionServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    for (int fd : stalled_) ::close(fd);
}

std::vector<LoopbackIngestionServer::Request> LoopbackIngestionServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackIngestionServer::redirectTo(std::string location) {
    std::lock_guard lock(mutex_);
    location_ = std::move(location);
}

void LoopbackIngestionServer::delayReplies(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    replyDelay_ = delay;
}

void LoopbackIngestionServer::addHeader(int status, std::string name, std::string value) {
    std::lock_guard lock(mutex_);
    extraHeaders_.emplace(status, std::make_pair(std::move(name), std::move(value)));
}

bool LoopbackIngestionServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return recorded_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

void LoopbackIngestionServer::run() {
    int served = 0;
    while (!stop_ && served < maxRequests_ && std::chrono::steady_clock::now() < deadline_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        serve(fd);
        ++served;
    }
}

void LoopbackIngestionServer::serve(int fd) {
    std::string data;
    char buffer[4096];
    std::size_t headerEnd = std::string::npos;
    std::size_t contentLength = 0;
    const auto requestDeadline = std::min(deadline_, std::chrono::steady_clock::now() + std::chrono::seconds(10));
    while (!stop_ && std::chrono::steady_clock::now() < requestDeadline) {
        if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + contentLength) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                std::string head = data.substr(0, headerEnd);
                std::transform(head.begin(), head.end(), head.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                const auto at = head.find("content-length:");
                if (at != std::string::npos) contentLength = std::stoul(head.substr(at + 15));
            }
        }
    }
    Request request;
    if (headerEnd != std::string::npos) {
        const std::string head = data.substr(0, headerEnd);
        request.body = data.substr(headerEnd + 4);
        std::size_t lineEnd = head.find("\r\n");
        const std::string first = head.substr(0, lineEnd);
        const auto sp1 = first.find(' ');
        const auto sp2 = first.find(' ', sp1 + 1);
        request.method = first.substr(0, sp1);
        request.path = first.substr(sp1 + 1, sp2 - sp1 - 1);
        while (lineEnd != std::string::npos) {
            const std::size_t start = lineEnd + 2;
            lineEnd = head.find("\r\n", start);
            const std::string line =
                head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
            const auto colon = line.find(':');
            if (colon == std::string::npos) continue;
            std::string name = line.substr(0, colon);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            request.headers[name] = value;
        }
    }
    int status = 200;
    std::string location;
    std::chrono::milliseconds delay{0};
    std::string extra;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
        if (!statuses_.empty()) {
            status = statuses_.front();
            statuses_.pop_front();
        }
        location = location_;
        delay = replyDelay_;
        const auto [from, to] = extraHeaders_.equal_range(status);
        for (auto it = from; it != to; ++it) extra += it->second.first + ": " + it->second.second + "\r\n";
    }
    recorded_.notify_all();
    if (status == 0) {
        stalled_.push_back(fd);
        return;
    }
    if (status == kDrop) {
        ::close(fd);
        return;
    }
    if (delay.count() > 0) std::this_thread::sleep_for(delay);
    const std::string body = "{}";
    std::string reply = "HTTP/1.1 " + std::to_string(status) + " Scripted\r\nContent-Type: application/json\r\n";
    if (status >= 300 && status < 400 && !location.empty()) reply += "Location: " + location + "\r\n";
    reply += extra;
    reply += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    std::size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

}  // namespace clicktrove::testing
