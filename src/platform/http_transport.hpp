#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace clicktrove::platform {

struct HttpRequest {
    std::string url;
    std::string method = "POST";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::chrono::seconds timeout{60};
};

struct HttpResponse {
    // Set when the request failed before an HTTP status arrived (refused, timed out, bad address).
    std::optional<std::string> error;
    // The HTTP status; 0 when there is none.
    int status = 0;
    std::string body;
    // The headers of the final answer (after any redirects), names as the server wrote them.
    std::vector<std::pair<std::string, std::string>> headers{};

    // The first header of that name, compared without regard to case; empty when there is none.
    std::string header(std::string_view name) const;
};

// Carries the uploads. send returns at once; the completion runs later on a thread of the transport's own.
class HttpTransport {
public:
    using Completion = std::function<void(HttpResponse)>;
    virtual ~HttpTransport() = default;
    virtual void send(HttpRequest request, Completion completion) = 0;
};

}  // namespace clicktrove::platform
