// SPDX-License-Identifier: MIT
// quelix-usbd's camera service in front of simulated cameras on an emulated
// USB bus, reached the way the library reaches any camera: registers, ID
// memory and bit-exact frames through USB, bus faults, hotplug numbering,
// concurrent handles and clients that go away.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "counter_frames.h"
#include "raw_driver_requests.h"
#include "served_camera.h"
#include "sim_fixture.h"
#include "usbd/driver_messages.h"
#include "usbd/socket_io.h"

namespace quelix::test {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 256;
constexpr uint8_t kFpgaScratch = 25;  // the cooler level: any value reads back, frames ignore it

uint32_t FrameBytes(bool sixteenBit)
{
    return TransferSamplesFor(kWidth, kHeight) * (sixteenBit ? 2 : 1);
}

bool IsWholeCounterFrame8(const std::vector<uint8_t>& frame, size_t pixels)
{
    const auto trailer = uint16_t(frame[pixels] | frame[pixels + 1] << 8);
    for (size_t i = 0; i < pixels; ++i)
        if (frame[i] != uint8_t(sim::CounterSample(trailer, i) >> 6))
            return false;
    return true;
}

// A frame read sent by hand on a connection of its own, as a client that dies mid-frame leaves it.
int SendFrameRead(const std::string& node, uint32_t bytes)
{
    const int fd = usbd::ConnectTo(node);
    if (fd < 0)
        return -1;
    uint8_t input[4] = {uint8_t(usbd::kImagePipe), 0, 0, 0};
    usbd::RequestHeader request{usbd::kRequestMagic, usbd::kPipeTransferLarge, 4, bytes, 0};
    iovec parts[] = {{&request, sizeof request}, {input, 4}};
    if (!usbd::SendAll(fd, parts, 2)) {
        close(fd);
        return -1;
    }
    return fd;
}

using UsbdServedCamera = ServedCameraTest;

TEST_F(UsbdServedCamera, RegistersAndIdMemoryThroughUsb)
{
    StartCameras(1, FastCameras());
    OpenDevice device(0);
    ASSERT_TRUE(device.Valid());
    ASSERT_TRUE(WriteIdMemory(device.Handle(), 0x17, 0xA5));
    EXPECT_EQ(ReadIdMemory(device.Handle(), 0x17), 0xA5);
    EXPECT_EQ(Simulated(0).IdMemory()[0x17], 0xA5);
    ASSERT_TRUE(WriteSensor(device.Handle(), 0x09, 0x1234));
    EXPECT_EQ(ReadSensor(device.Handle(), 0x09), Simulated(0).SensorRegister(0x09));
    // A packet the camera does not know is refused, and the camera answers the next one.
    EXPECT_FALSE(SendCommand(device.Handle(), {0x77}));
    EXPECT_TRUE(SendCommand(device.Handle(), {0x06}));
    EXPECT_EQ(Usb(0).HaltsCleared(FakeUsbCamera::kCommandEndpoint), 1);
}

TEST_F(UsbdServedCamera, CounterFramesArriveBitExactInBothSampleWidths)
{
    StartCameras(1, CounterCameras());
    OpenDevice device(0);
    std::vector<uint8_t> frame;
    for (const bool sixteenBit : {true, false, true}) {
        ASSERT_TRUE(ConfigureCapture(device.Handle(), 0, 0, kWidth, kHeight, sixteenBit));
        for (int i = 0; i < 3; ++i) {
            const PipeResult read = ReadFrame(device.Handle(), FrameBytes(sixteenBit), frame);
            ASSERT_TRUE(read.success);
            ASSERT_EQ(read.bytes, FrameBytes(sixteenBit));
            if (sixteenBit)
                EXPECT_TRUE(IsWholeCounterFrame16(frame.data(), size_t(kWidth) * kHeight));
            else
                EXPECT_TRUE(IsWholeCounterFrame8(frame, size_t(kWidth) * kHeight));
        }
    }
}

// The library through its public functions, as an application uses a real camera.
TEST_F(UsbdServedCamera, TheLibrarySnapsEveryColourModeAndUsesTheIdMemory)
{
    StartCameras(1, CounterCameras());
    const QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    ASSERT_NE(window, nullptr);
    const int32_t camera = Quelix_Initialize(window);
    EXPECT_NE(camera, 0);
    if (camera != 0) {
        EXPECT_EQ(Quelix_WriteSromID(camera, 0x30, 0x9B), 1);
        int32_t ok = 0;
        EXPECT_EQ(Quelix_ReadSromID(camera, 0x30, &ok), 0x9B);
        EXPECT_EQ(ok, 1);
        for (const int32_t bits : {8, 16, 24, 32, 48, 64}) {
            EXPECT_EQ(Quelix_SetColorMode(camera, bits), 1);
            std::vector<uint8_t> buffer(((size_t(kWidth) * bits / 8 + 3) & ~size_t{3}) * kHeight);
            EXPECT_EQ(Quelix_SnapShot(camera, buffer.data(), int32_t(buffer.size()), 1), 1) << bits;
            if (bits == 16) {
                EXPECT_TRUE(IsWholeCounterFrame16(buffer.data(), buffer.size() / 2));
            }
        }
        EXPECT_EQ(Quelix_Release(camera), 1);
    }
    QuelixPlatform_DestroyWindow(window);
}

TEST_F(UsbdServedCamera, StallShortFrameAndTimeoutFailTheRequestOnly)
{
    StartCameras(1, CounterCameras());
    OpenDevice device(0);
    ASSERT_TRUE(ConfigureCapture(device.Handle(), 0, 0, kWidth, kHeight, true));
    std::vector<uint8_t> frame;

    // A stalled image endpoint: the read fails, the halt is cleared and the next frame comes whole.
    Usb(0).StallNext(FakeUsbCamera::kImageEndpoint);
    EXPECT_FALSE(ReadFrame(device.Handle(), FrameBytes(true), frame).success);
    ASSERT_TRUE(SendCommand(device.Handle(), {0x01}));  // reset transfer: the armed frame is dropped
    const PipeResult whole = ReadFrame(device.Handle(), FrameBytes(true), frame);
    EXPECT_TRUE(whole.success);
    EXPECT_EQ(Usb(0).HaltsCleared(FakeUsbCamera::kImageEndpoint), 1);

    // A short frame fails with the bytes that came.
    Simulated(0).ShortNextFrame();
    const PipeResult cut = ReadFrame(device.Handle(), FrameBytes(true), frame);
    EXPECT_FALSE(cut.success);
    EXPECT_EQ(cut.bytes, FrameBytes(true) / 2);

    // No start-frame: the read ends at the transfer time-out the library set.
    ASSERT_TRUE(SetDriverTimeout(device.Handle(), 150));
    frame.assign(FrameBytes(true), 0);
    const PipeResult late = PipeRequest(device.Handle(), usbd::kPipeTransferLarge, 2, frame);
    EXPECT_FALSE(late.success);
    EXPECT_EQ(late.bytes, 0u);
    EXPECT_EQ(Usb(0).LastImageTimeoutMs(), 150u);
    EXPECT_TRUE(ReadFrame(device.Handle(), FrameBytes(true), frame).success);
}

TEST_F(UsbdServedCamera, InTriggerModeAFrameWaitsForItsTrigger)
{
    StartCameras(1, CounterCameras());
    OpenDevice device(0);
    ASSERT_TRUE(ConfigureCapture(device.Handle(), 0, 0, kWidth, kHeight, true));
    ASSERT_TRUE(SetDriverTimeout(device.Handle(), 0));
    ASSERT_TRUE(WriteFpga(device.Handle(), 20, 0x01));  // the trigger input enabled
    ASSERT_TRUE(WriteFpga(device.Handle(), 11, 0x01));  // trigger mode
    std::atomic<bool> readDone{false};
    PipeResult read;
    std::vector<uint8_t> frame;
    std::thread reader([&] {
        read = ReadFrame(device.Handle(), FrameBytes(true), frame);
        readDone = true;
    });
    // The reader is joined whatever happens, so nothing here ends the test early.
    EXPECT_TRUE(Simulated(0).WaitForTriggerWait(30000));
    EXPECT_FALSE(readDone);
    Simulated(0).Trigger();
    reader.join();
    EXPECT_TRUE(read.success);
    EXPECT_TRUE(IsWholeCounterFrame16(frame.data(), size_t(kWidth) * kHeight));
}

TEST_F(UsbdServedCamera, TwoCamerasAndANumberGivenBackWhileFree)
{
    StartCameras(2, FastCameras());
    const std::string node0 = NodeDirectory() + "/Qlix205KWMX-0";
    {
        OpenDevice first(0);
        OpenDevice second(1);
        ASSERT_TRUE(WriteFpga(first.Handle(), kFpgaScratch, 1));
        ASSERT_TRUE(WriteFpga(second.Handle(), kFpgaScratch, 2));
        EXPECT_EQ(Simulated(0).FpgaRegister(kFpgaScratch), 1);
        EXPECT_EQ(Simulated(1).FpgaRegister(kFpgaScratch), 2);

        Unplug(0);
        EXPECT_FALSE(std::filesystem::exists(node0));
        EXPECT_FALSE(WriteFpga(first.Handle(), kFpgaScratch, 3));  // its connection is closed
        EXPECT_TRUE(WriteFpga(second.Handle(), kFpgaScratch, 4));  // the other camera carries on
    }
    EXPECT_EQ(Plug(0), 0);
    EXPECT_TRUE(std::filesystem::exists(node0));
    OpenDevice again(0);
    EXPECT_TRUE(WriteFpga(again.Handle(), kFpgaScratch, 5));
    EXPECT_EQ(Simulated(0).FpgaRegister(kFpgaScratch), 5);
}

TEST_F(UsbdServedCamera, FrameReadNeverHoldsUpControlOnAnotherHandle)
{
    StartCameras(1, CounterCameras());
    OpenDevice streaming(0);
    OpenDevice control(0);
    ASSERT_TRUE(ConfigureCapture(control.Handle(), 0, 0, kWidth, kHeight, true));
    ASSERT_TRUE(SetDriverTimeout(control.Handle(), 0));  // the read waits for its frame without limit

    std::atomic<bool> readDone{false};
    PipeResult read;
    std::vector<uint8_t> frame(FrameBytes(true));
    std::thread reader([&] {
        read = PipeRequest(streaming.Handle(), usbd::kPipeTransferLarge, 2, frame);
        readDone = true;
    });
    // The frame read is on the bus once the emulated camera has seen its time-out.
    while (Usb(0).ImageTransfersStarted() == 0)
        std::this_thread::yield();
    // The reader is joined whatever happens, so nothing here ends the test early.
    int answered = 0;
    for (int i = 0; i < 50; ++i)
        if (WriteFpga(control.Handle(), kFpgaScratch, uint8_t(i)) &&
            ReadFpga(control.Handle(), kFpgaScratch) == uint8_t(i))
            ++answered;
    EXPECT_EQ(answered, 50);
    EXPECT_FALSE(readDone);  // it waits for the start-frame command, which has not gone out
    EXPECT_TRUE(SendCommand(control.Handle(), {0x02}));
    reader.join();
    EXPECT_TRUE(read.success);
    EXPECT_TRUE(IsWholeCounterFrame16(frame.data(), size_t(kWidth) * kHeight));
}

TEST_F(UsbdServedCamera, EachHandleReadsTheReplyToItsOwnQuery)
{
    StartCameras(1, FastCameras());
    ASSERT_TRUE([] {
        OpenDevice device(0);
        return WriteSensor(device.Handle(), 0x09, 0x0321) && WriteFpga(device.Handle(), kFpgaScratch, 0x42);
    }());
    const uint16_t sensor = Simulated(0).SensorRegister(0x09);
    std::atomic<int> wrong{0};
    std::vector<std::thread> clients;
    for (int client = 0; client < 4; ++client) {
        clients.emplace_back([&, client] {
            OpenDevice device(0);
            for (int i = 0; i < 100; ++i) {
                if (client % 2 == 0 ? ReadSensor(device.Handle(), 0x09) != sensor
                                    : ReadFpga(device.Handle(), kFpgaScratch) != 0x42)
                    ++wrong;
            }
        });
    }
    for (std::thread& client : clients)
        client.join();
    EXPECT_EQ(wrong, 0);
}

TEST_F(UsbdServedCamera, AClientGoneMidFrameCostsTheOthersNothing)
{
    StartCameras(1, CounterCameras());
    OpenDevice device(0);
    ASSERT_TRUE(ConfigureCapture(device.Handle(), 0, 0, kWidth, kHeight, true));
    ASSERT_TRUE(SetDriverTimeout(device.Handle(), 300));
    const int dying = SendFrameRead(NodeDirectory() + "/Qlix205KWMX-0", FrameBytes(true));
    ASSERT_GE(dying, 0);
    while (Usb(0).ImageTransfersStarted() == 0)
        std::this_thread::yield();
    close(dying);
    // Control goes on at once. The abandoned frame read ends at its time-out
    // (the emulated camera cannot take it back), and frames come again.
    EXPECT_TRUE(WriteFpga(device.Handle(), kFpgaScratch, 9));
    while (Usb(0).ImageTransfersEnded() == 0)
        std::this_thread::yield();
    std::vector<uint8_t> frame;
    const PipeResult read = ReadFrame(device.Handle(), FrameBytes(true), frame);
    EXPECT_TRUE(read.success);
    EXPECT_TRUE(IsWholeCounterFrame16(frame.data(), size_t(kWidth) * kHeight));
}

TEST_F(UsbdServedCamera, MalformedRequestsCloseOnlyTheirConnection)
{
    StartCameras(1, FastCameras());
    const std::string node = NodeDirectory() + "/Qlix205KWMX-0";
    const usbd::RequestHeader bad[] = {
        {0x12345678, usbd::kPipeTransferIn, 4, 64, 0},
        {usbd::kRequestMagic, usbd::kPipeTransferIn, usbd::kMaxInput + 1, 64, 0},
        {usbd::kRequestMagic, usbd::kPipeTransferIn, 4, usbd::kMaxOutput + 1, 0},
        {usbd::kRequestMagic, usbd::kPipeTransferIn, 4, 64, 64},  // carries a buffer on pipe 1
    };
    for (const usbd::RequestHeader& header : bad) {
        const int fd = usbd::ConnectTo(node);
        ASSERT_GE(fd, 0);
        usbd::RequestHeader request = header;
        uint8_t input[4] = {1, 0, 0, 0};
        iovec parts[] = {{&request, sizeof request}, {input, 4}};
        usbd::SendAll(fd, parts, 2);
        char byte;
        EXPECT_EQ(recv(fd, &byte, 1, 0), 0);  // closed without a response
        close(fd);
    }
    OpenDevice device(0);
    EXPECT_TRUE(WriteFpga(device.Handle(), kFpgaScratch, 1));
}

}  // namespace
}  // namespace quelix::test
