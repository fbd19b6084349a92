// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "device/command_codes.h"
#include "device/device_status.h"
#include "device/quelix_205kwmx_sdk.h"
#include "device/register_map.h"
#include "device/transfer_block.h"
#include "sim_fixture.h"

namespace quelix {
namespace {

using sim::FpgaWriteRecord;

class DeviceObject : public test::SimulatedCameraTest {
protected:
    void SetUp() override
    {
        StartCameras({0, 2});
        device = std::make_unique<CQuelix205KWMXSdk>();
        Camera(0).ClearLogs();
    }
    std::unique_ptr<CQuelix205KWMXSdk> device;
};

TEST_F(DeviceObject, ConstructionProbesAndInitialisesDeviceZero)
{
    EXPECT_TRUE(device->IsDevicePresent(0));
    EXPECT_FALSE(device->IsDevicePresent(1));
    EXPECT_TRUE(device->IsDevicePresent(2));
    EXPECT_EQ(device->GetDeviceNumber(), 0);
    EXPECT_STREQ(device->devicePath.data(), "\\\\.\\Qlix205KWMX-0");
    EXPECT_EQ(device->transferSamples, 82944);
    EXPECT_EQ(device->ringCount, 4);
    EXPECT_EQ(device->wordMode, 0);
    EXPECT_EQ(Camera(0).FpgaRegister(kRegSampleWidth), 8) << "8-bit samples after initialisation";
    EXPECT_EQ(Camera(0).FpgaRegister(kRegControl) & kControlGlobalGain, kControlGlobalGain);
    EXPECT_EQ(Camera(0).FpgaRegister(kRegSetup) & kSetupClearedBits, 0);
    EXPECT_EQ(Camera(0).Status().transferSamples, 82944u);
}

TEST_F(DeviceObject, CaptureWindowWritesItsRegistersInOrder)
{
    ASSERT_EQ(device->SetCaptureWindow(5, 3, 101, 51, 17), DeviceStatus::Ok);
    const auto writes = Camera(0).FpgaWrites();
    ASSERT_GE(writes.size(), 4u);
    EXPECT_EQ(writes[0], (FpgaWriteRecord{16, 2})) << "odd x reaches the camera halved";
    EXPECT_EQ(writes[1], (FpgaWriteRecord{17, 1}));
    EXPECT_EQ(writes[2], (FpgaWriteRecord{18, 50}));
    EXPECT_EQ(writes[3], (FpgaWriteRecord{19, 24}));
    EXPECT_EQ(device->winX, 4) << "the host takes the window the camera delivers";
    EXPECT_EQ(device->winWidth, 100);
    EXPECT_EQ(device->subsampleMode, 17);
    EXPECT_EQ(device->transferSamples, 6144) << "5000 samples rounded up to 5120, plus 1024";

    Camera(0).ClearLogs();
    ASSERT_EQ(device->SetCaptureWindow(0, 0, 320, 256, 0), DeviceStatus::Ok);
    const std::vector<FpgaWriteRecord> expected = {{16, 0},   {17, 0},   {18, 160}, {19, 127}, {0, 0xFF},
                                                   {1, 0x44}, {2, 0x01}, {3, 0x00}, {0, 0x00}};
    EXPECT_EQ(Camera(0).FpgaWrites(), expected);
    EXPECT_EQ(device->largeTransfer, 0);
}

// The window the camera answers with is not written again, and the settle
// pause after writing it is not taken; the host's geometry still follows.
TEST_F(DeviceObject, AWindowTheCameraHoldsIsNotWrittenAgain)
{
    Camera(0).ClearLogs();
    ASSERT_EQ(device->SetCaptureWindow(0, 0, 320, 256, 0), DeviceStatus::Ok) << "the power-on window";
    EXPECT_TRUE(Camera(0).FpgaWrites().empty());
    ASSERT_EQ(device->SetCaptureWindow(8, 4, 64, 32, 0), DeviceStatus::Ok);
    EXPECT_EQ(Camera(0).FpgaWrites().size(), 9u);
    Camera(0).ClearLogs();
    ASSERT_EQ(device->SetCaptureWindow(8, 4, 64, 32, 18), DeviceStatus::Ok);
    EXPECT_TRUE(Camera(0).FpgaWrites().empty());
    EXPECT_EQ(device->subsampleMode, 18);
    EXPECT_EQ(device->transferSamples, 3072);

    // A register that no longer holds its value (another program wrote it)
    // has the whole window written again.
    ASSERT_TRUE(device->FpgaWrite(kRegWindowY, 0x11));
    Camera(0).ClearLogs();
    ASSERT_EQ(device->SetCaptureWindow(8, 4, 64, 32, 0), DeviceStatus::Ok);
    EXPECT_EQ(Camera(0).FpgaWrites().size(), 9u);
    EXPECT_EQ(Camera(0).FpgaRegister(kRegWindowY), 2);
}

TEST_F(DeviceObject, RejectedWindowsChangeNothing)
{
    for (const auto& window : std::vector<std::array<int, 5>>{{0, 0, 3, 256, 0},
                                                              {0, 0, 320, 2, 0},
                                                              {300, 0, 24, 10, 0},
                                                              {0, 250, 10, 7, 0},
                                                              {-2, 0, 10, 10, 0},
                                                              {0, 0, 320, 256, 19},
                                                              {0, 0, 320, 256, 4}}) {
        EXPECT_EQ(device->SetCaptureWindow(window[0], window[1], window[2], window[3], window[4]),
                  DeviceStatus::WindowRejected);
    }
    EXPECT_TRUE(Camera(0).FpgaWrites().empty());
    EXPECT_EQ(device->winWidth, 320);
    EXPECT_EQ(device->winHeight, 256);
    EXPECT_EQ(device->transferSamples, 82944);
}

TEST_F(DeviceObject, FrameGeometryRoundsTheTransferAndChecksItsArguments)
{
    EXPECT_EQ(device->SetFrameGeometry(0, 0, 1, 1, 0, 1, 4), DeviceStatus::PitchRejected);
    EXPECT_EQ(device->SetFrameGeometry(10, 0, 11, 1, 0, 1, 4), DeviceStatus::PitchRejected);
    EXPECT_EQ(device->SetFrameGeometry(10, 0, 10, 5, 2, 4, 4), DeviceStatus::LinesRejected);
    EXPECT_EQ(device->SetFrameGeometry(10, 0, 10, 5, 0, 5, 1), DeviceStatus::WindowRejected);
    ASSERT_EQ(device->SetFrameGeometry(32, 0, 32, 32, 0, 32, 2), DeviceStatus::Ok);
    EXPECT_EQ(device->transferSamples, 2048) << "a multiple of 1024 still gains 1024";
    EXPECT_EQ(device->ring.size(), 2u);
}

TEST_F(DeviceObject, ExposureIsClampedAndWrittenLowByteFirst)
{
    ASSERT_TRUE(device->SetExposureLines(0x9000));
    EXPECT_EQ(Camera(0).FpgaWrites(), (std::vector<FpgaWriteRecord>{{32, 0xFF}, {33, 0x7F}}));
    uint16_t lines = 0;
    ASSERT_TRUE(device->GetExposureLines(lines));
    EXPECT_EQ(lines, 0x7FFF);
    ASSERT_TRUE(device->SetExposureLines(0));
    ASSERT_TRUE(device->GetExposureLines(lines));
    EXPECT_EQ(lines, 0);
}

TEST_F(DeviceObject, GainsPeltierClockAndTemperature)
{
    EXPECT_TRUE(device->SetGlobalGain(0));
    EXPECT_EQ(device->GetGlobalGain(), 0);
    EXPECT_TRUE(device->SetGlobalGain(0x100)) << "only the low byte counts";
    EXPECT_EQ(device->GetGlobalGain(), 0);
    EXPECT_TRUE(device->SetGlobalGain(1));
    EXPECT_EQ(device->GetGlobalGain(), 1);

    EXPECT_TRUE(device->SetColorGain(kSensorGainRed, 0x1A5));
    int gain = 0;
    EXPECT_TRUE(device->GetColorGain(kSensorGainRed, gain));
    EXPECT_EQ(gain, 0x25) << "written as a byte, read in seven bits";
    EXPECT_FALSE(device->SetColorGain(42, 1));
    EXPECT_FALSE(device->GetColorGain(47, gain));
    EXPECT_EQ(CQLXSdkLib::GetColorGainMin(44, gain), 1);
    EXPECT_EQ(gain, 0);

    EXPECT_TRUE(device->SetPeltier(80));
    EXPECT_EQ(device->GetPeltier(), 80);
    int clock = -1;
    EXPECT_TRUE(device->GetClockMode(clock));
    EXPECT_EQ(clock, Camera(0).FpgaRegister(kRegClockMode));
    EXPECT_EQ(CQLXSdkLib::SetClockMode(1), 0);

    EXPECT_EQ(CQLXSdkLib::TemperatureMilliVolts(0x800), 1649) << "not 1650";
    const int reading = Camera(0).FpgaRegister(kRegTemperatureHigh) * 16;
    const int millivolts = device->GetTemperatureMilliVolts();
    EXPECT_GE(millivolts, CQLXSdkLib::TemperatureMilliVolts(reading));
    EXPECT_LE(millivolts, CQLXSdkLib::TemperatureMilliVolts(reading + 15));
}

TEST_F(DeviceObject, TriggerModeTwoClearsTheEnableBitButSetsTheMode)
{
    ASSERT_TRUE(device->SetTriggerMode(1));
    EXPECT_EQ(Camera(0).FpgaRegister(kRegControl) & kControlTriggerEnable, kControlTriggerEnable);
    ASSERT_TRUE(device->SetTriggerMode(2));
    EXPECT_EQ(Camera(0).FpgaRegister(kRegControl) & kControlTriggerEnable, 0);
    EXPECT_EQ(Camera(0).FpgaRegister(kRegTriggerMode), 1);
    EXPECT_EQ(device->triggerMode, 2);
    ASSERT_TRUE(device->SetTriggerMode(0));
    EXPECT_EQ(Camera(0).FpgaRegister(kRegTriggerMode), 0);
}

TEST_F(DeviceObject, DeviceNumbersAndSelection)
{
    EXPECT_EQ(device->SetDeviceNumber(9), DeviceStatus::NumberRejected);
    EXPECT_EQ(device->SetDeviceNumber(-1), DeviceStatus::NumberRejected);
    EXPECT_EQ(device->SetDeviceNumber(8), DeviceStatus::Ok);
    EXPECT_FALSE(device->IsDevicePresent(8)) << "never probed";
    EXPECT_STREQ(device->devicePath.data(), "\\\\.\\Qlix205KWMX-8");

    ASSERT_EQ(device->InitDevice(2), DeviceStatus::Ok);
    EXPECT_EQ(device->GetDeviceNumber(), 2);
    EXPECT_EQ(Camera(2).Status().transferSamples, 82944u);
    EXPECT_EQ(device->SelectDevice(12), DeviceStatus::NumberRejected);
}

TEST_F(DeviceObject, MirrorsStayOnTheHost)
{
    device->SetMirrorH(1);
    device->SetMirrorV(1);
    EXPECT_EQ(device->GetMirrorH(), 1);
    EXPECT_EQ(device->GetMirrorV(), 1);
    EXPECT_TRUE(Camera(0).FpgaWrites().empty());
}

TEST_F(DeviceObject, RegisterAccessFailsOnAnUnpluggedCameraAndWorksAgainAfterPlug)
{
    uint8_t value = 1;
    Camera(0).Unplug();
    EXPECT_FALSE(device->FpgaRead(kRegPeltier, value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(device->FpgaWrite(kRegIoPort, 3));
    uint16_t word = 1;
    EXPECT_FALSE(device->SensorRead(kSensorGainBlue, word));
    EXPECT_EQ(device->GetTemperatureMilliVolts(), -1);
    EXPECT_EQ(device->GetGlobalGain(), 0xAA);
    ASSERT_TRUE(Camera(0).Plug());
    EXPECT_TRUE(device->FpgaWrite(kRegIoPort, 3));
    EXPECT_TRUE(device->FpgaRead(kRegIoPort, value));
    EXPECT_EQ(value, 3);
}

TEST_F(DeviceObject, IdMemoryRoundTrips)
{
    EXPECT_TRUE(device->WriteSromID(0x40, 0x5C));
    uint8_t value = 0;
    EXPECT_TRUE(device->ReadSromID(0x140, value));
    EXPECT_EQ(value, 0x5C);
}

TEST(RingIndices, TheProducerSkipsTheConsumersSlot)
{
    EXPECT_EQ(AdvanceWriteIndex(1, 2, 4), 3) << "readIndex 2: the slot after 1 is skipped";
    EXPECT_EQ(AdvanceWriteIndex(1, 0, 4), 2);
    EXPECT_EQ(AdvanceWriteIndex(3, 2, 4), 0) << "wraps";
    EXPECT_EQ(AdvanceWriteIndex(3, 0, 4), 1) << "wraps and skips";
    EXPECT_EQ(AdvanceWriteIndex(0, 1, 2), 0) << "two slots: the producer refills its own";
}

TEST_F(DeviceObject, WaitRingFrameTakesTheNewestSlotWithWrap)
{
    TransferBlock& block = device->transfer;
    block.ringCount = 4;
    block.stopFlag = 0;
    block.writeIndex = 0;
    block.readIndex = 3;
    EXPECT_EQ(device->WaitRingFrame(), RingWait::FrameReady);
    EXPECT_EQ(block.readIndex, 3) << "0 - 1 wraps to the last slot";
    block.writeIndex = 2;
    block.readIndex = 0;
    EXPECT_EQ(device->WaitRingFrame(), RingWait::FrameReady);
    EXPECT_EQ(block.readIndex, 1);
    block.frameEvent.Set();
    block.readIndex = 2;
    EXPECT_EQ(device->WaitRingFrame(), RingWait::Woken) << "nothing new, but woken by a frame";
    block.errorFlag = 1;
    EXPECT_EQ(device->WaitRingFrame(), RingWait::Failed);
    block.errorFlag = 0;
    block.stopFlag = 1;
    EXPECT_EQ(device->WaitRingFrame(), RingWait::Stopped);
}

TEST_F(DeviceObject, CopyRawFrameTakesTheTrailerAfterThePixels)
{
    std::vector<uint8_t> slot(static_cast<size_t>(device->transferSamples) * 2, 0);
    std::vector<uint8_t> destination(320 * 256 * 2);
    slot[81920] = 0x34;
    slot[81921] = 0x12;
    device->wordMode = 0;
    ASSERT_EQ(device->CopyRawFrame(destination.data(), destination.size(), slot.data()), DeviceStatus::Ok);
    EXPECT_EQ(device->frameTrailer, 0x1234) << "8-bit samples: bytes 81920 and 81921";
    slot[163840] = 0x78;
    slot[163841] = 0x56;
    device->wordMode = 1;
    ASSERT_EQ(device->CopyRawFrame(destination.data(), destination.size(), slot.data()), DeviceStatus::Ok);
    EXPECT_EQ(device->frameTrailer, 0x5678) << "16-bit samples: word 81920";
    EXPECT_EQ(device->ReadRingFrame(nullptr, 0), DeviceStatus::NullDestination);
    EXPECT_EQ(device->ReadSingleFrame(nullptr, 0), DeviceStatus::NullDestination);
}

TEST_F(DeviceObject, AFrameLargerThanItsDestinationIsRefusedAndNothingIsWritten)
{
    std::vector<uint8_t> slot(static_cast<size_t>(device->transferSamples) * 2, 0xAB);
    device->wordMode = 1;
    // One byte short of a 16-bit frame, and a destination of a few bytes.
    for (const size_t capacity : {size_t{320 * 256 * 2 - 1}, size_t{4}, size_t{0}}) {
        std::vector<uint8_t> destination(capacity + 16, 0);
        EXPECT_EQ(device->CopyRawFrame(destination.data(), capacity, slot.data()), DeviceStatus::ReadFailed)
            << capacity;
        EXPECT_EQ(std::count(destination.begin(), destination.end(), 0),
                  static_cast<long>(destination.size()));
    }
    std::vector<uint8_t> frame(4);
    EXPECT_EQ(device->ReadSingleFrame(frame.data(), frame.size()), DeviceStatus::ReadFailed);
}

TEST_F(DeviceObject, OddWindowsBecomeTheEvenWindowTheCameraDelivers)
{
    struct Case {
        int x, y, width, height;
        int evenX, evenY, evenWidth, evenHeight;
    };
    for (const Case& c : {Case{5, 3, 7, 9, 4, 2, 6, 8}, Case{0, 0, 4, 3, 0, 0, 4, 2},
                          Case{315, 251, 5, 5, 314, 250, 4, 4}, Case{1, 1, 319, 255, 0, 0, 318, 254}}) {
        ASSERT_EQ(device->SetCaptureWindow(c.x, c.y, c.width, c.height, 0), DeviceStatus::Ok);
        EXPECT_EQ(device->winX, c.evenX);
        EXPECT_EQ(device->winY, c.evenY);
        EXPECT_EQ(device->effWidth, c.evenWidth);
        EXPECT_EQ(device->effLines, c.evenHeight);
        EXPECT_EQ(Camera(0).FpgaRegister(kRegWindowWidth), c.evenWidth / 2);
        EXPECT_EQ(Camera(0).FpgaRegister(kRegWindowHeight), c.evenHeight / 2 - 1);
    }
}

TEST_F(DeviceObject, SingleFramesArriveWholeAndAFailedReadClosesTheHandle)
{
    ASSERT_TRUE(Camera(0).SetScene("dark"));
    device->SetWordMode(1);
    ASSERT_EQ(device->CaptureSingleFrame(), DeviceStatus::Ok);
    const DriverHandle kept = device->captureHandle;
    EXPECT_NE(kept, platform::kNoDriverHandle);
    std::vector<uint8_t> frame(320 * 256 * 2);
    ASSERT_EQ(device->ReadSingleFrame(frame.data(), frame.size()), DeviceStatus::Ok);
    const int first = device->frameTrailer;
    ASSERT_EQ(device->CaptureSingleFrame(), DeviceStatus::Ok);
    EXPECT_EQ(device->captureHandle, kept) << "kept open between captures";
    ASSERT_EQ(device->ReadSingleFrame(frame.data(), frame.size()), DeviceStatus::Ok);
    EXPECT_EQ(device->frameTrailer, (first + 1) & 0xFFFF);

    Camera(0).ShortNextFrame();
    EXPECT_EQ(device->CaptureSingleFrame(), DeviceStatus::ReadFailed);
    EXPECT_EQ(device->captureHandle, platform::kNoDriverHandle);
    EXPECT_EQ(device->CaptureSingleFrame(), DeviceStatus::Ok) << "a fresh handle next time";
    device->CloseCaptureHandle();
    EXPECT_EQ(device->captureHandle, platform::kNoDriverHandle);
}

}  // namespace
}  // namespace quelix
