// SPDX-License-Identifier: MIT
// quelix-usbd as it runs (libusb, hotplug, the daemon's threads) against
// cameras on a umockdev testbed whose URBs a simulated camera answers,
// reached through the library's driver connection: registers, ID memory,
// bit-exact frames, a stall, a time-out, unplug and replug, two cameras.
// Runs under umockdev-wrapper.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "counter_frames.h"
#include "raw_driver_requests.h"
#include "sim/camera_simulator.h"
#include "sim_fixture.h"
#include "test_environment.h"
#include "umockdev_camera.h"
#include "usbd/driver_messages.h"
#include "usbd/usb_daemon.h"

namespace quelix::test {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 256;
constexpr uint8_t kCooler = 25;

// Waits (up to 20 s, then fails the test) until `ready` holds.
template <typename Predicate>
bool Eventually(Predicate ready)
{
    for (int i = 0; i < 2000; ++i) {
        if (ready())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class UsbdOnUmockdev : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* preload = std::getenv("LD_PRELOAD");
        if (preload == nullptr || std::string(preload).find("umockdev-preload") == std::string::npos)
            GTEST_SKIP() << "not under umockdev-wrapper";
        // SIGUSR2 stops the driver (StopDriver). Blocked here, before any
        // thread of the testbed, the simulator or the driver starts, every
        // thread inherits the block: the signal is only ever taken by the
        // driver's wait, never by a thread that would die of it.
        sigset_t stop;
        sigemptyset(&stop);
        sigaddset(&stop, SIGUSR2);
        pthread_sigmask(SIG_BLOCK, &stop, nullptr);
        testbed_ = umockdev_testbed_new();
        std::string error;
        simulator_ =
            sim::CameraSimulator::Start({0, 1}, CounterCameras(), environment_.Directory() + "/sim", &error);
        ASSERT_NE(simulator_, nullptr) << error;
        nodes_ = std::getenv("QUELIX_DEVICE_DIR");
    }
    void TearDown() override
    {
        StopDriver();
        cameras_.clear();
        if (testbed_ != nullptr)
            g_object_unref(testbed_);
    }

    UmockdevCamera& AddCamera(int simulated, int port)
    {
        cameras_.push_back(
            std::make_unique<UmockdevCamera>(testbed_, port, simulator_->Camera(simulated)->NodePath()));
        std::string error;
        EXPECT_TRUE(cameras_.back()->Plug(error)) << error;
        return *cameras_.back();
    }
    void StartDriver()
    {
        driver_ = std::thread([this] {
            sigset_t stop;
            sigemptyset(&stop);
            sigaddset(&stop, SIGUSR2);
            pthread_sigmask(SIG_BLOCK, &stop, nullptr);
            usbd::DaemonSettings settings;
            settings.directory = nodes_;
            driverStatus_ = usbd::RunDaemon(settings, stop);
        });
    }
    void StopDriver()
    {
        if (!driver_.joinable())
            return;
        pthread_kill(driver_.native_handle(), SIGUSR2);
        driver_.join();
        EXPECT_EQ(driverStatus_, 0);
    }
    std::string Node(int number) const { return nodes_ + "/Qlix205KWMX-" + std::to_string(number); }

    ScopedTestEnvironment environment_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
    UMockdevTestbed* testbed_ = nullptr;
    std::vector<std::unique_ptr<UmockdevCamera>> cameras_;
    std::string nodes_;
    std::thread driver_;
    int driverStatus_ = -1;
};

TEST_F(UsbdOnUmockdev, ServesTheCameraOverLibusb)
{
    UmockdevCamera& camera = AddCamera(0, 2);
    StartDriver();
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(Node(0)); }));
    OpenDevice device(0);
    ASSERT_TRUE(device.Valid());
    ASSERT_TRUE(WriteIdMemory(device.Handle(), 0x21, 0x5C));
    EXPECT_EQ(ReadIdMemory(device.Handle(), 0x21), 0x5C);
    ASSERT_TRUE(WriteFpga(device.Handle(), kCooler, 77));
    EXPECT_EQ(ReadFpga(device.Handle(), kCooler), 77);

    std::vector<uint8_t> frame;
    for (const bool sixteenBit : {true, false}) {
        ASSERT_TRUE(ConfigureCapture(device.Handle(), 0, 0, kWidth, kHeight, sixteenBit));
        const uint32_t bytes = TransferSamplesFor(kWidth, kHeight) * (sixteenBit ? 2 : 1);
        const PipeResult read = ReadFrame(device.Handle(), bytes, frame);
        ASSERT_TRUE(read.success);
        ASSERT_EQ(read.bytes, bytes);
        if (sixteenBit) {
            EXPECT_TRUE(IsWholeCounterFrame16(frame.data(), size_t(kWidth) * kHeight));
        } else {
            const size_t pixels = size_t(kWidth) * kHeight;
            const auto trailer = uint16_t(frame[pixels] | frame[pixels + 1] << 8);
            EXPECT_EQ(frame[1000], uint8_t(sim::CounterSample(trailer, 1000) >> 6));
        }
    }

    // A stalled command endpoint: the request fails, the halt is cleared, the next one goes through.
    camera.Usb().StallNext(FakeUsbCamera::kCommandEndpoint);
    EXPECT_FALSE(WriteFpga(device.Handle(), kCooler, 1));
    EXPECT_TRUE(WriteFpga(device.Handle(), kCooler, 2));
    EXPECT_EQ(camera.Usb().HaltsCleared(FakeUsbCamera::kCommandEndpoint), 1);

    // No start-frame: libusb ends the read at the transfer time-out.
    ASSERT_TRUE(SetDriverTimeout(device.Handle(), 200));
    frame.assign(TransferSamplesFor(kWidth, kHeight), 0);
    const PipeResult late = PipeRequest(device.Handle(), usbd::kPipeTransferLarge, 2, frame);
    EXPECT_FALSE(late.success);
    EXPECT_EQ(late.bytes, 0u);
}

