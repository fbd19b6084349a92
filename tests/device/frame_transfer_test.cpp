// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "device/device_status.h"
#include "device/quelix_205kwmx_sdk.h"
#include "device/register_map.h"
#include "platform/os/thread.h"
#include "sim/scene.h"
#include "sim_fixture.h"

namespace quelix {
namespace {

class FrameTransfer : public test::SimulatedCameraTest {
protected:
    void SetUp() override
    {
        StartCameras({0});
        device = std::make_unique<CQuelix205KWMXSdk>();
    }

    // Waits for the newest frame and copies it: FrameReady when one was
    // copied, else the wait result that ended the wait (a failed copy counts
    // as Failed).
    RingWait NextFrame(uint8_t* destination)
    {
        for (;;) {
            const RingWait ready = device->WaitRingFrame();
            if (ready == RingWait::FrameReady)
                return device->ReadRingFrame(destination, 320 * 256 * 2) == DeviceStatus::Ok
                           ? RingWait::FrameReady
                           : RingWait::Failed;
            if (ready != RingWait::Woken)
                return ready;
        }
    }

    std::unique_ptr<CQuelix205KWMXSdk> device;
};

// Every sample of a counter-scene frame follows from its trailer.
bool IsWhole(const std::vector<uint8_t>& frame, int trailer, bool sixteenBit, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i) {
        const uint16_t expected = sim::CounterSample(static_cast<uint16_t>(trailer), i);
        const uint16_t got =
            sixteenBit ? static_cast<uint16_t>(frame[2 * i] | frame[2 * i + 1] << 8) : frame[i];
        if (got != (sixteenBit ? expected : expected >> 6))
            return false;
    }
    return true;
}

TEST_F(FrameTransfer, StartsOnceStopsOnce)
{
    EXPECT_EQ(device->StopTransferThread(), DeviceStatus::Ok) << "nothing runs yet";
    ASSERT_EQ(device->StartTransferThread(), DeviceStatus::Ok);
    EXPECT_EQ(device->StartTransferThread(), DeviceStatus::TransferRunning);
    EXPECT_EQ(device->SetCaptureWindow(0, 0, 320, 256, 0), DeviceStatus::TransferRunning)
        << "the ring is never rebuilt under a running transfer";
    std::vector<uint8_t> frame(320 * 256);
    EXPECT_EQ(NextFrame(frame.data()), RingWait::FrameReady);
    EXPECT_EQ(device->StopTransferThread(), DeviceStatus::Ok);
    EXPECT_EQ(device->StopTransferThread(), DeviceStatus::Ok);
    EXPECT_EQ(device->WaitRingFrame(), RingWait::Stopped) << "stopped";
    ASSERT_EQ(device->StartTransferThread(), DeviceStatus::Ok) << "and it starts again";
    EXPECT_EQ(NextFrame(frame.data()), RingWait::FrameReady);
    EXPECT_EQ(device->StopTransferThread(), DeviceStatus::Ok);
}

TEST_F(FrameTransfer, AFailedReadEndsTheStreamAndTheConsumerSeesIt)
{
    ASSERT_EQ(device->StartTransferThread(), DeviceStatus::Ok);
    std::vector<uint8_t> frame(320 * 256);
    ASSERT_EQ(NextFrame(frame.data()), RingWait::FrameReady);
    Camera().ShortNextFrame();
    RingWait result = RingWait::FrameReady;
    while (result == RingWait::FrameReady)
        result = NextFrame(frame.data());
    EXPECT_EQ(result, RingWait::Failed);
    EXPECT_EQ(device->WaitRingFrame(), RingWait::Failed) << "until the stream is stopped";
    EXPECT_EQ(device->StopTransferThread(), DeviceStatus::ReadFailed);
    EXPECT_EQ(device->WaitRingFrame(), RingWait::Stopped);
    EXPECT_EQ(device->StartTransferThread(), DeviceStatus::Ok) << "a failed stream can start again";
    EXPECT_EQ(NextFrame(frame.data()), RingWait::FrameReady);
    device->StopTransferThread();
}

TEST_F(FrameTransfer, AStopTakesEffectAfterTheReadInProgress)
{
    ASSERT_TRUE(device->SetTimeout(10000));
    ASSERT_TRUE(device->SetTriggerMode(1));  // every frame read now waits for a trigger
    ASSERT_EQ(device->StartTransferThread(), DeviceStatus::Ok);
    ASSERT_TRUE(Camera().WaitForTriggerWait(5000));

    std::atomic<bool> stopped{false};
    std::atomic<DeviceStatus> result{DeviceStatus::ReadFailed};
    platform::Thread stopper;
    ASSERT_TRUE(stopper.Start([&] {
        result = device->StopTransferThread();
        stopped = true;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(stopped) << "the stop waits for the blocked read";
    Camera().Trigger();
    stopper.Join();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(result, DeviceStatus::Ok);
}

TEST_F(FrameTransfer, ControlRequestsOnOtherHandlesGoOnWhileFramesStream)
{
    ASSERT_EQ(device->StartTransferThread(), DeviceStatus::Ok);
    const uint64_t before = Camera().FramesDelivered();
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(device->FpgaWrite(kRegIoPort, static_cast<uint8_t>(i)));
        uint8_t value = 0;
        ASSERT_TRUE(device->FpgaRead(kRegIoPort, value));
        ASSERT_EQ(value, i);
    }
    EXPECT_TRUE(Camera().WaitForFrames(before + 10, 5000));
    device->StopTransferThread();
}

// Streams as fast as the camera goes while the consumer takes frames at
// random moments: every frame it gets must be one whole frame.
void SoakStream(FrameTransfer& test, CQuelix205KWMXSdk& device, bool sixteenBit)
{
    device.SetWordMode(sixteenBit ? 1 : 0);
    ASSERT_EQ(device.StartTransferThread(), DeviceStatus::Ok);
    std::vector<uint8_t> frame(320 * 256 * 2);
    std::mt19937 random(7);
    int checked = 0;
    int lastTrailer = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        const RingWait ready = device.WaitRingFrame();
        if (ready == RingWait::Woken)
            continue;
        ASSERT_EQ(ready, RingWait::FrameReady);
        ASSERT_EQ(device.ReadRingFrame(frame.data(), frame.size()), DeviceStatus::Ok);
        ASSERT_TRUE(IsWhole(frame, device.frameTrailer, sixteenBit, 320 * 256))
            << "torn frame, trailer " << device.frameTrailer;
        ASSERT_NE(device.frameTrailer, lastTrailer) << "the newest frame, never the same twice";
        lastTrailer = device.frameTrailer;
        ++checked;
    }
    EXPECT_EQ(device.StopTransferThread(), DeviceStatus::Ok);
    EXPECT_GT(checked, 20);
    (void)test;
}

// The capture thread polls for frames before the transfer starts. Every
// frame it gets after a restart is one the camera delivered after that
// restart, never a slot of the stream before: the trailer is the camera's
// frame counter, which the construction's init set to 0, so it equals the
// frames delivered so far.
TEST_F(FrameTransfer, ARestartedStreamNeverDeliversAFrameOfTheStreamBefore)
{
    ASSERT_TRUE(Camera().SetScene("counter"));
    std::mt19937 random(3);
    for (int round = 0; round < 40; ++round) {
        const auto floor = static_cast<uint16_t>(Camera().FramesDelivered());
        std::atomic<bool> polling{true};
        std::atomic<int> frames{0};
        std::atomic<int> stale{0};
        std::thread consumer([&] {
            std::vector<uint8_t> frame(320 * 256 * 2);
            while (polling) {
                const RingWait ready = device->WaitRingFrame();
                if (ready == RingWait::Stopped)
                    std::this_thread::yield();
                if (ready != RingWait::FrameReady)
                    continue;
                ASSERT_EQ(device->ReadRingFrame(frame.data(), frame.size()), DeviceStatus::Ok);
                const auto age = static_cast<uint16_t>(device->frameTrailer - floor);
                stale += age == 0 || age >= 0x8000;
                ++frames;
            }
        });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 500));
        ASSERT_EQ(device->StartTransferThread(), DeviceStatus::Ok);
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (frames < 3 && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(device->StopTransferThread(), DeviceStatus::Ok);
        polling = false;
        consumer.join();
        EXPECT_GE(frames, 3) << "round " << round;
        ASSERT_EQ(stale, 0) << "round " << round << ": a frame of the stream before the restart";
    }
}

TEST_F(FrameTransfer, EveryFrameTheConsumerGetsIsWhole)
{
    ASSERT_TRUE(Camera().SetScene("counter"));
    SoakStream(*this, *device, true);
    SoakStream(*this, *device, false);
}

}  // namespace
}  // namespace quelix
