// SPDX-License-Identifier: MIT
// Trigger mode across an unplugged camera, and replacing the caller's
// buffer while frames arrive.
#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "capture_fixture.h"

namespace quelix {
namespace {

using namespace std::chrono_literals;

constexpr size_t kFullFrame16 = 320 * 256 * 2;

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

class TriggerLoss : public test::CaptureTest {
protected:
    void SetUp() override
    {
        StartCamera(test::CounterCameras());
        ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
        ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    }

    // One pulse and the frame it gives.
    void PulseGivesAFrame()
    {
        ASSERT_TRUE(Camera().WaitForTriggerWait(5000));
        Camera().Trigger();
        const auto msg = WaitFor(QUELIX_WM_FRAME);
        ASSERT_TRUE(msg.has_value());
        ASSERT_NE(msg->wParam, 0u) << "error " << msg->lParam;
    }

    // The frame notifications that say a wait for a frame failed (0, 13).
    int LossNotifications(std::chrono::milliseconds over)
    {
        int losses = 0;
        const auto end = std::chrono::steady_clock::now() + over;
        for (QUELIX_MSG msg{}; std::chrono::steady_clock::now() < end;) {
            if (QuelixPlatform_GetMessage(window, &msg, 50) != 1)
                continue;
            if (msg.message == QUELIX_WM_FRAME && msg.wParam == 0 && msg.lParam == QUELIX_ERR_WAIT_FRAME)
                ++losses;
        }
        return losses;
    }
};

TEST_F(TriggerLoss, ALostCameraIsToldOnceWaitsCalmlyAndAfterReplugPulsesGiveFrames)
{
    std::vector<uint8_t> buffer(kFullFrame16);
    ASSERT_EQ(Quelix_Trigger(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
    PulseGivesAFrame();

    ASSERT_TRUE(Camera().WaitForTriggerWait(5000));
    Camera().Unplug();
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    EXPECT_EQ(LossNotifications(1500ms), 1) << "one notification per loss";
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    EXPECT_LT(cpu, 0.5 * wall) << "the loop does not spin while the camera is away";

    // Plugged in again, the camera powers on with its defaults; the loop
    // gives it trigger mode again, so frames come on pulses only.
    const uint64_t framesBefore = Camera().FramesDelivered();
    ASSERT_TRUE(Camera().Plug());
    for (int pulse = 0; pulse < 2; ++pulse)
        PulseGivesAFrame();
    ASSERT_TRUE(Camera().WaitForTriggerWait(5000));
    EXPECT_EQ(Camera().FramesDelivered(), framesBefore + 2) << "no frame without a pulse";
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
}

TEST_F(TriggerLoss, AStopWhileTheCameraIsAwayReturnsAtOnce)
{
    ASSERT_EQ(Quelix_Trigger(camera, window, nullptr, 0, 1), 1);
    ASSERT_TRUE(Camera().WaitForTriggerWait(5000));
    Camera().Unplug();
    EXPECT_EQ(LossNotifications(300ms), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

// Once a call that replaces the buffer returns, the capture thread no
// longer writes the old one: the application may free it at once.
TEST_F(TriggerLoss, AReplacedPreviewBufferIsNotWrittenAfterTheCallReturns)
{
    std::vector<uint8_t> first(kFullFrame16);
    std::vector<uint8_t> second(kFullFrame16);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, first.data(), static_cast<int32_t>(first.size()), 1), 1);
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t>& old = round % 2 == 0 ? first : second;
        std::vector<uint8_t>& next = round % 2 == 0 ? second : first;
        ASSERT_EQ(Quelix_CallBackPreview(camera, window, next.data(), static_cast<int32_t>(next.size()), 1),
                  1);
        std::fill(old.begin(), old.end(), uint8_t{0xA5});
        std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(std::all_of(old.begin(), old.end(), [](uint8_t b) { return b == 0xA5; }))
            << "round " << round;
    }
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
}

}  // namespace
}  // namespace quelix
