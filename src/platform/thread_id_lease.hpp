#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace clicktrove::platform {

// A thread's kernel id, for another thread to act on it while it lives. The kernel hands an id to a new thread
// once its thread has ended, so a request naming it after that (RealtimeKit's, or a priority change) would reach
// a stranger. A helper acting on the thread's behalf uses the id only through the lease, and the lease ends before
// its thread does, after a use under way. Thread safe.
class ThreadIdLease {
public:
    // The calling thread's lease, ended as the thread exits (by a thread-local object's destructor); the same one
    // for every call on one thread.
    static std::shared_ptr<ThreadIdLease> ofCallingThread();

    explicit ThreadIdLease(std::uint64_t threadId) : threadId_(threadId) {}
    ThreadIdLease(const ThreadIdLease&) = delete;
    ThreadIdLease& operator=(const ThreadIdLease&) = delete;

    // For naming the thread in what use() runs: acting on it anywhere else may reach a stranger.
    std::uint64_t threadId() const { return threadId_; }
    // Runs use with the id while the thread lives, and returns true; false, without running it, once the lease
    // has ended. The thread cannot end meanwhile.
    bool use(const std::function<void(std::uint64_t)>& use);
    // Ends the lease, waiting for a use under way; later uses do nothing. Called by the thread itself, before it
    // exits, so a use must never wait for that thread.
    void end();

private:
    const std::uint64_t threadId_;
    std::mutex mutex_;
    bool ended_ = false;
};

}  // namespace clicktrove::platform
