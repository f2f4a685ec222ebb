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

// The one thread there is: the one that crashed, as the report saved it.
struct SavedThread {
    const CrashReport* report;
    pid_t threadId;
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
bool readMemory(Dwfl*, Dwarf_Addr address, Dwarf_Word* result, void* saved) {
    const CrashReport::Stack& stack = *static_cast<SavedThread*>(saved)->report->stack;
    if (address < stack.start || stack.bytes.size() < sizeof *result ||
        address - stack.start > stack.bytes.size() - sizeof *result) {
        return false;
    }
    std::memcpy(result, stack.bytes.data() + (address - stack.start), sizeof *result);
    return true;
}

bool setInitialRegisters(Dwfl_Thread* thread, void* saved) {
    const CrashReport& report = *static_cast<SavedThread*>(saved)->report;
    if (!dwfl_thread_state_registers(thread, 0, static_cast<unsigned>(report.registers.size()),
                                     report.registers.data())) {
        return false;
    }
    dwfl_thread_state_register_pc(thread, report.frames.front().address);
    return true;
}

const Dwfl_Thread_Callbacks kSavedThreadCallbacks = {
    &nextThread, &getThread, &readMemory, &setInitialRegisters, nullptr, nullptr,
};

int collectFrame(Dwfl_Frame* frame, void* addresses) {
    auto& found = *static_cast<std::vector<Dwarf_Addr>*>(addresses);
    Dwarf_Addr pc = 0;
    if (!dwfl_frame_pc(frame, &pc, nullptr) || pc == 0) return DWARF_CB_ABORT;
    found.push_back(pc);
    return found.size() < kMaxFrames ? DWARF_CB_OK : DWARF_CB_ABORT;
}

std::optional<std::size_t> moduleHolding(const CrashReport& report, std::uint64_t address) {
    for (std::size_t i = 0; i < report.modules.size(); ++i) {
        if (address >= report.modules[i].start && address < report.modules[i].end) return i;
    }
    return std::nullopt;
}

}  // namespace

void StackSnapshotUnwinder::unwind(Dwfl* dwfl, CrashReport& report) {
    const bool saved = report.stack && !report.registers.empty() && !report.frames.empty();
    if (saved) {
        SavedThread thread{&report, static_cast<pid_t>(report.threadId)};
        const pid_t process = static_cast<pid_t>(report.processId > 0 ? report.processId : report.threadId);
        std::vector<Dwarf_Addr> found;
        // The architecture comes from the modules; without any there is nothing to walk with.
        if (dwfl_attach_state(dwfl, nullptr, process, &kSavedThreadCallbacks, &thread)) {
            // An error ends the walk as well as the end of the stack does; what was found until then stands.
            dwfl_getthread_frames(dwfl, thread.threadId, &collectFrame, &found);
        }
        if (!found.empty() && found.front() == report.frames.front().address) {
            report.frames.resize(1);
            for (std::size_t i = 1; i < found.size(); ++i) {
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
