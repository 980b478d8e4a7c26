#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop/ManualDispatch.h"
#include "platform/desktop/ThreadSerialQueue.h"

namespace plimsa {
namespace {

TEST(ThreadSerialQueue, RunsInOrderOffTheCallingThreadAndFinishesTheJobUnderWay) {
    std::vector<int> order;
    std::thread::id worker;
    std::promise<void> release;
    std::atomic<bool> finished{false};
    std::thread releaser;
    {
        ThreadSerialQueue queue("plimsa.test.queue.long-label");
        for (int i = 0; i < 3; ++i)
            queue.post([&order, &worker, i] {
                worker = std::this_thread::get_id();
                order.push_back(i);
            });
        std::promise<void> started;
        queue.post([&] {
            started.set_value();
            release.get_future().wait();
            finished = true;
        });
        started.get_future().wait();
        releaser = std::thread([&] { release.set_value(); });
    }
    releaser.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_TRUE(finished);
}

TEST(ManualDispatch, BackgroundJobsRunWhenPumpedAndHandResultsToTheMainQueue) {
    ManualDispatch dispatch;
    std::vector<std::string> log;
    auto queue = dispatch.serialQueue("test");
    auto dropped = dispatch.serialQueue("dropped");
    queue->post([&] {
        log.push_back("work");
        dispatch.post([&] { log.push_back("result"); });
        queue->post([&] { log.push_back("more work"); });
    });
    dropped->post([&] { log.push_back("never"); });
    dropped.reset();
    EXPECT_EQ(dispatch.backgroundCount(), 1u);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(dispatch.runBackground(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"work", "more work"}));
    dispatch.runPending();
    EXPECT_EQ(log.back(), "result");
}

}  // namespace
}  // namespace plimsa
