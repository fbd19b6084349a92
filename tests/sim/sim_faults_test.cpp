// SPDX-License-Identifier: MIT
// The simulated camera under faults and concurrent use: unplugging while
// requests wait, stalls, failing requests, and control requests on other
// handles while frames stream.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "raw_driver_requests.h"
#include "sim_fixture.h"

namespace quelix::test {
namespace {

using Clock = std::chrono::steady_clock;

using SimulatedCameraFaults = SimulatedCameraTest;

TEST_F(SimulatedCameraFaults, UnplugFailsOpenHandlesAndWaitingReadsAndPlugPowersOnAfresh)
{
    StartCameras();
    OpenDevice device;
    ASSERT_TRUE(WriteFpga(device.Handle(), 7, 0x5A));
    ASSERT_TRUE(WriteIdMemory(device.Handle(), 0x90, 0x33));
    ASSERT_TRUE(SetDriverTimeout(device.Handle(), 60000));

    OpenDevice reading;
    ASSERT_TRUE(ConfigureCapture(reading.Handle(), 0, 0, 32, 8, true));
    ASSERT_TRUE(WriteFpga(reading.Handle(), 20, 0x01));
    ASSERT_TRUE(WriteFpga(reading.Handle(), 11, 1));
    PipeResult blocked;
    std::vector<uint8_t> frame;
    std::thread reader([&] { blocked = ReadFrame(reading.Handle(), TransferSamplesFor(32, 8) * 2, frame); });
    ASSERT_TRUE(Camera().WaitForTriggerWait(10000));

    Camera().Unplug();
    reader.join();
    EXPECT_FALSE(blocked.success);
    EXPECT_EQ(blocked.bytes, 0u);
    EXPECT_FALSE(ReadFpga(device.Handle(), 7)) << "an open handle fails from the next request";
    EXPECT_FALSE(Camera().Status().plugged);
    EXPECT_NE(access(Camera().NodePath().c_str(), F_OK), 0) << "the node is gone";
    EXPECT_EQ(platform::OpenDriver(DriverPath(0).c_str()), platform::kInvalidDriverHandle);
    Camera().Trigger();  // nothing to trigger

    ASSERT_TRUE(Camera().Plug());
    EXPECT_FALSE(ReadFpga(device.Handle(), 7)) << "the old handle stays dead";
    OpenDevice fresh;
    ASSERT_TRUE(fresh.Valid());
    EXPECT_EQ(ReadFpga(fresh.Handle(), 7), 0) << "registers at power-on";
    EXPECT_EQ(ReadIdMemory(fresh.Handle(), 0x90), 0x33) << "the ID memory keeps its contents";
    EXPECT_EQ(Camera().Status().driverTimeoutMs, 3000u);
    EXPECT_TRUE(Camera().Plug()) << "plugging a plugged camera changes nothing";
}

TEST_F(SimulatedCameraFaults, FailingRequestsMoveNothingAndChangeNothing)
{
    StartCameras();
    OpenDevice device;
    Camera().FailNextRequests(2);
    EXPECT_FALSE(WriteFpga(device.Handle(), 7, 0x11));
    EXPECT_FALSE(SetDriverTimeout(device.Handle(), 50));
    EXPECT_TRUE(WriteFpga(device.Handle(), 25, 0x22));
    EXPECT_EQ(Camera().FpgaRegister(7), 0);
    EXPECT_EQ(Camera().Status().driverTimeoutMs, 3000u);
    EXPECT_EQ(Camera().FpgaRegister(25), 0x22);
    EXPECT_EQ(Camera().Commands().size(), 1u);
}

TEST_F(SimulatedCameraFaults, AStallHoldsRequestsOnEveryHandleUntilItEnds)
{
    StartCameras();
    OpenDevice first;
    OpenDevice second;
    Camera().Stall(150);
    const Clock::time_point start = Clock::now();
    bool otherResult = false;
    std::thread other([&] { otherResult = WriteFpga(second.Handle(), 7, 1); });
    EXPECT_TRUE(WriteFpga(first.Handle(), 25, 1));
    other.join();
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_TRUE(otherResult);
}

TEST_F(SimulatedCameraFaults, ControlRequestsOnOtherHandlesGoOnWhileFramesStream)
{
    StartCameras({0, 1});
    constexpr int kFrames = 100;
    OpenDevice stream;
    ASSERT_TRUE(ConfigureCapture(stream.Handle(), 0, 0, 320, 256, true));
    std::atomic<int> goodFrames{0};
    std::thread streamer([&] {
        std::vector<uint8_t> frame;
        for (int i = 1; i <= kFrames; ++i) {
            const PipeResult result = ReadFrame(stream.Handle(), 82944 * 2, frame);
            if (result.success && result.bytes == 82944 * 2 && Sample16(frame, 81920) == i)
                ++goodFrames;
        }
    });
    int goodControls = 0;
    for (int i = 0; i < kFrames; ++i) {
        OpenDevice control(i % 2);  // each operation on a fresh handle, on both cameras
        goodControls += WriteFpga(control.Handle(), 7, uint8_t(i)) &&
                        ReadFpga(control.Handle(), 7) == uint8_t(i) && ReadSensor(control.Handle(), 43) == 0;
    }
    streamer.join();
    EXPECT_EQ(goodFrames, kFrames);
    EXPECT_EQ(goodControls, kFrames);
    EXPECT_EQ(Camera(1).FramesDelivered(), 0u);
}

TEST_F(SimulatedCameraFaults, ClosingAHandleEndsItsBlockedRequest)
{
    StartCameras();
    const DriverHandle handle = platform::OpenDriver(DriverPath(0).c_str());
    ASSERT_TRUE(SetDriverTimeout(handle, 0));  // no time-out: only a trigger would end the read
    ASSERT_TRUE(WriteFpga(handle, 11, 1));
    PipeResult result{true, 1};
    std::vector<uint8_t> frame;
    std::thread reader([&] { result = ReadFrame(handle, 82944 * 2, frame); });
    ASSERT_TRUE(Camera().WaitForTriggerWait(10000));
    EXPECT_TRUE(platform::CloseDriver(handle));
    reader.join();
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.bytes, 0u);
}

}  // namespace
}  // namespace quelix::test
