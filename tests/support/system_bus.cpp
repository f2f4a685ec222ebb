#include "support/system_bus.hpp"

#include <unistd.h>
#include <atomic>
#include <fstream>

namespace clicktrove::testing {

bool SystemBus::start() {
    stop();
    static std::atomic<int> count{0};
    const std::string name = "clicktrove-test-system-bus-" + std::to_string(::getpid()) + "-" + std::to_string(count++);
    config_ = std::filesystem::temp_directory_path() / (name + ".conf");
    {
        std::ofstream out(config_);
        out << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>system</type>\n"
               "  <listen>unix:abstract="
            << name
            << "</listen>\n"
               "  <auth>EXTERNAL</auth>\n"
               "  <policy context=\"default\">\n"
               "    <allow user=\"*\"/>\n"
               "    <allow own=\"*\"/>\n"
               "    <allow send_destination=\"*\"/>\n"
               "    <allow receive_sender=\"*\"/>\n"
               "  </policy>\n"
               "</busconfig>\n";
        if (!out) return false;
    }
    std::string line;
    const bool started = startWithReadyLine(
        process_,
        {"dbus-daemon", "--config-file=" + config_.string(), "--nofork", "--nopidfile", "--print-address={fd}"}, line,
        15000);
    // The daemon has read it.
    std::error_code ignored;
    std::filesystem::remove(config_, ignored);
    if (!started) return false;
    address_ = line;
    env_ = std::make_unique<ScopedEnv>("DBUS_SYSTEM_BUS_ADDRESS", address_);
    return true;
}

void SystemBus::stop() {
    process_.stop();
    env_.reset();
}

}  // namespace clicktrove::testing
