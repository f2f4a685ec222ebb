#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace clicktrove::platform {

// The handlers installed on one monitor, keyed by their token. Dispatch is safe against handlers that add or
// remove monitors (themselves included) while they run: a handler removed during a dispatch is not called
// afterwards, one added during it first sees the next event. Single-threaded (the main thread).
template <typename Event>
class MonitorRegistry {
public:
    using Handler = std::function<void(const Event&)>;
    using Token = std::uint64_t;

    Token add(Handler handler) {
        const Token token = nextToken_++;
        handlers_.emplace(token, std::make_shared<Handler>(std::move(handler)));
        return token;
    }
    // Returns whether the token was installed.
    bool remove(Token token) { return handlers_.erase(token) > 0; }
    bool empty() const { return handlers_.empty(); }
    std::size_t size() const { return handlers_.size(); }

    void dispatch(const Event& event) const {
        std::vector<std::pair<Token, std::shared_ptr<Handler>>> snapshot(handlers_.begin(), handlers_.end());
        for (const auto& [token, handler] : snapshot) {
            if (handlers_.count(token) == 0) continue;
            (*handler)(event);
        }
    }

private:
    std::map<Token, std::shared_ptr<Handler>> handlers_;
    Token nextToken_ = 1;
};

}  // namespace clicktrove::platform
