// SPDX-License-Identifier: MIT
#include "output/record_queue.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quelix {
namespace {

// A frame of the size and depth, every byte `fill` (one buffer, remade each call).
const CDibImage& MakeFrame(int32_t width, int32_t height, int bits, uint8_t fill)
{
    static CDibImage frame;
    EXPECT_EQ(frame.Create(width, height, bits), 1);
    std::memset(frame.pBits, fill, static_cast<size_t>(frame.stride) * static_cast<size_t>(frame.height));
    return frame;
}

TEST(RecordQueue, KeepsFramesInOrderUntilEverySlotIsTakenThenSkips)
{
    RecordQueue queue;
    CDibImage shape;
    ASSERT_EQ(shape.Create(5, 3, 24), 1);
    queue.Offer(shape);
    ASSERT_TRUE(queue.Open(shape));
    EXPECT_EQ(queue.Front(0).image, nullptr) << "a frame offered while closed is not kept";

    for (size_t i = 0; i < RecordQueue::kSlots + 3; ++i)
        queue.Offer(MakeFrame(5, 3, 24, static_cast<uint8_t>(i)));
    EXPECT_EQ(queue.Skipped(), 3u);
    for (size_t i = 0; i < RecordQueue::kSlots; ++i) {
        const RecordQueue::Frame frame = queue.Front(0);
        ASSERT_NE(frame.image, nullptr) << i;
        EXPECT_EQ(frame.image->pBits[0], i);
        EXPECT_EQ(frame.image->pBits[frame.image->stride * 3 - 1], i);
        queue.Pop();
    }
    EXPECT_EQ(queue.Front(1).image, nullptr) << "empty: the wait times out";
    queue.Pop();

    // A slot freed takes the next frame; frames of another shape are skipped.
    queue.Offer(MakeFrame(5, 3, 24, 42));
    queue.Offer(MakeFrame(6, 3, 24, 1));
    queue.Offer(MakeFrame(5, 4, 24, 1));
    queue.Offer(MakeFrame(5, 3, 32, 1));
    EXPECT_EQ(queue.Skipped(), 6u);
    EXPECT_EQ(queue.Front(0).image->pBits[0], 42);

    queue.Close();
    EXPECT_EQ(queue.Front(0).image, nullptr);
    queue.Offer(shape);
    EXPECT_EQ(queue.Front(0).image, nullptr);
    ASSERT_TRUE(queue.Open(shape));
    EXPECT_EQ(queue.Skipped(), 0u) << "a new recording counts afresh";
}

TEST(RecordQueue, WakeEndsAWaitWithoutAFrame)
{
    RecordQueue queue;
    CDibImage shape;
    ASSERT_EQ(shape.Create(2, 2, 8), 1);
    ASSERT_TRUE(queue.Open(shape));
    queue.Wake();
    EXPECT_EQ(queue.Front(60000).image, nullptr);
}

}  // namespace
}  // namespace quelix
