// SPDX-License-Identifier: MIT
#include "platform/driver/driver_connection.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "device/command_codes.h"
#include "platform/driver/driver_wire.h"
#include "raw_driver_requests.h"
#include "sim/unix_socket.h"
#include "sim_fixture.h"

namespace quelix::test {
namespace {

using platform::CloseDriver;
using platform::DeviceIoControl;
using platform::kInvalidDriverHandle;
using platform::kNoDriverHandle;
using platform::OpenDriver;

bool AnyRequestSucceeds(DriverHandle handle, uint32_t& bytes)
{
    std::vector<uint8_t> packet(64, 0);
    packet[0] = CmdInit;
    const uint32_t pipe = 0;
    bytes = 99;
    return DeviceIoControl(handle, driver_wire::kPipeTransferIn, &pipe, 4, packet.data(), 64, &bytes);
}

TEST(DriverConnection, DeviceDirectoryComesFromTheEnvironment)
{
    ScopedTestEnvironment environment;
    EXPECT_EQ(platform::DeviceDirectory(), environment.Directory() + "/devices");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntime = runtime != nullptr ? runtime : "";
    unsetenv("QUELIX_DEVICE_DIR");
    setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
    EXPECT_EQ(platform::DeviceDirectory(), "/run/user/7/quelix");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(platform::DeviceDirectory(), "/tmp/quelix");
    if (runtime != nullptr)
        setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

TEST(DriverConnection, PathsThatNameNoServedNodeGiveTheInvalidHandleOnWhichEverythingFails)
{
    ScopedTestEnvironment environment;
    for (const char* path : {static_cast<const char*>(nullptr), "", "Qlix205KWMX-0", "\\\\.\\", "\\\\.\\a/b",
                             "\\\\.\\../devices/Qlix205KWMX-0", "\\\\.\\Qlix205KWMX-0"})
        EXPECT_EQ(OpenDriver(path), kInvalidDriverHandle) << (path ? path : "null");
    const std::string tooLong = "\\\\.\\" + std::string(200, 'x');
    EXPECT_EQ(OpenDriver(tooLong.c_str()), kInvalidDriverHandle);

    for (DriverHandle handle : {kInvalidDriverHandle, kNoDriverHandle, DriverHandle(0x12345)}) {
        uint32_t bytes = 0;
        EXPECT_FALSE(AnyRequestSucceeds(handle, bytes));
        EXPECT_EQ(bytes, 0u);
        EXPECT_FALSE(CloseDriver(handle));
    }
}

using DriverConnectionToCamera = SimulatedCameraTest;

TEST_F(DriverConnectionToCamera, EachOpenIsItsOwnHandleAndAClosedHandleIsRefused)
{
    StartCameras();
    const DriverHandle first = OpenDriver(DriverPath(0).c_str());
    const DriverHandle second = OpenDriver(DriverPath(0).c_str());
    ASSERT_NE(first, kInvalidDriverHandle);
    ASSERT_NE(second, kInvalidDriverHandle);
    EXPECT_NE(first, second);
    uint32_t bytes = 0;
    EXPECT_TRUE(AnyRequestSucceeds(first, bytes));
    EXPECT_EQ(bytes, 64u);
    EXPECT_TRUE(CloseDriver(first));
    EXPECT_FALSE(CloseDriver(first));
    EXPECT_FALSE(AnyRequestSucceeds(first, bytes));
    EXPECT_EQ(bytes, 0u);
    EXPECT_TRUE(AnyRequestSucceeds(second, bytes)) << "the other handle is untouched";
    EXPECT_TRUE(CloseDriver(second));
}

TEST_F(DriverConnectionToCamera, BadBuffersAreRefusedWithoutReachingTheDriver)
{
    StartCameras();
    OpenDevice device;
    ASSERT_TRUE(device.Valid());
    const uint32_t pipe = 0;
    uint8_t packet[64] = {CmdInit};
    uint32_t bytes = 7;
    EXPECT_FALSE(
        DeviceIoControl(device.Handle(), driver_wire::kPipeTransferIn, nullptr, 4, packet, 64, &bytes));
    EXPECT_EQ(bytes, 0u);
    EXPECT_FALSE(
        DeviceIoControl(device.Handle(), driver_wire::kPipeTransferIn, &pipe, 4, nullptr, 64, &bytes));
    std::vector<uint8_t> hugeInput(driver_wire::kMaxInput + 1);
    EXPECT_FALSE(DeviceIoControl(device.Handle(), driver_wire::kPipeTransferIn, hugeInput.data(),
                                 uint32_t(hugeInput.size()), packet, 64, &bytes));
    EXPECT_FALSE(DeviceIoControl(device.Handle(), driver_wire::kPipeTransferIn, &pipe, 4, packet,
                                 driver_wire::kMaxOutput + 1, &bytes));
    EXPECT_TRUE(Camera().Commands().empty());
    EXPECT_TRUE(DeviceIoControl(device.Handle(), driver_wire::kPipeTransferIn, &pipe, 4, packet, 64, nullptr))
        << "the handle still works, and the byte count is optional";
}

TEST_F(DriverConnectionToCamera, RequestsTheCameraDoesNotKnowFailAndTheHandleCarriesOn)
{
    StartCameras();
    OpenDevice device;
    uint8_t data[64] = {};
    uint32_t bytes = 0;
    const uint32_t pipe = 2;
    EXPECT_FALSE(DeviceIoControl(device.Handle(), 0x222000, &pipe, 4, data, 64, &bytes)) << "unknown code";
    const uint32_t noSuchPipe = 3;
    EXPECT_FALSE(
        DeviceIoControl(device.Handle(), driver_wire::kPipeTransferIn, &noSuchPipe, 4, data, 64, &bytes));
    EXPECT_FALSE(DeviceIoControl(device.Handle(), driver_wire::kPipeTransferIn, &pipe, 2, data, 64, &bytes))
        << "a pipe index needs 4 bytes";
    EXPECT_EQ(ReadFpga(device.Handle(), 15), 0) << "full clock";
}

TEST_F(DriverConnectionToCamera, AMalformedRequestEndsItsConnectionButNotTheCamera)
{
    StartCameras();
    const int fd = sim::ConnectTo(Camera().NodePath());
    ASSERT_GE(fd, 0);
    const driver_wire::RequestHeader garbage{0xDEADBEEF, 0, 0, 0, 0};
    ASSERT_EQ(write(fd, &garbage, sizeof garbage), ssize_t(sizeof garbage));
    char byte;
    EXPECT_EQ(recv(fd, &byte, 1, 0), 0) << "the camera closed the connection";
    close(fd);

    // A pipe-2 request may not carry the caller's buffer.
    const int second = sim::ConnectTo(Camera().NodePath());
    ASSERT_GE(second, 0);
    const driver_wire::RequestHeader carried{driver_wire::kRequestMagic, driver_wire::kPipeTransferIn, 4, 8,
                                             8};
    const uint8_t body[12] = {2, 0, 0, 0};
    ASSERT_EQ(write(second, &carried, sizeof carried), ssize_t(sizeof carried));
    ASSERT_EQ(write(second, body, sizeof body), ssize_t(sizeof body));
    EXPECT_EQ(recv(second, &byte, 1, 0), 0);
    close(second);

    OpenDevice device;
    EXPECT_TRUE(WriteFpga(device.Handle(), 7, 0x5A));
    EXPECT_EQ(ReadFpga(device.Handle(), 7), 0x5A);
}

}  // namespace
}  // namespace quelix::test
