// SPDX-License-Identifier: MIT
// Trigger mode of the simulated camera: frame reads that block until a
// trigger pulse or the driver's time-out.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "raw_driver_requests.h"
#include "sim_fixture.h"

namespace quelix::test {
namespace {

using Clock = std::chrono::steady_clock;

class SimulatedCameraTrigger : public SimulatedCameraTest {
protected:
    void Start(const sim::CameraOptions& options = FastCameras())
    {
        StartCameras({0}, options);
        device_ = std::make_unique<OpenDevice>();
        ASSERT_TRUE(ConfigureCapture(device_->Handle(), 0, 0, 32, 8, false));
    }
    // Trigger input enabled (register 20 bit 0) and trigger mode (register 11).
    void EnterTriggerMode(bool inputEnabled = true)
    {
        ASSERT_TRUE(WriteFpga(device_->Handle(), 20, inputEnabled ? 0x01 : 0x00));
        ASSERT_TRUE(WriteFpga(device_->Handle(), 11, 1));
    }
    PipeResult ReadOne(std::vector<uint8_t>& frame) { return ReadFrame(device_->Handle(), kBytes, frame); }

    static constexpr uint32_t kBytes = 1024 + 1024;  // 32 x 8 8-bit samples rounded up, plus a block
    std::unique_ptr<OpenDevice> device_;
};

TEST_F(SimulatedCameraTrigger, AReadWaitsForTheTriggerPulse)
{
    Start();
    EnterTriggerMode();
    ASSERT_TRUE(SetDriverTimeout(device_->Handle(), 60000));
    std::atomic<bool> done{false};
    PipeResult result;
    std::vector<uint8_t> frame;
    std::thread reader([&] {
        result = ReadOne(frame);
        done = true;
    });
    ASSERT_TRUE(Camera().WaitForTriggerWait(10000));
    EXPECT_FALSE(done) << "still waiting for its trigger";
    EXPECT_EQ(Camera().FramesDelivered(), 0u);
    Camera().Trigger();
    reader.join();
    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.bytes, kBytes);
    EXPECT_EQ(frame[256] | frame[257] << 8, 1);

    // A pulse before the read is kept for it; leaving trigger mode drops a pending one.
    Camera().Trigger();
    EXPECT_TRUE(ReadOne(frame).success);
    Camera().Trigger();
    ASSERT_TRUE(WriteFpga(device_->Handle(), 11, 0));
    EXPECT_TRUE(ReadOne(frame).success) << "free running again";
}

TEST_F(SimulatedCameraTrigger, WithoutATriggerTheReadEndsAtTheDriverTimeout)
{
    Start();
    EnterTriggerMode();
    ASSERT_TRUE(SetDriverTimeout(device_->Handle(), 100));
    std::vector<uint8_t> frame;
    const Clock::time_point start = Clock::now();
    const PipeResult result = ReadOne(frame);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.bytes, 0u);
    EXPECT_EQ(Camera().FramesDelivered(), 0u);
}

TEST_F(SimulatedCameraTrigger, PulsesCountOnlyWhileTheTriggerInputIsEnabled)
{
    Start();
    EnterTriggerMode(false);
    ASSERT_TRUE(SetDriverTimeout(device_->Handle(), 100));
    Camera().Trigger();
    std::vector<uint8_t> frame;
    EXPECT_FALSE(ReadOne(frame).success);
}

TEST_F(SimulatedCameraTrigger, TheTriggerClockPulsesOnItsOwn)
{
    sim::CameraOptions options = FastCameras();
    options.triggerEveryMs = 10;
    Start(options);
    EnterTriggerMode();
    ASSERT_TRUE(SetDriverTimeout(device_->Handle(), 10000));
    std::vector<uint8_t> frame;
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ReadOne(frame).success);
}

}  // namespace
}  // namespace quelix::test
