#include "support/xvfb_server.hpp"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace clicktrove::testing {

bool XvfbServer::start(const Options& options) {
    stop();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    std::vector<std::string> argv = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                                     "-nolisten", "tcp", "-noreset", "+extension", "RANDR"};
    if (!options.withXtest) {
        argv.push_back("-extension");
        argv.push_back("XTEST");
    }
    const bool started = process_.start(argv, fds[1]);
    ::close(fds[1]);
    std::string line;
    const bool ready = started && readLine(fds[0], line, 15000) && !line.empty();
    ::close(fds[0]);
    if (!ready) {
        process_.stop();
        return false;
    }
    display_ = ":" + line;
    const char* old = std::getenv("DISPLAY");
    savedDisplay_ = old ? std::optional<std::string>(old) : std::nullopt;
    changedEnv_ = true;
    ::setenv("DISPLAY", display_.c_str(), 1);
    return true;
}

void XvfbServer::stop() {
    process_.stop();
    if (changedEnv_) {
        if (savedDisplay_) {
            ::setenv("DISPLAY", savedDisplay_->c_str(), 1);
        } else {
            ::unsetenv("DISPLAY");
        }
        changedEnv_ = false;
    }
}

void XvfbTest::SetUp() {
    if (!xvfb.start()) GTEST_SKIP() << "Xvfb could not be started (is the xvfb package installed?)";
}

}  // namespace clicktrove::testing
