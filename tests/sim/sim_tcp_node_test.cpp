// SPDX-License-Identifier: MIT
// Simulated cameras served over TCP (quelix-camsim --tcp): device N listens
// on 127.0.0.1 at the base port + N, speaks the framed driver protocol, and
// stops listening when unplugged.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "platform/driver/driver_exchange.h"
#include "platform/driver/driver_wire.h"
#include "sim/camera_simulator.h"
#include "sim/simulated_camera.h"

namespace quelix::test {
namespace {

namespace wire = driver_wire;

int ConnectLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

class TcpNodes : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory_ = std::filesystem::temp_directory_path() / ("quelix-tcp-" + std::to_string(getpid()));
        // A base port whose ports are free; a few tries against ports in use.
        std::mt19937 random(static_cast<unsigned>(getpid()));
        for (int attempt = 0; attempt < 20 && simulator_ == nullptr; ++attempt) {
            port_ = std::uniform_int_distribution<int>(20000, 60000)(random);
            sim::CameraOptions options;
            options.fast = true;
            options.tcpPort = port_;
            simulator_ = sim::CameraSimulator::Start({0, 2}, options, directory_.string());
        }
        ASSERT_NE(simulator_, nullptr);
    }
    void TearDown() override
    {
        simulator_.reset();
        std::filesystem::remove_all(directory_);
    }

    std::filesystem::path directory_;
    int port_ = 0;
    std::unique_ptr<sim::CameraSimulator> simulator_;
};

TEST_F(TcpNodes, EachDeviceAnswersTheFramedProtocolAtItsOwnPortAndMakesNoUnixNode)
{
    for (const int device : {0, 2}) {
        const int fd = ConnectLoopback(port_ + device);
        ASSERT_GE(fd, 0) << device;
        uint8_t block[wire::kTimeoutBlockSize] = {1, 0, 0, 0, 0x88, 0x13};  // 5000 ms
        uint32_t returned = 99;
        EXPECT_EQ(
            platform::ExchangeOnSocket(fd, wire::kSetTimeout, block, sizeof block, nullptr, 0, returned, 0),
            platform::ExchangeResult::Succeeded);
        EXPECT_EQ(returned, 0u);
        EXPECT_EQ(simulator_->Camera(device)->Status().driverTimeoutMs, 5000u);
        // A reply read with no query before it fails, as on a Unix node.
        uint8_t reply[wire::kPacketSize];
        uint32_t pipe = wire::kReplyPipe;
        EXPECT_EQ(
            platform::ExchangeOnSocket(fd, wire::kPipeTransferIn, &pipe, 4, reply, sizeof reply, returned, 0),
            platform::ExchangeResult::Failed);
        close(fd);
    }
    EXPECT_LT(ConnectLoopback(port_ + 1), 0);  // no camera 1
    EXPECT_FALSE(std::filesystem::exists(directory_ / "Qlix205KWMX-0"));
}

TEST_F(TcpNodes, AnUnpluggedCameraStopsListeningAndAPluggedOneListensAgain)
{
    simulator_->Camera(0)->Unplug();
    EXPECT_LT(ConnectLoopback(port_), 0);
    std::string error;
    ASSERT_TRUE(simulator_->Camera(0)->Plug(&error)) << error;
    const int fd = ConnectLoopback(port_);
    EXPECT_GE(fd, 0);
    if (fd >= 0)
        close(fd);
}

}  // namespace
}  // namespace quelix::test