TEST_F(UsbdOnUmockdev, HotplugKeepsNumbersAndServesTwoCameras)
{
    AddCamera(0, 2);
    StartDriver();
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(Node(0)); }));
    UmockdevCamera& second = AddCamera(1, 3);
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(Node(1)); }));
    {
        OpenDevice first(0);
        OpenDevice other(1);
        ASSERT_TRUE(WriteFpga(first.Handle(), kCooler, 10));
        ASSERT_TRUE(WriteFpga(other.Handle(), kCooler, 11));
        EXPECT_EQ(simulator_->Camera(0)->FpgaRegister(kCooler), 10);
        EXPECT_EQ(simulator_->Camera(1)->FpgaRegister(kCooler), 11);

        second.Unplug();
        ASSERT_TRUE(Eventually([&] { return !std::filesystem::exists(Node(1)); }));
        EXPECT_FALSE(WriteFpga(other.Handle(), kCooler, 12));
        EXPECT_TRUE(WriteFpga(first.Handle(), kCooler, 13));
    }
    std::string error;
    ASSERT_TRUE(second.Plug(error)) << error;
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(Node(1)); }));
    OpenDevice again(1);
    EXPECT_TRUE(WriteFpga(again.Handle(), kCooler, 14));
    EXPECT_EQ(simulator_->Camera(1)->FpgaRegister(kCooler), 14);
}

TEST_F(UsbdOnUmockdev, ABusyCameraIsLoggedAndAVanishingOneFailsItsRead)
{
    AddCamera(0, 2).HoldInterface();
    UmockdevCamera& camera = AddCamera(1, 3);
    testing::internal::CaptureStderr();
    StartDriver();
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(Node(0)); }));
    // The free camera takes number 0; the busy one has no node.
    EXPECT_FALSE(std::filesystem::exists(Node(1)));

    OpenDevice device(0);
    ASSERT_TRUE(ConfigureCapture(device.Handle(), 0, 0, kWidth, kHeight, true));
    ASSERT_TRUE(SetDriverTimeout(device.Handle(), 0));  // the read waits without limit
    std::vector<uint8_t> frame(TransferSamplesFor(kWidth, kHeight) * 2);
    PipeResult read{true, 1};
    std::thread reader([&] { read = PipeRequest(device.Handle(), usbd::kPipeTransferLarge, 2, frame); });
    // The reader is joined whatever happens: the unplug ends its read.
    EXPECT_TRUE(Eventually([&] { return camera.Usb().ImageTransfersStarted() > 0; }));
    camera.Unplug();
    reader.join();
    EXPECT_FALSE(read.success);
    ASSERT_TRUE(Eventually([&] { return !std::filesystem::exists(Node(0)); }));
    StopDriver();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("not served: busy: another program holds interface 0"), std::string::npos) << log;
}

}  // namespace
}  // namespace quelix::test
