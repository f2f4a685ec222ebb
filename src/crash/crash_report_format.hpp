#pragma once

#include <cstddef>

namespace clicktrove::crash {

// The text form of a crash report, which the signal handler writes and CrashReport reads back: one "key: value"
// per line, the header first and kReportEnd last (a report without it was cut short). Later lines of the same key
// (module, frame) add to a list.
//
//   Clicktrove crash report 1
//   release: clicktrove@0.1.0+1
//   dist: 1
//   version: 0.1.0                                (the program's own version; the dist is its build)
//   time: 2024-05-01T12:00:00.123Z
//   process: 4242
//   signal: 11 SIGSEGV
//   code: 1
//   address: 0x0                                  (faults raised by the CPU only)
//   thread: 4243 clicktrove-engi
//   terminate: <mangled type>\t<what()>           (std::terminate only; empty without an exception)
//   os: Linux 6.1.0-18-amd64 x86_64
//   distribution: Debian GNU/Linux\t12            (os-release's name and version, as far as it says)
//   module: <index> <start> <end> <vmaddr> <build ID in hex, or -> <path>
//   registers: <value> <value> ...                (the crashing thread's, by DWARF number from 0)
//   frame: <index> <address> <module index, or -> [\t<function>\t<file>\t<line>]
//   stack: <address> <bytes in hex>               (the crashing thread's stack upwards from its pointer)
//   symbolized: yes                               (once the frames carry names)
//   event: <32 hex digits>                        (the event it is sent as, from the first attempt on)
//   end
//
// Frame 0 is the address that faulted; every later one is a return address. The handler itself writes frame 0
// only: walking the stack would need the loader's lock (dl_iterate_phdr) and an unwinder's own locks and memory,
// none of which a signal handler may take. It saves the registers and the stack's bytes (in "stack" lines of
// consecutive addresses) instead, and the next start walks the stack from them and then drops both.
inline constexpr char kReportHeader[] = "Clicktrove crash report 1";
inline constexpr char kReportEnd[] = "end";
inline constexpr char kReportExtension[] = ".crash";
// Added to the name while the handler is still writing (see CrashHandler).
inline constexpr char kPartialExtension[] = ".partial";

inline constexpr char kReleaseKey[] = "release: ";
inline constexpr char kDistKey[] = "dist: ";
inline constexpr char kVersionKey[] = "version: ";
inline constexpr char kTimeKey[] = "time: ";
inline constexpr char kProcessKey[] = "process: ";
inline constexpr char kSignalKey[] = "signal: ";
inline constexpr char kCodeKey[] = "code: ";
inline constexpr char kAddressKey[] = "address: ";
inline constexpr char kThreadKey[] = "thread: ";
inline constexpr char kTerminateKey[] = "terminate: ";
inline constexpr char kOsKey[] = "os: ";
inline constexpr char kDistributionKey[] = "distribution: ";
inline constexpr char kModuleKey[] = "module: ";
inline constexpr char kRegistersKey[] = "registers: ";
inline constexpr char kFrameKey[] = "frame: ";
inline constexpr char kStackKey[] = "stack: ";
// The stack's bytes a "stack" line holds at most.
inline constexpr std::size_t kStackLineBytes = 1024;
inline constexpr char kSymbolizedKey[] = "symbolized: ";
inline constexpr char kEventKey[] = "event: ";

}  // namespace clicktrove::crash
