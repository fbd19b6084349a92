// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/command_codes.h"
#include "device/driver_transport.h"
#include "raw_driver_requests.h"
#include "sim_fixture.h"

namespace quelix {
namespace {

using test::DriverPath;

TEST(DriverTransport, NullBufferAndNullHandleAreRefusedBeforeAnyRequest)
{
    uint8_t buffer[64] = {};
    uint32_t done = 77;
    const DriverHandle someHandle = 12345;
    EXPECT_EQ(PipeTransfer(someHandle, 0, 64, nullptr, done, 1), PipeResult::NullBuffer);
    EXPECT_EQ(PipeTransfer(platform::kNoDriverHandle, 0, 64, buffer, done, 1), PipeResult::NullHandle);
    EXPECT_EQ(PipeTransfer(platform::kNoDriverHandle, 0, 64, nullptr, done, 0), PipeResult::NullBuffer)
        << "the buffer is checked first";
    EXPECT_EQ(PipeTransferLarge(platform::kNoDriverHandle, 2, 64, buffer, done), PipeResult::NullHandle);
    EXPECT_EQ(done, 77u) << "nothing was issued";

    EXPECT_EQ(ReadPipe(platform::kNoDriverHandle, 1, 64, buffer), TransferStatus::NoHandle);
    EXPECT_EQ(WritePipe(platform::kNoDriverHandle, 0, 64, buffer), TransferStatus::NoHandle);
    EXPECT_EQ(SetDriverTimeout(platform::kNoDriverHandle, 100), 0);
    DriverHandle none = platform::kNoDriverHandle;
    EXPECT_EQ(DeviceClose(none), 0);
    EXPECT_FALSE(DeviceOpen(nullptr, none));
}

class Transport : public test::SimulatedCameraTest {
protected:
    void SetUp() override { StartCameras({0}); }
    std::string path = DriverPath(0);
};

TEST_F(Transport, AnAbsentDeviceOpensAsTheInvalidHandleOnWhichRequestsFail)
{
    DriverHandle handle = platform::kNoDriverHandle;
    ASSERT_TRUE(DeviceOpen(DriverPath(5).c_str(), handle)) << "the open itself reports success";
    EXPECT_EQ(handle, platform::kInvalidDriverHandle);
    uint8_t packet[64] = {CmdInit};
    EXPECT_EQ(WritePipe(handle, 0, 64, packet), TransferStatus::Failed);
    EXPECT_EQ(DeviceClose(handle), 1) << "closing the invalid handle is harmless";
    EXPECT_EQ(SendCommand(DriverPath(5).c_str(), {CmdInit}), TransferStatus::Failed);
}

TEST_F(Transport, SensorQueryCopiesAtMostTheReplyAndOnlyWhenAsked)
{
    ASSERT_EQ(SendCommand(path.c_str(), {CmdSensorWrite, 44, 0x12, 0x34}), TransferStatus::Ok);
    DriverHandle handle = platform::kNoDriverHandle;
    ASSERT_TRUE(DeviceOpen(path.c_str(), handle));

    std::vector<uint8_t> out(100, 0xEE);
    EXPECT_EQ(SensorQuery(handle, 44, out.data(), 0), TransferStatus::Ok);
    EXPECT_EQ(out[0], 0xEE) << "n = 0 copies nothing";
    EXPECT_EQ(SensorQuery(handle, 44, out.data(), 100), TransferStatus::Ok);
    EXPECT_EQ(out[0], 0x00) << "the sensor keeps seven bits";
    EXPECT_EQ(out[1], 0x34);
    EXPECT_EQ(out[63], 0x00) << "the whole 64-byte reply";
    EXPECT_EQ(out[64], 0xEE) << "and not one byte more";
    DeviceClose(handle);
}

TEST_F(Transport, SensorCommandSendsAtMostSixtyThreePayloadBytes)
{
    std::vector<uint8_t> payload(70);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i + 1);
    payload[0] = 43;  // a register the camera knows
    DriverHandle handle = platform::kNoDriverHandle;
    ASSERT_TRUE(DeviceOpen(path.c_str(), handle));
    Camera().ClearLogs();
    EXPECT_EQ(SensorCommand(handle, 70, payload.data()), TransferStatus::Ok);
    DeviceClose(handle);
    const auto commands = Camera().Commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0][0], CmdSensorWrite);
    EXPECT_EQ(0, std::memcmp(commands[0].data() + 1, payload.data(), 63));
}

