#pragma once

#include "crash/crash_report.hpp"

namespace clicktrove::crash {

// Walks the stack of a report from the registers and stack bytes the handler saved (StackSnapshotUnwinder), then
// names the frames, from the modules' own symbol tables and DWARF, or from their separate debug files: by build ID
// under /usr/lib/debug/.build-id (Debian's -dbgsym packages, this program's among them) or under lib/debug of
// the prefix a module is installed in, or by the module's debug link beside it (elfutils' libdw for all).
// A frame gets a file and line only where the line tables cover its address.
// It reads local files only: it never asks a debuginfod server, whatever DEBUGINFOD_URLS says, since a build
// without a crash-reporting address must send nothing. A module whose file is gone or has been replaced (its
// build ID differs from the one the crash recorded) leaves its frames as bare addresses, and the walk of the stack
// ends at the first of them.
class ReportSymbolizer {
public:
    // Fills in the frames, and their function, file and line wherever it can, and marks the report as symbolised.
    static void symbolize(CrashReport& report);
};

}  // namespace clicktrove::crash
