// The production scheduler and transport threads: cancelling, and surviving the loss of their last owner on
// their own thread (a task or completion that held the last reference).
#include "analytics/thread_scheduler.hpp"
#include "platform/curl_http_transport.hpp"
#include "support/refusing_port.hpp"

#include <gtest/gtest.h>
#include <future>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;

TEST(WorkerThreadsTest, ACancelledTaskNeverRunsAndPostedWorkDoes) {
    ThreadScheduler scheduler;
    std::atomic<bool> cancelledRan{false};
    const auto id = scheduler.schedule(1h, [&] { cancelledRan = true; });
    scheduler.cancel(id);
    std::promise<void> ran;
    scheduler.post([&] { ran.set_value(); });
    EXPECT_EQ(ran.get_future().wait_for(30s), std::future_status::ready);
    EXPECT_FALSE(cancelledRan);
}

TEST(WorkerThreadsTest, TheLastOwnerMayBeReleasedOnTheWorkerThread) {
    std::promise<void> schedulerDone;
    {
        auto scheduler = std::make_shared<ThreadScheduler>();
        scheduler->post([keep = scheduler, &schedulerDone]() mutable {
            keep.reset();  // the scheduler is destroyed here, on its own worker
            schedulerDone.set_value();
        });
    }
    EXPECT_EQ(schedulerDone.get_future().wait_for(30s), std::future_status::ready);

    const clicktrove::testing::RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    std::promise<std::optional<std::string>> transportDone;
    {
        auto transport = std::make_shared<platform::CurlHttpTransport>(2s);
        platform::HttpRequest request;
        request.url = "http://127.0.0.1:" + std::to_string(refusing.port()) + "/v2/";
        transport->send(request, [keep = transport, &transportDone](platform::HttpResponse response) mutable {
            keep.reset();
            transportDone.set_value(response.error);
        });
    }
    auto result = transportDone.get_future();
    ASSERT_EQ(result.wait_for(30s), std::future_status::ready);
    EXPECT_TRUE(result.get().has_value());  // refused
}

}  // namespace
}  // namespace clicktrove::analytics
