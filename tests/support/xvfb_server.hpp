#pragma once

#include "support/child_process.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace clicktrove::testing {

// A private X server. Xvfb picks a free display number itself (-displayfd), so tests run in parallel.
// While it runs, DISPLAY points at it; the previous value comes back on stop().
class XvfbServer {
public:
    struct Options {
        int width = 1920;
        int height = 1080;
        bool withXtest = true;
    };

    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { stop(); }

    bool start() { return start(Options{}); }
    bool start(const Options& options);
    void stop();
    bool running() const { return process_.running(); }
    pid_t pid() const { return process_.pid(); }
    // ":N"
    const std::string& display() const { return display_; }

private:
    ChildProcess process_;
    std::string display_;
    std::unique_ptr<ScopedEnv> env_;
};

// A gtest fixture that gives each test its own X server; tests are skipped with a clear message when Xvfb is
// not installed.
class XvfbTest : public ::testing::Test {
protected:
    void SetUp() override;
    XvfbServer xvfb;
};

}  // namespace clicktrove::testing
