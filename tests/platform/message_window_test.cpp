// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <thread>
#include <vector>

#include "QuelixPlatform.h"

namespace {

bool Readable(int fd)
{
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, 0) == 1 && (entry.revents & POLLIN) != 0;
}

TEST(MessageWindow, PostsFromManyThreadsArriveInOrderPerThread)
{
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    ASSERT_NE(window, nullptr);
    constexpr int kThreads = 8;
    constexpr int kMessages = 1000;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([window, t] {
            for (int i = 0; i < kMessages; ++i)
                QuelixPlatform_PostMessage(window, 0x8002, static_cast<uintptr_t>(t), i);
        });
    }
    std::vector<intptr_t> next(kThreads, 0);
    QUELIX_MSG msg{};
    for (int received = 0; received < kThreads * kMessages; ++received) {
        ASSERT_EQ(QuelixPlatform_GetMessage(window, &msg, 5000), 1) << "after " << received;
        ASSERT_LT(msg.wParam, static_cast<uintptr_t>(kThreads));
        EXPECT_EQ(msg.lParam, next[msg.wParam]++) << "thread " << msg.wParam;
    }
    for (std::thread& poster : posters)
        poster.join();
    EXPECT_EQ(QuelixPlatform_PeekMessage(window, &msg), 0);
    QuelixPlatform_DestroyWindow(window);
}

TEST(MessageWindow, GetWaitsForAPostOrTimesOut)
{
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    QUELIX_MSG msg{};
    EXPECT_EQ(QuelixPlatform_GetMessage(window, &msg, 20), 0) << "nothing posted";
    EXPECT_EQ(QuelixPlatform_GetMessage(window, &msg, 0), 0);

    // The post comes only after the waiter began to wait with an empty
    // queue, so a message returned is one the wait blocked for. A waiter
    // scheduled so late that the post came first tries again.
    bool blocked = false;
    for (int attempt = 0; attempt < 5 && !blocked; ++attempt) {
        std::atomic<bool> waiting{false};
        std::atomic<bool> posted{false};
        std::thread poster([&] {
            while (!waiting)
                std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            posted = true;
            QuelixPlatform_PostMessage(window, 0x8003, 0, 13 + attempt);
        });
        waiting = true;
        const bool postedBefore = posted;
        ASSERT_EQ(QuelixPlatform_GetMessage(window, &msg, -1), 1);
        poster.join();
        EXPECT_EQ(msg.hwnd, window);
        EXPECT_EQ(msg.message, 0x8003u);
        EXPECT_EQ(msg.lParam, 13 + attempt);
        blocked = !postedBefore;
    }
    EXPECT_TRUE(blocked) << "the wait began before the post every time";
    QuelixPlatform_DestroyWindow(window);
}

TEST(MessageWindow, FdIsReadableExactlyWhileMessagesWait)
{
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    const int fd = QuelixPlatform_MessageFd(window);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(Readable(fd));
    QuelixPlatform_PostMessage(window, 1, 0, 0);
    QuelixPlatform_PostMessage(window, 2, 0, 0);
    EXPECT_TRUE(Readable(fd));
    QUELIX_MSG msg{};
    ASSERT_EQ(QuelixPlatform_PeekMessage(window, &msg), 1);
    EXPECT_EQ(msg.message, 1u);
    EXPECT_TRUE(Readable(fd)) << "one message still waits";
    ASSERT_EQ(QuelixPlatform_PeekMessage(window, &msg), 1);
    EXPECT_FALSE(Readable(fd));
    QuelixPlatform_DestroyWindow(window);
}

TEST(MessageWindow, DestroyedOrForeignHandlesAreRefused)
{
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    std::atomic<int> waiterResult{-1};
    std::thread waiter([&] {
        QUELIX_MSG msg{};
        waiterResult = QuelixPlatform_GetMessage(window, &msg, -1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(QuelixPlatform_DestroyWindow(window), 1);
    waiter.join();
    EXPECT_EQ(waiterResult, 0) << "a blocked reader wakes when its window goes";

    QUELIX_MSG msg{};
    EXPECT_EQ(QuelixPlatform_PostMessage(window, 1, 0, 0), 0);
    EXPECT_EQ(QuelixPlatform_GetMessage(window, &msg, 10), 0);
    EXPECT_EQ(QuelixPlatform_PeekMessage(window, &msg), 0);
    EXPECT_EQ(QuelixPlatform_MessageFd(window), -1);
    EXPECT_EQ(QuelixPlatform_DestroyWindow(window), 0);

    auto* foreign = reinterpret_cast<QUELIX_HWND>(&msg);
    EXPECT_EQ(QuelixPlatform_PostMessage(foreign, 1, 0, 0), 0);
    EXPECT_EQ(QuelixPlatform_PostMessage(nullptr, 1, 0, 0), 0);
    EXPECT_EQ(QuelixPlatform_GetMessage(foreign, nullptr, 0), 0);

    QUELIX_HWND next = QuelixPlatform_CreateMessageWindow();
    EXPECT_NE(next, window) << "handles are never reused";
    EXPECT_EQ(QuelixPlatform_GetMessage(next, nullptr, 0), 0) << "null message pointer";
    QuelixPlatform_DestroyWindow(next);
}

TEST(MessageWindow, AFullQueueRefusesInsteadOfGrowingWithoutBound)
{
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    for (int i = 0; i < QUELIX_MAX_QUEUED_MESSAGES; ++i)
        ASSERT_EQ(QuelixPlatform_PostMessage(window, 1, 0, i), 1);
    EXPECT_EQ(QuelixPlatform_PostMessage(window, 1, 0, -1), 0);
    QUELIX_MSG msg{};
    ASSERT_EQ(QuelixPlatform_PeekMessage(window, &msg), 1);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_EQ(QuelixPlatform_PostMessage(window, 1, 0, -1), 1) << "room again after a read";
    QuelixPlatform_DestroyWindow(window);
}

}  // namespace
