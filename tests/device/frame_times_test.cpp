// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <time.h>

#include <thread>
#include <vector>

#include "camera/frame_times.h"
#include "capture_fixture.h"

namespace quelix {
namespace {

uint64_t NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
}

TEST(FrameTimesLog, KeepsTheLastFramesByTrailer)
{
    FrameTimesLog log;
    FrameTimes times;
    EXPECT_FALSE(log.Find(0, times)) << "nothing recorded yet";
    for (uint32_t trailer = 1; trailer <= 100; ++trailer)
        log.Record(trailer, {trailer * 10, trailer * 10 + 1});
    ASSERT_TRUE(log.Find(100, times));
    EXPECT_EQ(times.arrivedNs, 1000u);
    EXPECT_EQ(times.deliveredNs, 1001u);
    ASSERT_TRUE(log.Find(100 - FrameTimesLog::kFrames + 1, times));
    EXPECT_FALSE(log.Find(100 - FrameTimesLog::kFrames, times)) << "overwritten by a newer frame";
    EXPECT_FALSE(log.Find(UINT32_MAX, times));
}

// A reader racing with the writer finds a frame's own record or nothing.
TEST(FrameTimesLog, AReaderNeverSeesAMixedRecord)
{
    FrameTimesLog log;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (uint32_t frame = 0; !stop; ++frame)
            log.Record(frame % 128, {frame, uint64_t{frame} + 7});
    });
    // Reads until it has found many records while the writer keeps
    // replacing them.
    long found = 0;
    while (found < 20000 && !testing::Test::HasFailure()) {
        for (uint32_t trailer = 0; trailer < 128; ++trailer) {
            FrameTimes times;
            if (log.Find(trailer, times)) {
                ++found;
                EXPECT_EQ(times.arrivedNs % 128, trailer);
                EXPECT_EQ(times.deliveredNs, times.arrivedNs + 7);
            }
        }
    }
    stop = true;
    writer.join();
}

class FrameTimesExport : public test::CaptureTest {};

TEST_F(FrameTimesExport, TellsWhenEachDeliveredFrameArrivedAndWasDelivered)
{
    StartCamera();
    QUELIX_FRAME_TIMES times{};
    EXPECT_EQ(QuelixPlatform_GetFrameTimes(camera, 1, &times), 0) << "no frame yet";
    EXPECT_EQ(QuelixPlatform_GetFrameTimes(camera, 1, nullptr), 0);
    EXPECT_EQ(QuelixPlatform_GetFrameTimes(camera + 1, 1, &times), 0) << "unknown camera";

    ASSERT_EQ(Quelix_SetColorMode(camera, 24), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    std::vector<uint8_t> buffer(320 * 256 * 3);
    const uint64_t before = NowNs();
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    for (int frame = 0; frame < 5; ++frame) {
        const auto msg = WaitFor(QUELIX_WM_FRAME);
        const uint64_t received = NowNs();
        ASSERT_TRUE(msg.has_value());
        ASSERT_NE(msg->wParam, 0u) << "error " << msg->lParam;
        const auto trailer = static_cast<uint32_t>(
            __atomic_load_n(reinterpret_cast<const int32_t*>(msg->lParam), __ATOMIC_RELAXED));
        ASSERT_EQ(QuelixPlatform_GetFrameTimes(camera, trailer, &times), 1);
        const std::optional<uint64_t> finished = Camera().FrameCompletedNs(static_cast<uint16_t>(trailer));
        ASSERT_TRUE(finished.has_value()) << "the simulated camera keeps when it finished the frame";
        EXPECT_LE(before, *finished);
        EXPECT_LE(*finished, times.arrived);
        EXPECT_LE(times.arrived, times.delivered);
        EXPECT_LE(times.delivered, received);
    }
    Quelix_StopPreview(camera);
}

TEST_F(FrameTimesExport, TriggeredFramesHaveTimesToo)
{
    StartCamera();
    std::vector<uint8_t> buffer(320 * 256);
    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Quelix_Trigger(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
    ASSERT_TRUE(Camera().WaitForTriggerWait(5000));
    const uint64_t before = NowNs();
    Camera().Trigger();
    const auto msg = WaitFor(QUELIX_WM_FRAME);
    ASSERT_TRUE(msg.has_value());
    ASSERT_NE(msg->wParam, 0u);
    const auto trailer = static_cast<uint32_t>(
        __atomic_load_n(reinterpret_cast<const int32_t*>(msg->lParam), __ATOMIC_RELAXED));
    QUELIX_FRAME_TIMES times{};
    ASSERT_EQ(QuelixPlatform_GetFrameTimes(camera, trailer, &times), 1);
    EXPECT_LE(before, times.arrived);
    EXPECT_LE(times.arrived, times.delivered);
    Quelix_StopPreview(camera);
}

}  // namespace
}  // namespace quelix