TEST_F(Transport, IdMemoryAddressesAreOneByte)
{
    ASSERT_EQ(SromWrite(path.c_str(), 0x05, 0xA7), TransferStatus::Ok);
    Camera().ClearLogs();
    uint8_t value = 0;
    ASSERT_EQ(SromRead(path.c_str(), static_cast<uint8_t>(0x105 & 0xFF), value), TransferStatus::Ok);
    EXPECT_EQ(value, 0xA7);
    const auto commands = Camera().Commands();
    ASSERT_EQ(commands.size(), 1u);
    const uint8_t expected[] = {CmdSromRead, 0x51, 0x02, 0x01, 0x18, 0x05};
    EXPECT_EQ(0, std::memcmp(commands[0].data(), expected, sizeof expected));
}

TEST_F(Transport, AQueryIsDecidedByItsSecondReplyRead)
{
    DriverHandle handle = platform::kNoDriverHandle;
    ASSERT_TRUE(DeviceOpen(path.c_str(), handle));
    Packet query{CmdFpgaRead, 25};
    ASSERT_EQ(WritePipe(handle, 0, 64, query.data()), TransferStatus::Ok);
    Camera().FailNextRequests(1);
    Packet reply{};
    EXPECT_EQ(ReadReplyTwice(handle, reply), TransferStatus::Ok) << "first read failed, second succeeded";
    EXPECT_EQ(reply[0], Camera().FpgaRegister(25));

    Camera().FailNextRequests(2);
    EXPECT_EQ(ReadReplyTwice(handle, reply), TransferStatus::Failed);
    DeviceClose(handle);
}

TEST_F(Transport, AShortTransferFailsEvenWhenTheRequestSucceeded)
{
    DriverHandle handle = platform::kNoDriverHandle;
    ASSERT_TRUE(DeviceOpen(path.c_str(), handle));
    ASSERT_TRUE(test::ConfigureCapture(handle, 0, 0, 320, 256, true));
    const uint32_t bytes = test::TransferSamplesFor(320, 256) * 2;
    std::vector<uint8_t> frame(bytes);
    Packet start{CmdStartFrame};
    Camera().ShortNextFrame();
    ASSERT_EQ(WritePipe(handle, 0, 64, start.data()), TransferStatus::Ok);
    uint32_t done = 0;
    EXPECT_EQ(PipeTransfer(handle, 2, bytes, frame.data(), done, 1), PipeResult::Ok);
    EXPECT_LT(done, bytes);
    ASSERT_EQ(WritePipe(handle, 0, 64, start.data()), TransferStatus::Ok);
    Camera().ShortNextFrame();
    EXPECT_EQ(ReadPipe(handle, 2, bytes, frame.data()), TransferStatus::Failed);
    DeviceClose(handle);
}

TEST_F(Transport, UnplugFailsTheNextRequestAndPlugRestores)
{
    DriverHandle handle = platform::kNoDriverHandle;
    ASSERT_TRUE(DeviceOpen(path.c_str(), handle));
    Packet init{CmdInit};
    ASSERT_EQ(WritePipe(handle, 0, 64, init.data()), TransferStatus::Ok);
    Camera().Unplug();
    EXPECT_EQ(WritePipe(handle, 0, 64, init.data()), TransferStatus::Failed);
    EXPECT_EQ(SendCommand(path.c_str(), {CmdInit}), TransferStatus::Failed);
    ASSERT_TRUE(Camera().Plug());
    EXPECT_EQ(WritePipe(handle, 0, 64, init.data()), TransferStatus::Failed) << "the old handle stays dead";
    EXPECT_EQ(SendCommand(path.c_str(), {CmdInit}), TransferStatus::Ok) << "a fresh handle works again";
    DeviceClose(handle);
}

TEST_F(Transport, TheTimeOutReachesTheDriver)
{
    DriverHandle handle = platform::kNoDriverHandle;
    ASSERT_TRUE(DeviceOpen(path.c_str(), handle));
    EXPECT_EQ(SetDriverTimeout(handle, 10000), 1);
    EXPECT_EQ(Camera().Status().driverTimeoutMs, 10000u);
    DeviceClose(handle);
}

}  // namespace
}  // namespace quelix
