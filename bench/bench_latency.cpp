// SPDX-License-Identifier: MIT
// What a user of a streaming camera feels: the time from the moment the
// simulated camera finished a frame to (a) the transfer thread holding it
// whole, (b) the processed frame sitting in the application's buffer, and
// (c) the application receiving its 0x8002 message. Cameras stream at the
// sensor's frame rate (about 100 frames per second each), each into its own
// message window with a thread of the application waiting on it, as an
// application would. Reported per run as counters in microseconds: median,
// 99th and 99.9th percentile.
//
// And the time from Quelix_Initialize to the first frame, split into the
// calls an application makes on the way.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "bench_camera.h"

namespace quelix {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 256;
constexpr int kBitsByColorMode[] = {8, 16, 24, 32, 48, 64};

uint64_t NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
}

struct Latencies {
    std::vector<double> transfer;  // microseconds, frame finished -> transfer thread holds it
    std::vector<double> buffer;    // -> in the application's buffer
    std::vector<double> message;   // -> the application has the message
    long unmatched = 0;            // frames whose times were no longer kept
};

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

// One camera streaming into its window and buffer, with the application's
// thread taking its messages.
class StreamingCamera {
public:
    StreamingCamera(int device, int colorMode, int waitMs, sim::SimulatedCamera& simulated)
        : simulated_(simulated)
    {
        window_ = QuelixPlatform_CreateMessageWindow();
        handle_ = Quelix_Initialize(window_);
        const int stride = (kWidth * kBitsByColorMode[colorMode] / 8 + 3) & ~3;
        buffer_.resize(static_cast<size_t>(stride) * kHeight);
        started_ =
            Quelix_SetDeviceNumber(handle_, device) &&
            Quelix_SetColorMode(handle_, kBitsByColorMode[colorMode]) &&
            Quelix_SetWaitTime(handle_, waitMs) && Quelix_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0) &&
            Quelix_CallBackPreview(handle_, window_, buffer_.data(), static_cast<int32_t>(buffer_.size()), 1);
        if (started_)
            receiver_ = std::thread([this] { Receive(); });
    }
    ~StreamingCamera()
    {
        Stop();
        Quelix_Release(handle_);
        QuelixPlatform_DestroyWindow(window_);
    }
    bool Started() const { return started_; }
    void StartCounting() { counting_ = true; }
    void Stop()
    {
        stop_ = true;
        if (receiver_.joinable())
            receiver_.join();
        Quelix_StopPreview(handle_);
    }
    const Latencies& Measured() const { return latencies_; }

private:
    void Receive()
    {
        while (!stop_) {
            QUELIX_MSG msg{};
            if (QuelixPlatform_GetMessage(window_, &msg, 50) != 1 || msg.message != QUELIX_WM_FRAME ||
                msg.wParam == 0)
                continue;
            const uint64_t received = NowNs();
            const auto trailer =
                static_cast<uint32_t>(*reinterpret_cast<const int32_t*>(msg.lParam)) & 0xFFFF;
            if (!counting_)
                continue;
            QUELIX_FRAME_TIMES times{};
            const std::optional<uint64_t> finished =
                simulated_.FrameCompletedNs(static_cast<uint16_t>(trailer));
            if (!finished || QuelixPlatform_GetFrameTimes(handle_, trailer, &times) != 1) {
                ++latencies_.unmatched;
                continue;
            }
            const auto since = [&](uint64_t t) {
                return static_cast<double>(static_cast<int64_t>(t - *finished)) / 1e3;
            };
            latencies_.transfer.push_back(since(times.arrived));
            latencies_.buffer.push_back(since(times.delivered));
            latencies_.message.push_back(since(received));
        }
    }

    sim::SimulatedCamera& simulated_;
    QUELIX_HWND window_ = nullptr;
    int32_t handle_ = 0;
    std::vector<uint8_t> buffer_;
    bool started_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> counting_{false};
    std::thread receiver_;
    Latencies latencies_;
};

