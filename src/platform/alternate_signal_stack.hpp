#pragma once

namespace clicktrove::platform {

// Gives the calling thread a stack of its own for signal handlers (sigaltstack), so that a handler installed with
// SA_ONSTACK still runs when the thread has overflowed its normal stack. The kernel keeps one such stack per
// thread and threads do not inherit it, so every thread that should report its own stack overflow calls this
// once at its start. The stack is released when the thread ends; calling again on the same thread does nothing.
// Returns false when the stack could not be set up (the thread then runs handlers on its normal stack).
bool useAlternateSignalStack();

}  // namespace clicktrove::platform
