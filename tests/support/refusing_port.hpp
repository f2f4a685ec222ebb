#pragma once

namespace clicktrove::testing {

// A loopback port that refuses every connection: bound, so nobody else can take it while the test runs (as a
// closed port could be taken by a parallel test's server), but never listening.
class RefusingPort {
public:
    RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    ~RefusingPort();

    // 0 when no port could be bound.
    int port() const { return port_; }

private:
    int fd_;
    int port_ = 0;
};

}  // namespace clicktrove::testing
