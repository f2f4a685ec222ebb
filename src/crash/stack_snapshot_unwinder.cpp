#include "crash/stack_snapshot_unwinder.hpp"

#include <elfutils/libdw.h>

#include <cstring>
#include <type_traits>
#include <vector>

namespace clicktrove::crash {

namespace {

// More than any real stack holds; a damaged stack that loops ends here.
constexpr std::size_t kMaxFrames = 256;

// The saved registers go to the unwinder as they are.
static_assert(std::is_same_v<Dwarf_Word, std::uint64_t>);

#if defined(__x86_64__)
constexpr std::size_t kStackPointer = 7;     // rsp
constexpr std::size_t kReturnAddress = 16;   // the return address column, which holds rip
#elif defined(__aarch64__)
constexpr std::size_t kStackPointer = 31;    // sp
constexpr std::size_t kLinkRegister = 30;    // x30
#endif

// The one thread there is: the one that crashed, as the report saved it, and where its walk starts.
struct SavedThread {
    const CrashReport* report;
    pid_t threadId;
    std::vector<Dwarf_Word> registers;
    Dwarf_Addr pc;
};

pid_t nextThread(Dwfl*, void* saved, void** threadArgument) {
    if (*threadArgument) return 0;
    *threadArgument = saved;
    return static_cast<SavedThread*>(saved)->threadId;
}

bool getThread(Dwfl*, pid_t threadId, void* saved, void** threadArgument) {
    if (threadId != static_cast<SavedThread*>(saved)->threadId) return false;
    *threadArgument = saved;
    return true;
}

// Only the saved stack can be read; a walk that needs anything else ends there.
bool readSaved(const CrashReport::Stack& stack, Dwarf_Addr address, Dwarf_Word* result) {
    if (address < stack.start || stack.bytes.size() < sizeof *result ||
        address - stack.start > stack.bytes.size() - sizeof *result) {
        return false;
    }
    std::memcpy(result, stack.bytes.data() + (address - stack.start), sizeof *result);
    return true;
}

bool readMemory(Dwfl*, Dwarf_Addr address, Dwarf_Word* result, void* saved) {
    return readSaved(*static_cast<SavedThread*>(saved)->report->stack, address, result);
}

bool setInitialRegisters(Dwfl_Thread* thread, void* saved) {
    const SavedThread& state = *static_cast<SavedThread*>(saved);
    if (!dwfl_thread_state_registers(thread, 0, static_cast<unsigned>(state.registers.size()),
                                     state.registers.data())) {
        return false;
    }
    dwfl_thread_state_register_pc(thread, state.pc);
    return true;
}

const Dwfl_Thread_Callbacks kSavedThreadCallbacks = {
    &nextThread, &getThread, &readMemory, &setInitialRegisters, nullptr, nullptr,
};

// Ends the walk after the first address in no module the walk may use (a module replaced or gone since the
// crash, or no module at all): its call-frame information is missing or wrong, and a guess from there (libdw
// falls back on the frame pointer) would add frames that never were.
int collectFrame(Dwfl_Frame* frame, void* addresses) {
    auto& found = *static_cast<std::vector<Dwarf_Addr>*>(addresses);
    Dwarf_Addr pc = 0;
    bool activation = false;
    if (!dwfl_frame_pc(frame, &pc, &activation) || pc == 0) return DWARF_CB_ABORT;
    found.push_back(pc);
    Dwfl* dwfl = dwfl_thread_dwfl(dwfl_frame_thread(frame));
    // A return address may lie just past the end of its function, even of its module.
    if (!dwfl_addrmodule(dwfl, activation ? pc : pc - 1)) return DWARF_CB_ABORT;
    return found.size() < kMaxFrames ? DWARF_CB_OK : DWARF_CB_ABORT;
}

std::optional<std::size_t> moduleHolding(const CrashReport& report, std::uint64_t address) {
    for (std::size_t i = 0; i < report.modules.size(); ++i) {
        if (address >= report.modules[i].start && address < report.modules[i].end) return i;
    }
    return std::nullopt;
}

// A call through a null or dangling function pointer faults at a pc in no module, where there is nothing to
// unwind with; but the call has only just happened, so the caller's state is still there: its return address on
// top of the stack (x86-64) or in the link register (aarch64), and every other register as the caller left it.
// The walk then starts in the caller, at that return address.
bool seedFromReturnAddress(const CrashReport& report, SavedThread& state) {
#if defined(__x86_64__)
    if (state.registers.size() <= kReturnAddress) return false;
    Dwarf_Word returnAddress = 0;
    if (!readSaved(*report.stack, state.registers[kStackPointer], &returnAddress)) return false;
    if (!moduleHolding(report, returnAddress)) return false;
    state.registers[kStackPointer] += sizeof returnAddress;
    state.registers[kReturnAddress] = returnAddress;
    state.pc = returnAddress;
    return true;
#elif defined(__aarch64__)
    if (state.registers.size() <= kStackPointer) return false;
    const Dwarf_Word returnAddress = state.registers[kLinkRegister];
    if (!moduleHolding(report, returnAddress)) return false;
    state.pc = returnAddress;
    return true;
#else
    (void)report;
    (void)state;
    return false;
#endif
}

}  // namespace

void StackSnapshotUnwinder::unwind(Dwfl* dwfl, CrashReport& report) {
    const bool saved = report.stack && !report.registers.empty() && !report.frames.empty();
    if (saved) {
        SavedThread thread{&report, static_cast<pid_t>(report.threadId), report.registers,
                           report.frames.front().address};
        // Frame 0 stays as the handler wrote it; with a seeded walk the caller is the first frame found.
        const bool seeded = !report.frames.front().module && seedFromReturnAddress(report, thread);
        const pid_t process = static_cast<pid_t>(report.processId > 0 ? report.processId : report.threadId);
        std::vector<Dwarf_Addr> found;
        // The architecture comes from the modules; without any there is nothing to walk with.
        if (dwfl_attach_state(dwfl, nullptr, process, &kSavedThreadCallbacks, &thread)) {
            // An error ends the walk as well as the end of the stack does; what was found until then stands.
            dwfl_getthread_frames(dwfl, thread.threadId, &collectFrame, &found);
        }
        if (!found.empty() && found.front() == thread.pc) {
            report.frames.resize(1);
            for (std::size_t i = seeded ? 0 : 1; i < found.size(); ++i) {
                CrashReport::Frame frame;
                frame.address = found[i];
                frame.module = moduleHolding(report, found[i]);
                report.frames.push_back(std::move(frame));
            }
        }
    }
    report.registers.clear();
    report.stack.reset();
}

}  // namespace clicktrove::crash
