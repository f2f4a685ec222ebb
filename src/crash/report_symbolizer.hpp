#pragma once

#include "crash/crash_report.hpp"

namespace clicktrove::crash {

// Names the frames of a report after the fact, from the modules' own symbol tables and DWARF, or from the
// separate debug files Debian's -dbgsym packages install under /usr/lib/debug/.build-id (elfutils' libdw).
// It reads local files only: it never asks a debuginfod server, whatever DEBUGINFOD_URLS says, since a build
// without a crash-reporting address must send nothing. A module whose file is gone or has been replaced (its
// build ID differs from the one the crash recorded) leaves its frames as bare addresses.
class ReportSymbolizer {
public:
    // Fills in function, file and line wherever it can and marks the report as symbolised.
    static void symbolize(CrashReport& report);
};

}  // namespace clicktrove::crash
