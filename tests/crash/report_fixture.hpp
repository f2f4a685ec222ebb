#pragma once

#include "crash/crash_report.hpp"

namespace clicktrove::crash::testing {

// A complete report of a SIGSEGV at address 0x10 with three frames in two modules, as the handler would write it.
// The modules' files do not exist, so symbolisation leaves the frames as addresses.
inline CrashReport sampleReport() {
    CrashReport report;
    report.release = "clicktrove@0.1.0+1";
    report.dist = "12";
    report.time = "2024-05-01T12:00:00.123Z";
    report.processId = 4242;
    report.signal = 11;
    report.signalName = "SIGSEGV";
    report.code = 1;
    report.faultAddress = 0x10;
    report.threadId = 4243;
    report.threadName = "clicktrove-engi";
    report.os = "Linux 6.1.0-18-amd64 x86_64";
    report.modules = {
        {0x55d0c0000000, 0x55d0c0040000, 0, "f1c3bcc0279865fe3058404b2831d9e64135386c", "/nowhere/clicktrove"},
        {0x7f0000000000, 0x7f0000200000, 0, "", "/nowhere/libc.so.6"}};
    report.frames = {{0x55d0c0001234, 0, "", "", 0}, {0x55d0c0002345, 0, "", "", 0}, {0x7f0000012345, 1, "", "", 0}};
    return report;
}

}  // namespace clicktrove::crash::testing
