// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/os/sync.h"
#include "platform/os/thread.h"

namespace quelix::platform {
namespace {

TEST(CriticalSection, ItsOwnerMayEnterAgainOthersWait)
{
    CriticalSection section;
    section.Enter();
    section.Enter();
    std::atomic<bool> otherGotIn{false};
    Thread other;
    ASSERT_TRUE(other.Start([&] {
        CriticalSectionGuard guard(section);
        otherGotIn = true;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(otherGotIn);
    section.Leave();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(otherGotIn) << "still entered once";
    section.Leave();
    other.Join();
    EXPECT_TRUE(otherGotIn);
}

TEST(Event, ManualResetStaysSetAutoResetReleasesOneWaiter)
{
    Event manual(EventReset::Manual);
    EXPECT_FALSE(manual.Wait(10));
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0)) << "still set";
    manual.Reset();
    EXPECT_FALSE(manual.IsSet());

    Event automatic(EventReset::Auto);
    std::atomic<int> woken{0};
    Thread first;
    Thread second;
    auto waiter = [&] {
        if (automatic.Wait(300))
            ++woken;
    };
    ASSERT_TRUE(first.Start(waiter));
    ASSERT_TRUE(second.Start(waiter));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    automatic.Set();
    first.Join();
    second.Join();
    EXPECT_EQ(woken, 1);
    EXPECT_FALSE(automatic.IsSet());
}

TEST(Thread, StartsOnceAndJoinsFromItselfWithoutHanging)
{
    Thread thread;
    Event release(EventReset::Manual);
    ASSERT_TRUE(thread.Start([&] { release.Wait(kWaitForever); }, ThreadPriority::Highest));
    EXPECT_FALSE(thread.Start([] {})) << "already running";
    release.Set();
    thread.Join();
    EXPECT_FALSE(thread.Running());

    Thread self;
    Event started(EventReset::Manual);
    Event done(EventReset::Manual);
    ASSERT_TRUE(self.Start([&] {
        started.Wait(kWaitForever);
        self.Join();
        done.Set();
    }));
    started.Set();
    EXPECT_TRUE(done.Wait(1000));
    self.Join();
}

}  // namespace
}  // namespace quelix::platform
