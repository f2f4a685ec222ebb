#include "support/system_bus.hpp"

#include <unistd.h>
#include <atomic>
#include <filesystem>
#include <fstream>

namespace clicktrove::testing {

bool SystemBus::start() {
    static std::atomic<int> count{0};
    const std::string name = "clicktrove-test-system-bus-" + std::to_string(::getpid()) + "-" + std::to_string(count++);
    const auto config = std::filesystem::temp_directory_path() / (name + ".conf");
    bool written = false;
    {
        std::ofstream out(config);
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
        written = static_cast<bool>(out);
    }
    const bool started = written && PrivateBus::start({"--config-file=" + config.string()});
    // The daemon has read it.
    std::error_code ignored;
    std::filesystem::remove(config, ignored);
    return started;
}

}  // namespace clicktrove::testing
