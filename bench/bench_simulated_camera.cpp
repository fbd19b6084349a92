// SPDX-License-Identifier: MIT
// Frames per second of the simulated camera in fast mode, read through the
// driver connection as the transfer thread reads them (start-frame command,
// then one whole-frame read on the image pipe), and the cost of making a
// frame alone.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "bench_camera.h"
#include "device/command_codes.h"
#include "platform/driver/driver_connection.h"
#include "platform/driver/driver_wire.h"
#include "sim/camera_simulator.h"
#include "sim/frame_renderer.h"

namespace {

using namespace quelix;
using bench::BenchCamera;

constexpr uint32_t kFullFrameSamples = 82944;

bool Command(platform::DriverHandle handle, std::vector<uint8_t> packet)
{
    packet.resize(driver_wire::kPacketSize, 0);
    const uint32_t pipe = driver_wire::kCommandPipe;
    return platform::DeviceIoControl(handle, driver_wire::kPipeTransferIn, &pipe, 4, packet.data(),
                                     driver_wire::kPacketSize, nullptr);
}

// Arguments: sample width in bits (16 or 8), noise (1 or 0).
void BM_SimulatedCameraFrames(benchmark::State& state)
{
    const bool sixteenBit = state.range(0) == 16;
    BenchCamera camera(state.range(1) != 0);
    if (!camera.Started()) {
        state.SkipWithError(camera.Error().c_str());
        return;
    }
    const platform::DriverHandle handle = platform::OpenDriver("\\\\.\\Qlix205KWMX-0");
    if (!Command(handle, {CmdFpgaWrite, 14, uint8_t(sixteenBit ? 9 : 8)})) {
        state.SkipWithError("the camera does not answer");
        return;
    }
    std::vector<uint8_t> frame(kFullFrameSamples * (sixteenBit ? 2 : 1));
    const uint32_t imagePipe = driver_wire::kImagePipe;
    for (auto _ : state) {
        uint32_t bytes = 0;
        Command(handle, {CmdStartFrame});
        if (!platform::DeviceIoControl(handle, driver_wire::kPipeTransferIn, &imagePipe, 4, frame.data(),
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
BENCHMARK(BM_SimulatedCameraFrames)
    ->ArgNames({"bits", "noise"})
    ->Args({16, 1})
    ->Args({8, 1})
    ->Args({16, 0})
    ->UseRealTime();

// Making one full 16-bit frame from the sensor model, without the transfer.
void BM_RenderFrame(benchmark::State& state)
{
    std::string error;
    const auto scene = sim::LoadScene("flat", error);
    sim::FrameRenderer renderer(1);
    sim::FrameSettings settings;
    settings.window = {0, 0, 320, 256};
    settings.exposureLines = 100;
    settings.noise = state.range(0) != 0;
    std::vector<uint8_t> frame(kFullFrameSamples * 2);
    for (auto _ : state) {
        renderer.Render(settings, scene, frame);
        ++settings.frameIndex;
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderFrame)->ArgName("noise")->Arg(1)->Arg(0);

}  // namespace
