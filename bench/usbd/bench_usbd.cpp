// SPDX-License-Identifier: MIT
// What quelix-usbd adds: full frames and register round trips read through
// its camera service in front of a simulated camera on an emulated USB bus
// (tests/usbd/fake_usb_camera.h), against the simulated camera's node
// straight. CPU time is the whole process's (every thread: the library's,
// the driver's and the camera's), per frame or request.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_camera.h"
#include "device/command_codes.h"
#include "fake_usb_camera.h"
#include "platform/driver/driver_connection.h"
#include "platform/driver/driver_wire.h"
#include "usbd/camera_service.h"

namespace {

using namespace quelix;

constexpr uint32_t kFullFrameSamples = 82944;

bool Command(platform::DriverHandle handle, std::vector<uint8_t> packet)
{
    packet.resize(driver_wire::kPacketSize, 0);
    const uint32_t pipe = driver_wire::kCommandPipe;
    return platform::DeviceIoControl(handle, driver_wire::kPipeTransferIn, &pipe, 4, packet.data(),
                                     driver_wire::kPacketSize, nullptr);
}

// The camera of a benchmark: straight (argument 0) or behind the driver (1).
class Setup {
public:
    Setup(bool throughDriver, bool fast)
        : camera_(std::vector<int>{0}, fast, true, "flat"), straight_(camera_.Directory())
    {
        if (!camera_.Started() || !throughDriver)
            return;
        const std::string nodes = camera_.Directory() + "/usbd";
        std::filesystem::create_directories(nodes);
        usb_ = std::make_unique<test::FakeUsbCamera>(camera_.Camera(0)->NodePath());
        service_ = std::make_unique<usbd::CameraService>(nodes, gid_t(-1));
        service_->Add("usb", "port 1", usb_->Port(), test::FakeUsbCamera::kPipes, "emulated camera");
        setenv("QUELIX_DEVICE_DIR", nodes.c_str(), 1);
    }
    ~Setup()
    {
        setenv("QUELIX_DEVICE_DIR", straight_.c_str(), 1);
        service_.reset();
    }
    bool Started() const { return camera_.Started(); }

private:
    bench::BenchCamera camera_;
    const std::string straight_;
    std::unique_ptr<test::FakeUsbCamera> usb_;
    std::unique_ptr<usbd::CameraService> service_;
};

// Arguments: through the driver (0 or 1), fast mode (1) or the sensor's frame rate (0).
void BM_UsbdFrames(benchmark::State& state)
{
    Setup setup(state.range(0) != 0, state.range(1) != 0);
    if (!setup.Started()) {
        state.SkipWithError("the simulated camera did not start");
        return;
    }
    const platform::DriverHandle handle = platform::OpenDriver("\\\\.\\Qlix205KWMX-0");
    std::vector<uint8_t> frame(kFullFrameSamples * 2);
    const uint32_t imagePipe = driver_wire::kImagePipe;
    for (auto _ : state) {
        uint32_t bytes = 0;
        if (!Command(handle, {CmdStartFrame}) ||
            !platform::DeviceIoControl(handle, driver_wire::kPipeTransferLarge, &imagePipe, 4, frame.data(),
                                       uint32_t(frame.size()), &bytes) ||
            bytes != frame.size()) {
            state.SkipWithError("a frame read failed");
            break;
        }
    }
    platform::CloseDriver(handle);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(int64_t(state.iterations() * frame.size()));
}
BENCHMARK(BM_UsbdFrames)
    ->ArgNames({"usbd", "fast"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_UsbdFrames)
    ->ArgNames({"usbd", "fast"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Iterations(200)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// A logic-device register read (the query on pipe 0, its reply on pipe 1):
// the round trips' median and 99th percentile as counters, in microseconds.
void BM_UsbdRegisterRoundTrip(benchmark::State& state)
{
    Setup setup(state.range(0) != 0, true);
    if (!setup.Started()) {
        state.SkipWithError("the simulated camera did not start");
        return;
    }
    const platform::DriverHandle handle = platform::OpenDriver("\\\\.\\Qlix205KWMX-0");
    std::vector<double> microseconds;
    std::vector<uint8_t> reply(driver_wire::kPacketSize);
    const uint32_t replyPipe = driver_wire::kReplyPipe;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!Command(handle, {CmdFpgaRead, 25}) ||
            !platform::DeviceIoControl(handle, driver_wire::kPipeTransferIn, &replyPipe, 4, reply.data(),
                                       driver_wire::kPacketSize, nullptr)) {
            state.SkipWithError("a register read failed");
            break;
        }
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    platform::CloseDriver(handle);
    if (microseconds.empty())
        return;
    std::sort(microseconds.begin(), microseconds.end());
    state.counters["p50_us"] = microseconds[microseconds.size() / 2];
    state.counters["p99_us"] =
        microseconds[std::min(microseconds.size() - 1, microseconds.size() * 99 / 100)];
}
BENCHMARK(BM_UsbdRegisterRoundTrip)
    ->ArgNames({"usbd"})
    ->Arg(0)
    ->Arg(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
