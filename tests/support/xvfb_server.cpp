#include "support/xvfb_server.hpp"

namespace clicktrove::testing {

bool XvfbServer::start(const Options& options) {
    stop();
    const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    std::vector<std::string> argv = {"Xvfb",      "-displayfd", "{fd}",     "-screen",    "0",    screen,
                                     "-nolisten", "tcp",        "-noreset", "+extension", "RANDR"};
    if (!options.withXtest) {
        argv.push_back("-extension");
        argv.push_back("XTEST");
    }
    std::string line;
    if (!startWithReadyLine(process_, argv, line, 15000)) return false;
    display_ = ":" + line;
    env_ = std::make_unique<ScopedEnv>("DISPLAY", display_);
    return true;
}

void XvfbServer::stop() {
    process_.stop();
    env_.reset();
}

void XvfbTest::SetUp() {
    if (!xvfb.start()) GTEST_SKIP() << "Xvfb could not be started (is the xvfb package installed?)";
}

}  // namespace clicktrove::testing
