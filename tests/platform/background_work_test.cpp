#include "platform/background_work.h"

#include <gtest/gtest.h>

#include <atomic>

TEST(ManualResetEvent, StaysSignalledUntilResetAndTimesOutWhenNotSignalled)
{
    Platform::ManualResetEvent event(true);
    EXPECT_TRUE(event.wait(0));
    EXPECT_TRUE(event.wait(0));
    event.reset();
    EXPECT_FALSE(event.wait(20));
    event.set();
    EXPECT_TRUE(event.wait(Platform::wait_forever));
}

TEST(QueueWorkItem, RunsTheWorkOnAnotherThreadThatSignalsCompletion)
{
    struct Context {
        Platform::ManualResetEvent done{false};
        std::atomic<int> runs{0};
    } context;
    ASSERT_TRUE(Platform::queue_work_item(
        [](void* raw) {
            auto* c = static_cast<Context*>(raw);
            ++c->runs;
            c->done.set();
        },
        &context));
    ASSERT_TRUE(context.done.wait(10000));
    EXPECT_EQ(context.runs.load(), 1);
}
