// A thread's id used on its behalf only while it lives: a use under way holds its end back, and after the end
// nothing uses the id, which the kernel may have given to another thread.
#include "platform/thread_id_lease.hpp"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <atomic>
#include <future>
#include <thread>

namespace {

using clicktrove::platform::ThreadIdLease;

TEST(ThreadIdLease, GivesTheIdUntilItEndsAndNothingAfter) {
    ThreadIdLease lease(77);
    std::uint64_t seen = 0;
    EXPECT_TRUE(lease.use([&](std::uint64_t id) { seen = id; }));
    EXPECT_EQ(seen, 77u);
    lease.end();
    bool ranAfterTheEnd = false;
    EXPECT_FALSE(lease.use([&](std::uint64_t) { ranAfterTheEnd = true; }));
    EXPECT_FALSE(ranAfterTheEnd);
}

TEST(ThreadIdLease, TheEndWaitsForAUseUnderWay) {
    ThreadIdLease lease(77);
    std::promise<void> inUse, release;
    std::atomic<bool> useFinished{false};
    std::thread helper([&] {
        lease.use([&](std::uint64_t) {
            inUse.set_value();
            release.get_future().wait();
            useFinished = true;
        });
    });
    inUse.get_future().wait();
    auto ended = std::async(std::launch::async, [&] {
        lease.end();
        return useFinished.load();
    });
    release.set_value();
    EXPECT_TRUE(ended.get()) << "the thread could end while its id was still being acted on";
    helper.join();
}

TEST(ThreadIdLease, AThreadsOwnLeaseNamesItAndEndsWhenItExits) {
    std::shared_ptr<ThreadIdLease> lease;
    std::uint64_t id = 0;
    std::thread([&] {
        lease = ThreadIdLease::ofCallingThread();
        EXPECT_EQ(ThreadIdLease::ofCallingThread(), lease) << "one lease per thread";
        id = static_cast<std::uint64_t>(::syscall(SYS_gettid));
        EXPECT_TRUE(lease->use([](std::uint64_t) {}));
    }).join();
    ASSERT_TRUE(lease);
    EXPECT_EQ(lease->threadId(), id);
    EXPECT_FALSE(lease->use([](std::uint64_t) {})) << "the thread has exited";
}

}  // namespace
