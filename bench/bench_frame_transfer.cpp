// SPDX-License-Identifier: MIT
// Frames per second through the transfer thread from a simulated camera in
// fast mode, as the capture loop takes them (WaitRingFrame, then
// ReadRingFrame of the newest frame), and the cost of one ReadRingFrame.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_camera.h"
#include "device/device_status.h"
#include "device/quelix_205kwmx_sdk.h"

namespace {

using namespace quelix;

// Argument: sample width in bits (16 or 8).
void BM_TransferThreadFrames(benchmark::State& state)
{
    bench::BenchCamera camera(false);
    if (!camera.Started()) {
        state.SkipWithError(camera.Error().c_str());
        return;
    }
    CQuelix205KWMXSdk device;
    device.SetWordMode(state.range(0) == 16 ? 1 : 0);
    std::vector<uint8_t> frame(320 * 256 * 2);
    if (device.StartTransferThread() != DeviceStatus::Ok) {
        state.SkipWithError("the transfer thread did not start");
        return;
    }
    int lastTrailer = -1;
    int64_t frames = 0;
    for (auto _ : state) {
        // One iteration: the next frame the transfer thread delivers.
        for (;;) {
            const RingWait ready = device.WaitRingFrame();
            if (ready == RingWait::FrameReady &&
                device.ReadRingFrame(frame.data(), frame.size()) == DeviceStatus::Ok &&
                device.frameTrailer != lastTrailer)
                break;
            if (ready != RingWait::Woken && ready != RingWait::FrameReady) {
                state.SkipWithError("the stream ended");
                device.StopTransferThread();
                return;
            }
        }
        frames += (device.frameTrailer - lastTrailer + 0x10000) % 0x10000;
        lastTrailer = device.frameTrailer;
    }
    device.StopTransferThread();
    state.counters["camera_fps"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TransferThreadFrames)->Arg(16)->Arg(8)->ArgName("bits")->UseRealTime()->MinTime(2.0);

// Argument: sample width in bits. The copy of one full frame out of its slot.
void BM_ReadRingFrame(benchmark::State& state)
{
    CQLXSdkLib device;
    if (device.SetFrameGeometry(320, 0, 320, 256, 0, 256, 4) != DeviceStatus::Ok) {
        state.SkipWithError("the frame geometry was refused");
        return;
    }
    device.wordMode = state.range(0) == 16 ? 1 : 0;
    device.transfer.ring = {device.ring[0].get(), device.ring[1].get(), device.ring[2].get(),
                            device.ring[3].get()};
    device.transfer.ringCount = 4;
    std::vector<uint8_t> frame(320 * 256 * 2);
    for (auto _ : state) {
        if (device.ReadRingFrame(frame.data(), frame.size()) != DeviceStatus::Ok) {
            state.SkipWithError("the frame copy was refused");
            return;
        }
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetBytesProcessed(state.iterations() * 320 * 256 * (state.range(0) / 8));
}
BENCHMARK(BM_ReadRingFrame)->Arg(16)->Arg(8)->ArgName("bits");

}  // namespace
