#pragma once

namespace clicktrove::platform {

// Asks for a better scheduling class for the calling thread, as far as the process's resource limits allow
// without privileges: real-time round-robin when RLIMIT_RTPRIO grants a priority, otherwise the lowest nice
// value RLIMIT_NICE grants. Keeps the thread as it is, silently, when neither does (the usual desktop
// default). Children forked later start with the normal class again. Returns whether anything changed.
bool raiseCurrentThreadPriority();

}  // namespace clicktrove::platform
