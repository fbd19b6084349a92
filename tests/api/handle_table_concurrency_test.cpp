// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"
#include "api/handle_table.h"

namespace quelix {
namespace {

TEST(HandleTableThreads, EightThreadsCreateLookUpAndReleaseWithoutLosingRecords)
{
    const int32_t before = Chain().Count();
    constexpr int kThreads = 8;
    constexpr int kRounds = 30;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&failures, t] {
            std::vector<int32_t> mine;
            for (int round = 0; round < kRounds; ++round) {
                const int32_t handle = Quelix_Initialize(nullptr);
                if (handle == 0) {
                    ++failures;
                    continue;
                }
                mine.push_back(handle);
                // Record a code unique to this thread and round, then find it
                // again; an older handle of the thread has nothing recorded.
                const int32_t code = t * 1000 + round + 1;
                CallCamera(handle, 0, [code](CQuelix& camera) {
                    camera.PostError(code);
                    return 0;
                });
                const int32_t found = Quelix_GetLastError(handle);
                const int32_t older = Quelix_GetLastError(mine[mine.size() / 2]);
                if (found != code || older != 0) {
                    ++failures;
                    ADD_FAILURE() << "thread " << t << " round " << round << ": found " << found << " for "
                                  << code << ", " << older << " on an older handle";
                }
                if (round % 3 == 2) {
                    if (Quelix_Release(mine.front()) != 1)
                        ++failures;
                    mine.erase(mine.begin());
                }
            }
            for (int32_t handle : mine) {
                if (Quelix_Release(handle) != 1 || Quelix_Release(handle) != 0)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(Chain().Count(), before);
}

TEST(HandleTableThreads, ReleaseWaitsForACallInFlightAndLaterCallsFail)
{
    const int32_t handle = Quelix_Initialize(nullptr);
    ASSERT_NE(handle, 0);
    std::atomic<bool> inside{false};
    std::atomic<bool> finish{false};
    std::atomic<bool> callSawLiveCamera{false};
    std::thread caller([&] {
        CallCamera(handle, 0, [&](CQuelix& camera) {
            inside = true;
            while (!finish)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            camera.PostError(9);  // the object must still be alive here
            callSawLiveCamera = true;
            return 0;
        });
    });
    while (!inside)
        std::this_thread::yield();

    std::atomic<int32_t> released{-1};
    std::thread releaser([&] { released = Quelix_Release(handle); });
    // Once the release has begun, new calls no longer reach the camera,
    // while the release still waits for the call in flight.
    bool reached = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (reached && std::chrono::steady_clock::now() < deadline) {
        reached = CallCamera(handle, 0, [](CQuelix&) { return 1; }) == 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(reached) << "no new call reaches a camera being released";
    EXPECT_EQ(released, -1) << "release waits for the call";
    finish = true;
    caller.join();
    releaser.join();
    EXPECT_TRUE(callSawLiveCamera);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(Quelix_Release(handle), 0);
}

TEST(HandleTableThreads, ACameraCannotReleaseItselfFromInsideItsOwnCall)
{
    const int32_t handle = Quelix_Initialize(nullptr);
    const int32_t nested = CallCamera(handle, -1, [handle](CQuelix&) { return Quelix_Release(handle); });
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(Quelix_Release(handle), 1);
}

}  // namespace
}  // namespace quelix
