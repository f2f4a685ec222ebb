#include "platform/alternate_signal_stack.hpp"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>

namespace clicktrove::platform {

namespace {

// Enough for a handler that walks the stack and formats a report in fixed buffers; the system's minimum
// (which grows with the CPU's vector registers) is honoured when it is larger.
constexpr std::size_t kMinimumStack = 64 * 1024;

class ThreadSignalStack {
public:
    bool install() {
        if (memory_) return true;
        stack_t current{};
        if (::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) {
            // Someone (a sanitizer runtime, a library) already gave this thread one; keep it.
            return true;
        }
        const long page = ::sysconf(_SC_PAGESIZE);
        const long systemMinimum = ::sysconf(_SC_MINSIGSTKSZ);
        std::size_t size = std::max<std::size_t>(kMinimumStack, systemMinimum > 0 ? 4 * systemMinimum : 0);
        size = (size + page - 1) / page * page;
        // One inaccessible page below the stack, so that a handler that overruns it faults instead of writing
        // over whatever the kernel mapped beneath.
        void* memory = ::mmap(nullptr, size + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) return false;
        ::mprotect(memory, page, PROT_NONE);
        stack_t stack{};
        stack.ss_sp = static_cast<char*>(memory) + page;
        stack.ss_size = size;
        if (::sigaltstack(&stack, nullptr) != 0) {
            ::munmap(memory, size + page);
            return false;
        }
        memory_ = memory;
        stackBase_ = stack.ss_sp;
        length_ = size + page;
        return true;
    }

    ~ThreadSignalStack() {
        if (!memory_) return;
        stack_t current{};
        // Only switch off the stack when it is still ours: the kernel would otherwise run a late handler on
        // memory that is about to be unmapped.
        if (::sigaltstack(nullptr, &current) == 0 && current.ss_sp == stackBase_) {
            stack_t off{};
            off.ss_flags = SS_DISABLE;
            ::sigaltstack(&off, nullptr);
        }
        ::munmap(memory_, length_);
    }

private:
    void* memory_ = nullptr;
    void* stackBase_ = nullptr;
    std::size_t length_ = 0;
};

}  // namespace

bool useAlternateSignalStack() {
    thread_local ThreadSignalStack stack;
    return stack.install();
}

}  // namespace clicktrove::platform
