#pragma once

#include "crash/crash_report.hpp"

#include <elfutils/libdwfl.h>

namespace clicktrove::crash {

// Walks the crashing thread's stack from what the handler saved, its registers and the bytes of its stack, with
// elfutils' unwinder, which reads each module's call-frame information from the module's file: the walk the
// handler could not do itself, since every stack walker in a process takes the loader's lock.
class StackSnapshotUnwinder {
public:
    // Puts the return addresses found after frame 0, each with its module, and drops the saved registers and
    // stack. dwfl holds the report's modules whose files are the ones that crashed; the walk ends at the first
    // address in any other (a module replaced since the crash), which it keeps. Frame 0 stays as the handler
    // wrote it; when it lies in no module (a call through a bad function pointer), the walk starts from the
    // caller's return address instead.
    static void unwind(Dwfl* dwfl, CrashReport& report);
};

}  // namespace clicktrove::crash
