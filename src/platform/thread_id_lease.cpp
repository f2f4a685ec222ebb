#include "platform/thread_id_lease.hpp"

#include <sys/syscall.h>
#include <unistd.h>

namespace clicktrove::platform {

namespace {

struct EndsWithTheThread {
    std::shared_ptr<ThreadIdLease> lease;
    ~EndsWithTheThread() {
        if (lease) lease->end();
    }
};

}  // namespace

std::shared_ptr<ThreadIdLease> ThreadIdLease::ofCallingThread() {
    thread_local EndsWithTheThread holder;
    if (!holder.lease)
        holder.lease = std::make_shared<ThreadIdLease>(static_cast<std::uint64_t>(::syscall(SYS_gettid)));
    return holder.lease;
}

bool ThreadIdLease::use(const std::function<void(std::uint64_t)>& use) {
    std::lock_guard lock(mutex_);
    if (ended_) return false;
    use(threadId_);
    return true;
}

void ThreadIdLease::end() {
    std::lock_guard lock(mutex_);
    ended_ = true;
}

}  // namespace clicktrove::platform