// Arguments: cameras, colour mode, wait time of the preview loop (ms).
void BM_FrameLatency(benchmark::State& state)
{
    const auto cameras = static_cast<int>(state.range(0));
    const auto colorMode = static_cast<int>(state.range(1));
    const auto waitMs = static_cast<int>(state.range(2));
    std::vector<int> devices;
    for (int i = 0; i < cameras; ++i)
        devices.push_back(i);
    bench::BenchCamera simulator(devices, false, true, "moving");
    if (!simulator.Started()) {
        state.SkipWithError(simulator.Error().c_str());
        return;
    }
    std::vector<std::unique_ptr<StreamingCamera>> streams;
    for (int device : devices) {
        streams.push_back(
            std::make_unique<StreamingCamera>(device, colorMode, waitMs, *simulator.Camera(device)));
        if (!streams.back()->Started()) {
            state.SkipWithError("a camera did not start streaming");
            return;
        }
    }
    // Settle (first frames, automatic start-up work), then measure.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (auto& stream : streams)
        stream->StartCounting();
    for (auto _ : state)
        std::this_thread::sleep_for(std::chrono::seconds(cameras == 1 ? 12 : 4));
    Latencies all;
    for (auto& stream : streams) {
        stream->Stop();
        const Latencies& one = stream->Measured();
        all.transfer.insert(all.transfer.end(), one.transfer.begin(), one.transfer.end());
        all.buffer.insert(all.buffer.end(), one.buffer.begin(), one.buffer.end());
        all.message.insert(all.message.end(), one.message.begin(), one.message.end());
        all.unmatched += one.unmatched;
    }
    const auto report = [&state](const char* name, const std::vector<double>& values) {
        state.counters[std::string(name) + "_p50_us"] = Percentile(values, 0.5);
        state.counters[std::string(name) + "_p99_us"] = Percentile(values, 0.99);
        state.counters[std::string(name) + "_p999_us"] = Percentile(values, 0.999);
    };
    report("transfer", all.transfer);
    report("buffer", all.buffer);
    report("message", all.message);
    state.counters["frames"] = static_cast<double>(all.message.size());
    state.counters["unmatched"] = static_cast<double>(all.unmatched);
}
BENCHMARK(BM_FrameLatency)
    ->ArgNames({"cameras", "mode", "wait_ms"})
    ->ArgsProduct({{1, 8}, {0, 2, 5}, {0}})
    ->Args({1, 2, 10})
    ->Args({8, 2, 10})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// From Quelix_Initialize to the first frame's message, split into the calls
// on the way (milliseconds, mean over the iterations): making the camera
// object, choosing the device, the colour mode, and starting the preview;
// then the wait for the first frame.
void BM_TimeToFirstFrame(benchmark::State& state)
{
    bench::BenchCamera simulator({0}, false, true, "moving");
    if (!simulator.Started()) {
        state.SkipWithError(simulator.Error().c_str());
        return;
    }
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    std::vector<uint8_t> buffer(kWidth * kHeight * 3);
    double initialize = 0, device = 0, colorMode = 0, start = 0, firstFrame = 0;
    const auto since = [](uint64_t from) { return static_cast<double>(NowNs() - from) / 1e6; };
    for (auto _ : state) {
        uint64_t t = NowNs();
        const int32_t camera = Quelix_Initialize(window);
        initialize += since(t);
        t = NowNs();
        Quelix_SetDeviceNumber(camera, 0);
        device += since(t);
        t = NowNs();
        Quelix_SetColorMode(camera, 24);
        colorMode += since(t);
        Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0);
        t = NowNs();
        const int32_t started =
            Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1);
        start += since(t);
        t = NowNs();
        QUELIX_MSG msg{};
        while (started == 1 && QuelixPlatform_GetMessage(window, &msg, 5000) == 1 &&
               !(msg.message == QUELIX_WM_FRAME && msg.wParam != 0)) {
        }
        firstFrame += since(t);
        state.PauseTiming();
        Quelix_Release(camera);
        while (QuelixPlatform_PeekMessage(window, &msg) == 1) {
        }
        state.ResumeTiming();
    }
    QuelixPlatform_DestroyWindow(window);
    const auto n = static_cast<double>(state.iterations());
    state.counters["initialize_ms"] = initialize / n;
    state.counters["device_ms"] = device / n;
    state.counters["color_mode_ms"] = colorMode / n;
    state.counters["start_preview_ms"] = start / n;
    state.counters["first_frame_ms"] = firstFrame / n;
}
BENCHMARK(BM_TimeToFirstFrame)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quelix
